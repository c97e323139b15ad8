#include "state/UpdaterStandIn.h"

#include <QCoreApplication>
#include <QLoggingCategory>

static Q_LOGGING_CATEGORY(lcUpdaterStandIn, "orbitshelf.updater")

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
