#pragma once

#include <QString>

// Stand-in for the update framework that installs new versions, and the
// vendor's web site it would point at. Neither exists on this desktop.

// The vendor's web site, without a trailing slash; empty while none is
// configured for this build.
QString vendorSiteAddress();

// Shows the update framework's own window; there is none on this desktop,
// so it only logs.
void showUpdaterWindow();
