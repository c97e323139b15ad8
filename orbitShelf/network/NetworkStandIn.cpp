#include "network/NetworkStandIn.h"

#include <QCoreApplication>
#include <QLoggingCategory>

static Q_LOGGING_CATEGORY(lcNetworkStandIn, "orbitshelf.network")

QString vendorSiteAddress()
{
    // No web service is configured for this build: an empty address, so that
    // nothing opens a page on a host that is not ours.
    return {};
}

void checkUpdate(const QString& version, std::function<void(bool update, const QString& url)> onSuccess,
    std::function<void(const QString& message)> onFailure)
{
    Q_UNUSED(onSuccess);
    qCInfo(lcNetworkStandIn) << "checkUpdate: no update service in this build; version" << version
                             << "was not checked";
    if (!onFailure)
        return;
    QObject* context = QCoreApplication::instance();
    auto fail = [onFailure = std::move(onFailure)] {
        onFailure(QStringLiteral("This build of orbitShelf cannot check for updates."));
    };
    if (context)
        QMetaObject::invokeMethod(context, fail, Qt::QueuedConnection);
    else
        fail();
}

void trackFeature(const QString& feature)
{
    qCDebug(lcNetworkStandIn) << "trackFeature: usage reports are not sent from this build:" << feature;
}

void showUpdaterWindow()
{
    qCInfo(lcNetworkStandIn) << "showUpdaterWindow: there is no update framework on this desktop";
}
