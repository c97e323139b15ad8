#include "apps/Pinning.h"

#include "state/AppState.h"
#include "state/ImageFiles.h"
#include "apps/ActiveApp.h"
#include "apps/SupportFolder.h"
#include "platform/AppIdentity.h"

#include <QCoreApplication>
#include <QFile>
#include <QIcon>
#include <QLoggingCategory>
#include <QPainter>
#include <QPainterPath>
#include <QSet>
#include <QTimer>

#include <algorithm>
#include <unordered_map>

Q_LOGGING_CATEGORY(lcPinning, "orbitshelf.apps.pinning")

namespace {

const QString kBundleName = QStringLiteral("appBundleName");
const QString kAppName = QStringLiteral("appName");
const QString kBundleIdentifier = QStringLiteral("bundleIdentifier");
const QString kAppIcon = QStringLiteral("appIcon");
constexpr int kIconSide = 128;

// Both present and equal, or both absent.
bool sameName(const std::optional<QString>& a, const std::optional<QString>& b)
{
    return a == b;
}

std::optional<std::vector<Record>> fetchPins(PersistenceController& store)
{
    // Every launch and quit reloads the pins; they change only when the
    // store saves them, which it announces, so they are read from the file
    // once per change rather than once per launch.
    static std::unordered_map<const PersistenceController*, std::vector<Record>> kept;
    if (const auto it = kept.find(&store); it != kept.end())
        return it->second;
    auto pins = store.fetch(FetchRequest { Entity::PinnedApps, {}, {}, 0 });
    if (!pins)
        return std::nullopt;
    if (!store.property("orbitshelf.pinsKept").toBool()) {
        store.setProperty("orbitshelf.pinsKept", true);
        const PersistenceController* key = &store;
        QObject::connect(&store, &PersistenceController::entityChanged, &store, [key](Entity entity) {
            if (entity == Entity::PinnedApps)
                kept.erase(key);
        });
        QObject::connect(&store, &QObject::destroyed, [key] { kept.erase(key); });
    }
    kept[&store] = *pins;
    return pins;
}

QImage iconImage(const ActiveApp& app)
{
    if (!app.icon.isNull()) {
        const QImage image = app.icon.pixmap(QSize(kIconSide, kIconSide)).toImage();
        if (!image.isNull())
            return image;
    }
    return genericApplicationImage();
}

// Beside the pin's icon file: how to start a program that has no desktop
// entry, one argument per line, as its process was started.
QString commandFilePath(const QString& iconPath)
{
    QString path = iconPath;
    if (path.endsWith(QLatin1String(".png")))
        path.chop(4);
    return path + QStringLiteral(".command");
}

} // namespace

QImage launchpadImage()
{
    // A three-by-three grid of rounded tiles: "all applications".
    QImage image(kIconSide, kIconSide, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(0x3d, 0x4a, 0x5c));
    painter.drawRoundedRect(QRectF(4, 4, 120, 120), 26, 26);
    const QColor tiles[] = { QColor(0xff, 0x76, 0x75), QColor(0xfd, 0xcb, 0x6e), QColor(0x55, 0xef, 0xc4),
        QColor(0x74, 0xb9, 0xff), QColor(0xa2, 0x9b, 0xfe), QColor(0xfa, 0xb1, 0xa0),
        QColor(0x00, 0xce, 0xc9), QColor(0xff, 0xea, 0xa7), QColor(0xdf, 0xe6, 0xe9) };
    for (int row = 0; row < 3; ++row)
        for (int column = 0; column < 3; ++column) {
            painter.setBrush(tiles[row * 3 + column]);
            painter.drawRoundedRect(QRectF(22 + column * 30, 22 + row * 30, 24, 24), 6, 6);
        }
    return image;
}

QImage genericApplicationImage()
{
    // The icon theme's picture of "a program", else a plain window on a tile.
    const QIcon themed = QIcon::fromTheme(QStringLiteral("application-x-executable"));
    const QImage picture = themed.isNull() ? QImage() : themed.pixmap(kIconSide, kIconSide).toImage();
    if (!picture.isNull())
        return picture;
    QImage image(kIconSide, kIconSide, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(0x8a, 0x93, 0x9e));
    painter.drawRoundedRect(QRectF(8, 8, 112, 112), 24, 24);
    painter.setBrush(Qt::white);
    painter.drawRoundedRect(QRectF(28, 36, 72, 56), 6, 6);
    painter.setBrush(QColor(0x4a, 0x55, 0x63));
    painter.drawRect(QRectF(28, 36, 72, 12));
    return image;
}

std::optional<QStringList> readPinnedCommand(const QString& iconPath)
{
    if (iconPath.isEmpty())
        return std::nullopt;
    QFile file(commandFilePath(iconPath));
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    QStringList argv = QString::fromUtf8(file.readAll()).split(QLatin1Char('\n'));
    if (!argv.isEmpty() && argv.last().isEmpty())
        argv.removeLast();
    if (argv.isEmpty() || argv.first().isEmpty())
        return std::nullopt;
    return argv;
}

QString pinnedIconPath(const ActiveApp& app)
{
    const QString stored = app.appIconUrl.value_or(QString());
    return stored.isEmpty() ? QString() : localPathFromStored(stored);
}

void startPinApp(int32_t pid)
{
    QTimer::singleShot(0, qApp, [pid] { pinApp(pid); });
}

void startUnpinApp(const QString& bundleName)
{
    QTimer::singleShot(0, qApp, [bundleName] { unpinApp(bundleName); });
}

bool pinApp(int32_t pid)
{
    return pinApp(pid, PersistenceController::shared());
}

bool pinApp(int32_t pid, PersistenceController& store)
{
    // Pinning something that is not running would store a nameless record
    // that matches nothing and can never be removed from the bar's menu.
    const auto app = AppState::shared().allApps.value(pid);
    if (!app) {
        qCWarning(lcPinning) << "not pinned: process" << pid << "is not a running application";
        return false;
    }

    const auto pins = fetchPins(store);
    if (!pins)
        return false;
    bool pinned = false;
    for (const Record& record : *pins)
        pinned = pinned || sameName(record.text(kBundleName), app->appBundleName);
    if (pinned)
        return false;

    // The icon file first: a record is only stored once its icon exists, so
    // a failed write leaves nothing half-made behind.
    const QString fileName = app->appBundleName.value_or(QStringLiteral("app icon")) + QStringLiteral(".png");
    const auto url = appSupportDirectory(fileName);
    if (!url)
        return false;
    if (!savePNG(resized(iconImage(*app), QSizeF(kIconSide, kIconSide)), url->toLocalFile()))
        return false;

    // Without a desktop entry nothing else knows how to start it again.
    if (!app->bundleIdentifier || app->bundleIdentifier->isEmpty()) {
        QStringList argv = platform::processCommandLine(pid);
        // Arguments with line breaks cannot be kept one per line.
        const bool keepable = std::none_of(
            argv.begin(), argv.end(), [](const QString& a) { return a.contains(QLatin1Char('\n')); });
        QFile file(commandFilePath(url->toLocalFile()));
        if (!argv.isEmpty() && keepable && file.open(QIODevice::WriteOnly | QIODevice::Truncate))
            file.write((argv.join(QLatin1Char('\n')) + QLatin1Char('\n')).toUtf8());
        else
            qCInfo(lcPinning) << "pinned process" << pid << "without a way to start it again";
    }

    QVariantMap values;
    if (app->bundleIdentifier)
        values.insert(kBundleIdentifier, *app->bundleIdentifier);
    // The name the button's hover shows.
    if (app->appName && !app->appName->isEmpty())
        values.insert(kAppName, *app->appName);
    else if (app->appBundleName)
        values.insert(kAppName, *app->appBundleName);
    if (app->appBundleName)
        values.insert(kBundleName, *app->appBundleName);
    values.insert(kAppIcon, storedPathOf(*url));
    if (!store.insert(Entity::PinnedApps, values))
        return false;
    if (!store.save()) {
        qCWarning(lcPinning) << "pinning process" << pid << "could not be saved";
        return false;
    }
    return true;
}

int unpinApp(const QString& bundleName)
{
    return unpinApp(bundleName, PersistenceController::shared());
}

int unpinApp(const QString& bundleName, PersistenceController& store)
{
    const auto pins = fetchPins(store);
    if (!pins)
        return 0;
    int removed = 0;
    for (const Record& record : *pins) {
        const auto name = record.text(kBundleName);
        if (!name || *name != bundleName)
            continue;
        store.remove(record);
        if (store.save())
            ++removed;
    }
    return removed;
}

std::pair<bool, std::optional<Record>> isAppPinned(const ActiveApp* app)
{
    return isAppPinned(app, PersistenceController::shared());
}

std::pair<bool, std::optional<Record>> isAppPinned(const ActiveApp* app, PersistenceController& store)
{
    const auto pins = fetchPins(store);
    if (!pins)
        return { false, std::nullopt };
    const std::optional<QString> name = app ? app->appBundleName : std::nullopt;
    std::optional<Record> match;
    for (const Record& record : *pins)
        if (sameName(record.text(kBundleName), name))
            match = record;
    if (store.hasChanges())
        store.save();
    return { match.has_value(), match };
}

void loadPinnedApps()
{
    loadPinnedApps(PersistenceController::shared());
}

void loadPinnedApps(PersistenceController& store)
{
    AppState& state = AppState::shared();
    if (state.openFromPinbar) {
        state.openFromPinbar = false;
        emit state.changed();
        return;
    }
    const auto pins = fetchPins(store);
    if (!pins)
        return;

    QSet<QString> running;
    for (const auto& app : std::as_const(state.allApps))
        running.insert(app ? app->appBundleName.value_or(QString()) : QString());

    QList<std::shared_ptr<ActiveApp>> pinned;
    QSet<QString> added;
    for (const Record& record : *pins) {
        const QString name = record.text(kBundleName).value_or(QString());
        if (running.contains(name) || added.contains(name))
            continue;
        added.insert(name);
        auto app = std::make_shared<ActiveApp>();
        app->appBundleName = name;
        app->appName = record.text(kAppName).value_or(QString());
        app->bundleIdentifier = record.text(kBundleIdentifier).value_or(QString());
        app->appIconUrl = record.text(kAppIcon).value_or(QString());
        app->launchCommand = readPinnedCommand(pinnedIconPath(*app));
        app->windows = std::vector<std::shared_ptr<Windows>> {};
        pinned.append(std::move(app));
    }
    // Launches and quits reload the pins; the views hear of it only when the
    // pinned buttons changed.
    const auto sameButton = [](const std::shared_ptr<ActiveApp>& a, const std::shared_ptr<ActiveApp>& b) {
        return a && b && a->appBundleName == b->appBundleName && a->appName == b->appName
            && a->bundleIdentifier == b->bundleIdentifier && a->appIconUrl == b->appIconUrl
            && a->launchCommand == b->launchCommand;
    };
    const bool changed = !std::equal(pinned.cbegin(), pinned.cend(), state.pinnedAnNotRunning.cbegin(),
        state.pinnedAnNotRunning.cend(), sameButton);
    if (changed) {
        state.pinnedAnNotRunning = std::move(pinned);
        emit state.changed();
    }
    if (store.hasChanges())
        store.save();
}
