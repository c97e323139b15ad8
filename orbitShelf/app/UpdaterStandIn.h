#pragma once

#include <QString>

// Stand-in for the update framework that installs new versions, and the
// vendor's web site it would point at. Neither exists on this desktop.

// The vendor's web site, without a trailing slash, its contact e-mail
// address and its channel's address: set when the program is built
// (ORBITSHELF_SITE_URL, ORBITSHELF_CONTACT_EMAIL, ORBITSHELF_CHANNEL_URL),
// each empty unless given.
QString vendorSiteAddress();
QString vendorContactEmail();
QString vendorChannelAddress();

// What the update framework's window would have said: how this program gets
// new versions here.
QString updaterStandInNote();

// Shows the update framework's own window; there is none on this desktop,
// so it only logs.
void showUpdaterWindow();
