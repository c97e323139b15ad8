#pragma once

#include "platform/AppLauncher.h"

#include <QList>
#include <QSet>
#include <QString>
#include <QUrl>

namespace platform::fake {

// Records what the app asked to open instead of starting anything. Ids in
// `installed` open successfully; any other id fails, as with a real index.
class FakeAppLauncher final : public AppLauncher {
public:
    bool openApplication(const QString& bundleIdentifier) override
    {
        openedApplications.append(bundleIdentifier);
        return installed.contains(bundleIdentifier);
    }
    bool openUrl(const QUrl& url) override
    {
        openedUrls.append(url);
        return urlsSucceed;
    }

    QSet<QString> installed;
    bool urlsSucceed = true;
    QStringList openedApplications;
    QList<QUrl> openedUrls;
};

} // namespace platform::fake
