#include "app/UpdaterStandIn.h"

#include <QLoggingCategory>

static Q_LOGGING_CATEGORY(lcUpdaterStandIn, "orbitshelf.updater")

QString vendorSiteAddress()
{
    // No web service is configured for this build: an empty address, so that
    // nothing opens a page on a host that is not ours.
    return {};
}

void showUpdaterWindow()
{
    qCInfo(lcUpdaterStandIn) << "showUpdaterWindow: there is no update framework on this desktop";
}
