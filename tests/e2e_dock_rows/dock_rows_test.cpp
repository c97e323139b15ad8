// The bar's rows with the real orbitShelf on a private Xvfb + openbox:
// a button per window, clicks that activate and then minimise, a pinned
// application that launches and becomes a running one, and a badge sent
// over the session bus.
#include "tests/support/X11TestTools.h"

#include "Persistence.h"

#include <QApplication>
#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QFile>
#include <QProcess>
#include <QWidget>

#include <gtest/gtest.h>

#include <cstdlib>

using namespace orbitshelf::test;

namespace {

// This program doubles as an application with several windows: started
// with ORBITSHELF_ROWS_CLIENT set to comma-separated titles, it shows one
// window per title and runs until it is ended, before any test code runs.
int runRowsClientIfAsked()
{
    const QByteArray titles = qgetenv("ORBITSHELF_ROWS_CLIENT");
    if (titles.isEmpty())
        return 0;
    static int argc = 1;
    static char name[] = "rows-client";
    static char* argv[] = { name, nullptr };
    QApplication app(argc, argv);
    std::vector<std::unique_ptr<QWidget>> windows;
    int i = 0;
    for (const QByteArray& title : titles.split(',')) {
        auto window = std::make_unique<QWidget>();
        window->setWindowTitle(QString::fromUtf8(title));
        window->setGeometry(120 + 320 * i++, 120, 300, 200);
        window->show();
        windows.push_back(std::move(window));
    }
    std::exit(app.exec());
}
const int rowsClient = runRowsClientIfAsked();

constexpr auto kStart = std::chrono::seconds(20);
constexpr int kPinnedKind = 3; // BarEntry::Kind::PinnedApp

std::optional<LoggedBarItem> itemOfWindow(const std::vector<LoggedBarItem>& bar, const QString& id)
{
    for (const LoggedBarItem& item : bar) {
        if (QString::number(item.window) == id)
            return item;
    }
    return std::nullopt;
}

void click(const QPoint& point)
{
    // "mousemove --sync" waits for a motion, so it would hang when the
    // pointer already stands there (a second click on the same button).
    const QString here = runTool("xdotool", { "getmouselocation", "--shell" });
    const bool there = here.contains(QStringLiteral("X=%1\n").arg(point.x()))
        && here.contains(QStringLiteral("Y=%1\n").arg(point.y()));
    if (!there)
        runTool("xdotool", { "mousemove", "--sync", QString::number(point.x()), QString::number(point.y()) });
    runTool("xdotool", { "click", "1" });
}

QString screenshotPath(const QString& name)
{
    const QString dir = QCoreApplication::applicationDirPath() + QStringLiteral("/e2e_dock_screenshots");
    QDir().mkpath(dir);
    return dir + QLatin1Char('/') + name;
}

class DockRows : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_EQ(rowsClient, 0);
        ASSERT_FALSE(m_bus.address().isEmpty()) << "dbus-daemon gave no address";
        qputenv("DBUS_SESSION_BUS_ADDRESS", m_bus.address().toUtf8());
    }
    void TearDown() override
    {
        m_run.reset();
        for (qint64 pid : m_pids)
            terminate(pid);
    }

    qint64 startXterm(const QString& title, int x)
    {
        const qint64 pid = spawn("xterm", { "-T", title, "-geometry", QStringLiteral("30x6+%1+600").arg(x) });
        m_pids.push_back(pid);
        return pid;
    }

    qint64 startClient(const QStringList& titles)
    {
        const QByteArray qpa = qgetenv("QT_QPA_PLATFORM");
        qputenv("QT_QPA_PLATFORM", "xcb");
        qputenv("ORBITSHELF_ROWS_CLIENT", titles.join(',').toUtf8());
        const qint64 pid = spawn(QCoreApplication::applicationFilePath(), {});
        qunsetenv("ORBITSHELF_ROWS_CLIENT");
        qputenv("QT_QPA_PLATFORM", qpa);
        m_pids.push_back(pid);
        return pid;
    }

    // A desktop entry of our own, pinned in the run's store, for a program
    // that is not running.
    void pinLauncherEntry()
    {
        const QString data = m_run->home() + QStringLiteral("/data");
        QDir().mkpath(data + QStringLiteral("/applications"));
        QFile entry(data + QStringLiteral("/applications/org.example.Pinned.desktop"));
        ASSERT_TRUE(entry.open(QIODevice::WriteOnly));
        entry.write("[Desktop Entry]\nType=Application\nName=Pinned\n"
                    "Exec=xmessage -geometry +900+300 pinned-launched\n");
        entry.close();
        qputenv("XDG_DATA_HOME", data.toLocal8Bit());
        QString error;
        auto store = PersistenceController::open(PersistenceController::defaultStorePath(), &error);
        ASSERT_TRUE(store) << error.toStdString();
        ASSERT_TRUE(store->insert(Entity::PinnedApps,
            { { "appBundleName", "xmessage" }, { "appName", "Pinned" },
                { "bundleIdentifier", "org.example.Pinned.desktop" } }));
        ASSERT_TRUE(store->save());
    }

    std::vector<LoggedBarItem> barWhen(
        const std::function<bool(const std::vector<LoggedBarItem>&)>& condition,
        std::chrono::milliseconds timeout = kStart)
    {
        std::vector<LoggedBarItem> bar;
        waitUntil(
            [&] {
                bar = loggedBar(m_run->log());
                return condition(bar);
            },
            timeout);
        return bar;
    }

    PrivateSessionBus m_bus;
    std::unique_ptr<DockRun> m_run = std::make_unique<DockRun>(std::map<QString, QVariant> {});
    std::vector<qint64> m_pids;
};

TEST_F(DockRows, AButtonPerWindowActivatesItAndASecondClickMinimisesIt)
{
    startXterm("rows-a", 40);
    startXterm("rows-b", 340);
    startXterm("rows-c", 640);
    startClient({ "rows-multi-1", "rows-multi-2", "rows-multi-3" });
    QStringList ids;
    for (const char* title :
        { "rows-a", "rows-b", "rows-c", "rows-multi-1", "rows-multi-2", "rows-multi-3" }) {
        ids << waitForWindow(QString::fromLatin1(title));
        ASSERT_FALSE(ids.back().isEmpty()) << title;
    }

    ASSERT_GT(m_run->start(), 0);
    const std::vector<LoggedBarItem> bar = barWhen([&](const auto& items) {
        return std::all_of(
            ids.begin(), ids.end(), [&](const QString& id) { return itemOfWindow(items, id); });
    });
    for (const QString& id : ids)
        ASSERT_TRUE(itemOfWindow(bar, id)) << "no button for window " << id.toStdString() << "\n"
                                           << m_run->log().toStdString();
    // The three windows of one application stand side by side.
    const QRect first = itemOfWindow(bar, ids[3])->rect;
    const QRect second = itemOfWindow(bar, ids[4])->rect;
    const QRect third = itemOfWindow(bar, ids[5])->rect;
    EXPECT_EQ(second.left(), first.right() + 1);
    EXPECT_EQ(third.left(), second.right() + 1);
    runTool("import", { "-window", "root", screenshotPath("rows.png") });

    // Focus elsewhere first, then click the middle window's button.
    runTool("xdotool", { "windowactivate", "--sync", ids[0] });
    ASSERT_TRUE(waitUntil([&] { return activeWindow() == ids[0]; }));
    click(second.center());
    EXPECT_TRUE(waitUntil([&] { return activeWindow() == ids[4]; })) << "the clicked window did not come forward";

    // The same button again: the window goes down to the task list.
    click(second.center());
    EXPECT_TRUE(waitUntil([&] { return property(ids[4], "_NET_WM_STATE").contains("_NET_WM_STATE_HIDDEN"); }))
        << property(ids[4], "_NET_WM_STATE").toStdString() << "\n"
        << m_run->log().toStdString();
}

TEST_F(DockRows, APinnedEntryLaunchesAndBecomesARunningApplication)
{
    startXterm("rows-pin-neighbour", 40);
    const QString neighbour = waitForWindow("rows-pin-neighbour");
    ASSERT_FALSE(neighbour.isEmpty());
    pinLauncherEntry();
    ASSERT_GT(m_run->start(), 0);

    // Click only once the bar has settled with both buttons on it.
    std::vector<LoggedBarItem> bar = barWhen([&](const auto& items) {
        return itemOfWindow(items, neighbour)
            && std::any_of(items.begin(), items.end(), [](const auto& i) { return i.kind == kPinnedKind; });
    });
    const auto pinned
        = std::find_if(bar.begin(), bar.end(), [](const auto& i) { return i.kind == kPinnedKind; });
    ASSERT_NE(pinned, bar.end()) << m_run->log().toStdString();
    click(pinned->rect.center());

    const QString launched = waitForWindow("xmessage");
    ASSERT_FALSE(launched.isEmpty()) << "the pinned entry did not start its program\n"
                                     << m_run->log().toStdString();
    bar = barWhen([&](const auto& items) {
        return itemOfWindow(items, launched)
            && std::none_of(items.begin(), items.end(), [](const auto& i) { return i.kind == kPinnedKind; });
    });
    EXPECT_TRUE(itemOfWindow(bar, launched)) << m_run->log().toStdString();
    EXPECT_TRUE(std::none_of(bar.begin(), bar.end(), [](const auto& i) { return i.kind == kPinnedKind; }))
        << "the pinned button stayed beside the running application";
    // The launched program is the dock's child, not ours: close its window.
    runTool("xdotool", { "search", "--name", "^xmessage$", "windowkill" });
}

TEST_F(DockRows, ALauncherEntryCountBecomesTheBadgeWithinTenSeconds)
{
    startXterm("rows-badge", 40);
    const QString id = waitForWindow("rows-badge");
    ASSERT_FALSE(id.isEmpty());
    ASSERT_GT(m_run->start(), 0);
    ASSERT_TRUE(
        itemOfWindow(barWhen([&](const auto& items) { return itemOfWindow(items, id).has_value(); }), id))
        << m_run->log().toStdString();

    // An application stays on the bus while its badge shows (the badge goes
    // with its sender), so the count comes from a connection of ours rather
    // than a one-shot sender; dbus-send could not marshal the a{sv} anyway.
    const QString connectionName = QStringLiteral("dock-rows-badge-sender");
    QDBusConnection sender = QDBusConnection::connectToBus(m_bus.address(), connectionName);
    ASSERT_TRUE(sender.isConnected());
    QDBusMessage update
        = QDBusMessage::createSignal("/org/example/badge", "com.canonical.Unity.LauncherEntry", "Update");
    update << QStringLiteral("application://debian-xterm.desktop")
           << QVariantMap { { "count", QVariant::fromValue(qint64(7)) }, { "count-visible", true } };
    const bool sent = sender.send(update);
    ASSERT_TRUE(sent);
    // Badges are read on every 10th tick: ten seconds at most, plus the one
    // tick by which the dock's clock may lag the count.
    const std::vector<LoggedBarItem> bar = barWhen(
        [&](const auto& items) {
            const auto item = itemOfWindow(items, id);
            return item && item->badge == "7";
        },
        std::chrono::seconds(11));
    const auto item = itemOfWindow(bar, id);
    ASSERT_TRUE(item);
    EXPECT_EQ(item->badge, "7") << m_run->log().toStdString();
    runTool("import", { "-window", "root", screenshotPath("badge.png") });
    sender = QDBusConnection(QString());
    QDBusConnection::disconnectFromBus(connectionName);
}

} // namespace
