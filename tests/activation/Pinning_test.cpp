#include "tests/activation/ActivationFixture.h"

#include "apps/Pinning.h"
#include "apps/SupportFolder.h"
#include "tests/support/ChangeCounter.h"

#include <QDir>
#include <QFileInfo>
#include <QImage>
#include <QPixmap>

using namespace orbitshelf::test;

namespace {

QIcon solidIcon(QColor color)
{
    QPixmap pixmap(256, 256);
    pixmap.fill(color);
    return QIcon(pixmap);
}

} // namespace

class PinningTest : public ActivationTest {
protected:
    void SetUp() override
    {
        ActivationTest::SetUp();
        m_oldDataHome = qgetenv("XDG_DATA_HOME");
        qputenv("XDG_DATA_HOME", m_dir.filePath("data").toUtf8());
        openStore();
    }
    void TearDown() override
    {
        store.reset();
        qputenv("XDG_DATA_HOME", m_oldDataHome);
        ActivationTest::TearDown();
    }

    // Opening the same file again is what the next start of the app does.
    void openStore()
    {
        store.reset();
        QString error;
        store = PersistenceController::open(m_dir.filePath("store.sqlite"), &error);
        ASSERT_TRUE(store) << error.toStdString();
    }

    std::shared_ptr<ActiveApp> runningApp(
        int32_t pid, std::optional<QString> bundleName, QColor color = Qt::red)
    {
        auto app = std::make_shared<ActiveApp>();
        app->appId = pid;
        app->appName = bundleName ? *bundleName + " App" : QString("Nameless");
        app->appBundleName = bundleName;
        app->bundleIdentifier = "org.example." + bundleName.value_or("nameless");
        app->icon = solidIcon(color);
        AppState::shared().allApps.insert(pid, app);
        return app;
    }

    std::vector<Record> pins() { return store->fetchAll(Entity::PinnedApps); }

    QString supportFolder() const { return m_dir.filePath("data/io.orbitshelf.OrbitShelf"); }

    std::unique_ptr<PersistenceController> store;
    QByteArray m_oldDataHome;
};

TEST_F(PinningTest, PinningTwiceKeepsOneRecordWithA128PixelIcon)
{
    runningApp(100, QString("My Editor"));
    EXPECT_TRUE(pinApp(100, *store));
    EXPECT_FALSE(pinApp(100, *store));
    runningApp(200, QString("My Editor"), Qt::blue); // same short name, other process
    EXPECT_FALSE(pinApp(200, *store));

    const auto records = pins();
    ASSERT_EQ(records.size(), 1u);
    EXPECT_EQ(records[0].text("appBundleName"), "My Editor");
    EXPECT_EQ(records[0].text("appName"), "My Editor App");
    EXPECT_EQ(records[0].text("bundleIdentifier"), "org.example.My Editor");
    const QString stored = *records[0].text("appIcon");
    EXPECT_TRUE(stored.startsWith('/') && stored.endsWith("/io.orbitshelf.OrbitShelf/My%20Editor.png"))
        << "a path with its escapes, no file: in front: " << stored.toStdString();
    const QString iconPath = localPathFromStored(stored);
    QImage icon;
    ASSERT_TRUE(icon.load(iconPath, "PNG"));
    EXPECT_EQ(icon.size(), QSize(128, 128));
    EXPECT_EQ(icon.pixelColor(64, 64), QColor(Qt::red));
}

TEST_F(PinningTest, RefusesAnUnknownProcessAndLeavesNothingHalfMade)
{
    EXPECT_FALSE(pinApp(4242, *store));
    EXPECT_TRUE(pins().empty());

    // The icon cannot be written (a folder stands where the file must go):
    // no record without its icon.
    runningApp(100, QString("Editor"));
    ASSERT_TRUE(QDir().mkpath(QDir(supportFolder()).filePath("Editor.png")));
    EXPECT_FALSE(pinApp(100, *store));
    EXPECT_TRUE(pins().empty());
    EXPECT_FALSE(store->hasChanges());
}

TEST_F(PinningTest, AnApplicationWithoutNameOrIconGetsTheGenericPictureNotTheLaunchers)
{
    auto app = runningApp(100, std::nullopt);
    app->icon = QIcon();
    ASSERT_TRUE(pinApp(100, *store));
    EXPECT_FALSE(pins().at(0).text("appBundleName").has_value());
    const QString path = localPathFromStored(*pins().at(0).text("appIcon"));
    EXPECT_EQ(QFileInfo(path).fileName(), "app icon.png");
    QImage icon;
    ASSERT_TRUE(icon.load(path));
    EXPECT_NE(icon, launchpadImage().convertToFormat(icon.format()));
    EXPECT_EQ(icon, genericApplicationImage().convertToFormat(icon.format()));
}

TEST_F(PinningTest, AProgramWithoutDesktopEntryKeepsItsCommandLineAndItsName)
{
    // This test program stands in for the pinned one: its command line is
    // what /proc shows for it.
    const auto pid = int32_t(QCoreApplication::applicationPid());
    auto app = runningApp(pid, QString("xclock"));
    app->bundleIdentifier.reset();
    app->appName = QString();
    ASSERT_TRUE(pinApp(pid, *store));
    EXPECT_EQ(pins().at(0).text("appName"), "xclock") << "the hover label needs a name";

    AppState::shared().allApps.remove(pid);
    loadPinnedApps(*store);
    ASSERT_EQ(AppState::shared().pinnedAnNotRunning.size(), 1);
    const auto command = AppState::shared().pinnedAnNotRunning.front()->launchCommand;
    ASSERT_TRUE(command);
    // Every argument, the ones the test framework took out of arguments() too.
    ASSERT_FALSE(command->isEmpty());
    EXPECT_EQ(command->first(), QCoreApplication::arguments().first());
    EXPECT_GE(command->size(), QCoreApplication::arguments().size());
}

TEST_F(PinningTest, UnpinRemovesEveryRecordOfTheNameAndOnlyThose)
{
    runningApp(100, QString("Editor"));
    runningApp(200, QString("Viewer"));
    ASSERT_TRUE(pinApp(100, *store));
    ASSERT_TRUE(pinApp(200, *store));
    ASSERT_TRUE(store->insert(Entity::PinnedApps, { { "appBundleName", "Editor" } }));
    ASSERT_TRUE(store->insert(Entity::PinnedApps, { { "appName", "no short name" } }));
    ASSERT_TRUE(store->save());

    EXPECT_EQ(unpinApp("Editor", *store), 2);
    EXPECT_EQ(unpinApp("", *store), 0) << "a record without a name is not the empty name";
    const auto left = pins();
    ASSERT_EQ(left.size(), 2u);
    EXPECT_EQ(left[0].text("appBundleName"), "Viewer");
    EXPECT_FALSE(left[1].text("appBundleName").has_value());
    EXPECT_FALSE(isAppPinned(AppState::shared().allApps.value(100).get(), *store).first);
    EXPECT_TRUE(isAppPinned(AppState::shared().allApps.value(200).get(), *store).first);
}

TEST_F(PinningTest, PinsSurviveARestartAndShowWhileNotRunning)
{
    runningApp(100, QString("Editor"));
    runningApp(200, QString("Viewer"));
    ASSERT_TRUE(pinApp(100, *store));
    ASSERT_TRUE(pinApp(200, *store));

    loadPinnedApps(*store);
    EXPECT_TRUE(AppState::shared().pinnedAnNotRunning.isEmpty())
        << "running applications keep their own button";

    // Next start: nothing runs yet, the store is opened again from its file.
    AppState::shared().allApps.clear();
    openStore();
    auto [pinned, record] = isAppPinned(nullptr, *store);
    EXPECT_FALSE(pinned);
    loadPinnedApps(*store);
    const auto& shown = AppState::shared().pinnedAnNotRunning;
    ASSERT_EQ(shown.size(), 2);
    EXPECT_EQ(shown[0]->appBundleName, "Editor");
    EXPECT_EQ(shown[0]->bundleIdentifier, "org.example.Editor");
    EXPECT_TRUE(shown[0]->appIconUrl->endsWith("Editor.png"));
    EXPECT_TRUE(QImage(pinnedIconPath(*shown[0])).size() == QSize(128, 128));
    EXPECT_FALSE(shown[0]->appId.has_value());
    EXPECT_TRUE(shown[0]->windows && shown[0]->windows->empty());
    EXPECT_EQ(shown[1]->appBundleName, "Viewer");
}

TEST_F(PinningTest, PinnedListShowsEachNameOnceRedrawsOnlyOnChangeAndWaitsForALaunchFromTheBar)
{
    auto& state = AppState::shared();
    ASSERT_TRUE(store->insert(Entity::PinnedApps, { { "appBundleName", "Editor" } }));
    ASSERT_TRUE(
        store->insert(Entity::PinnedApps, { { "appBundleName", "Editor" }, { "appName", "Second" } }));
    ASSERT_TRUE(store->save());
    orbitshelf::test::ChangeCounter changes(state);

    loadPinnedApps(*store);
    ASSERT_EQ(state.pinnedAnNotRunning.size(), 1);
    EXPECT_EQ(state.pinnedAnNotRunning[0]->appBundleName, "Editor");
    EXPECT_EQ(state.pinnedAnNotRunning[0]->appIconUrl, "") << "no icon reads as the empty text";
    EXPECT_EQ(pinnedIconPath(*state.pinnedAnNotRunning[0]), "");
    EXPECT_EQ(changes.count, 1);
    // Every launch and quit reloads the pins: the same pins keep their
    // buttons and draw nothing.
    const auto shown = state.pinnedAnNotRunning;
    loadPinnedApps(*store);
    EXPECT_EQ(changes.count, 1);
    EXPECT_EQ(state.pinnedAnNotRunning, shown);

    ASSERT_TRUE(store->insert(Entity::PinnedApps, { { "appName", "nameless" } }));
    ASSERT_TRUE(store->save());
    loadPinnedApps(*store);
    EXPECT_EQ(changes.count, 2);
    ASSERT_EQ(state.pinnedAnNotRunning.size(), 2);
    EXPECT_EQ(state.pinnedAnNotRunning[1]->appBundleName, "");

    // A running application without a short name hides the nameless pin,
    // but a launch from the bar only clears its flag.
    runningApp(300, std::nullopt);
    state.openFromPinbar = true;
    loadPinnedApps(*store);
    EXPECT_FALSE(state.openFromPinbar);
    EXPECT_EQ(state.pinnedAnNotRunning.size(), 2);
    loadPinnedApps(*store);
    ASSERT_EQ(state.pinnedAnNotRunning.size(), 1);
    EXPECT_EQ(state.pinnedAnNotRunning[0]->appBundleName, "Editor");
}
