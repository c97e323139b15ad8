#include "state/VendorAddresses.h"

// Empty unless the build names them: nothing opens a page on a host that is
// not ours.
QString vendorSiteAddress()
{
    return QStringLiteral(ORBITSHELF_SITE_URL);
}

QString vendorContactEmail()
{
    return QStringLiteral(ORBITSHELF_CONTACT_EMAIL);
}

QString vendorChannelAddress()
{
    return QStringLiteral(ORBITSHELF_CHANNEL_URL);
}
