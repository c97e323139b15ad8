#pragma once

#include <QString>

// The vendor's web site, without a trailing slash, its contact e-mail
// address and its channel's address: set when the program is built
// (ORBITSHELF_SITE_URL, ORBITSHELF_CONTACT_EMAIL, ORBITSHELF_CHANNEL_URL),
// each empty unless given.
QString vendorSiteAddress();
QString vendorContactEmail();
QString vendorChannelAddress();
