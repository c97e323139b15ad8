#pragma once

#include <QString>

class AppState;
class Network;

// The program's requests to the web service through Network::shared(); with
// no service configured for this build they send nothing.

// A usage event for a feature, thinned by FeatureViewTracker::shared().
void trackFeature(const QString& feature);

// The app-active ping of the bar's tick: device id and version.
void pingAppActive();

// The periodic update check of the bar's tick: asks only while no newer
// version is known; a reply is recorded by applyUpdateCheckResult, a failure
// changes nothing (the next period asks again).
void checkForUpdate(AppState& state, Network& network);
void checkForUpdate();

// Records the answer: true sets needUpdate and publishes (stamp and one change
// notice); false clears needUpdate and publishes nothing.
void applyUpdateCheckResult(AppState& state, bool update);
