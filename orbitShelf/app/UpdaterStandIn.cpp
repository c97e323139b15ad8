#include "app/UpdaterStandIn.h"

#include <QCoreApplication>
#include <QLoggingCategory>

static Q_LOGGING_CATEGORY(lcUpdaterStandIn, "orbitshelf.updater")

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

QString updaterStandInNote()
{
    return QCoreApplication::translate(
        "Updater", "orbitShelf is updated through the system's package manager.");
}

void showUpdaterWindow()
{
    qCInfo(lcUpdaterStandIn).noquote()
        << "showUpdaterWindow: there is no update framework on this desktop;" << updaterStandInNote();
}
