#include "dock/menus/Favorites.h"

#include "state/AppState.h"
#include "state/ImageFiles.h"
#include "apps/ActiveApp.h"
#include "apps/Pinning.h"
#include "apps/SupportFolder.h"
#include "dock/DockLog.h"

#include <QCoreApplication>
#include <QTimer>

namespace {

const QString kBundleName = QStringLiteral("appBundleName");
constexpr int kIconSide = 128;

QImage favoriteIcon(const ActiveApp* app)
{
    if (app && !app->icon.isNull()) {
        const QImage image = app->icon.pixmap(QSize(kIconSide, kIconSide)).toImage();
        if (!image.isNull())
            return image;
    }
    return genericApplicationImage();
}

} // namespace

std::optional<Record> favoriteRecordFor(
    const std::optional<QString>& bundleName, PersistenceController& store)
{
    std::optional<Record> match;
    for (const Record& record : store.fetchAll(Entity::Favorite))
        if (record.text(kBundleName) == bundleName)
            match = record;
    return match;
}

AddFavoriteResult addFavorite(int32_t pid, AppState& state, PersistenceController& store)
{
    const std::shared_ptr<ActiveApp> app = state.allApps.value(pid);
    const std::optional<QString> bundleName = app ? app->appBundleName : std::nullopt;
    if (favoriteRecordFor(bundleName, store))
        return AddFavoriteResult::Duplicate;

    const QString fileName = bundleName.value_or(QStringLiteral("app icon")) + QStringLiteral(".png");
    const std::optional<QUrl> url = appSupportDirectory(fileName);
    if (!url
        || !savePNG(resized(favoriteIcon(app.get()), QSizeF(kIconSide, kIconSide)), url->toLocalFile())) {
        qCWarning(lcDock) << "favourite not added: its icon could not be written for" << fileName;
        return AddFavoriteResult::IconNotWritten;
    }

    QVariantMap values;
    if (app && app->bundleIdentifier)
        values.insert(QStringLiteral("bundleIdentifier"), *app->bundleIdentifier);
    if (app && app->appName)
        values.insert(QStringLiteral("appName"), *app->appName);
    if (bundleName)
        values.insert(kBundleName, *bundleName);
    values.insert(QStringLiteral("appIcon"), storedPathOf(*url));
    if (!store.insert(Entity::Favorite, values) || !store.save()) {
        qCWarning(lcDock) << "favourite for" << fileName << "could not be saved";
        return AddFavoriteResult::NotSaved;
    }
    return AddFavoriteResult::Added;
}

void startAddFavorite(int32_t pid)
{
    QTimer::singleShot(0, qApp, [pid] {
        if (PersistenceController::hasShared())
            addFavorite(pid, AppState::shared(), PersistenceController::shared());
    });
}
