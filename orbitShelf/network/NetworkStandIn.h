#pragma once

#include <QString>

#include <functional>

// Stand-in for the vendor web service client until its own code lands.

// The vendor's web site, without a trailing slash; empty while none is
// configured for this build.
QString vendorSiteAddress();

// Asks whether a newer version than `version` exists. There is no update
// service to ask here: the failure handler is told so (on the main thread,
// after the caller returns); the success handler is never called, so nothing
// ever claims to be up to date.
void checkUpdate(const QString& version, std::function<void(bool update, const QString& url)> onSuccess,
    std::function<void(const QString& message)> onFailure);

// Usage report of a feature; nothing is sent from here, only logged.
void trackFeature(const QString& feature);

// Shows the update framework's own window; there is none on this desktop,
// so it only logs.
void showUpdaterWindow();
