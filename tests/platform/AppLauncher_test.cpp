#include "platform/AppLauncher.h"

#include <QTemporaryDir>

#include "tests/platform/ScopedEnv.h"

#include <gtest/gtest.h>

using namespace platform;

namespace {

const QString kLauncherData = QStringLiteral(ORBITSHELF_TEST_DATA "/platform");

struct RecordingStarter {
    QList<LaunchCommand> started;
    bool succeed = true;
    DetachedStarter fn()
    {
        return [this](const LaunchCommand& c) -> std::optional<qint64> {
            started << c;
            return succeed ? std::optional<qint64>(4242) : std::nullopt;
        };
    }
};

std::shared_ptr<const DesktopEntryIndex> launcherIndex()
{
    return std::make_shared<const DesktopEntryIndex>(DesktopEntryIndex::scan({ kLauncherData }, "C"));
}

} // namespace

TEST(AppLauncher, StartsExecWithFieldCodesRemovedAndTerminalEntriesInATerminal)
{
    RecordingStarter rec;
    DesktopAppLauncher launcher(&launcherIndex, rec.fn());
    EXPECT_TRUE(launcher.openApplication("org.example.Editor.desktop"));
    EXPECT_TRUE(launcher.openApplication("tools-shell.desktop"));
    ASSERT_EQ(rec.started.size(), 2);
    EXPECT_EQ(rec.started[0], (LaunchCommand { "example-editor", { "--new-window" }, {} }));
    EXPECT_EQ(rec.started[1],
        (LaunchCommand { "x-terminal-emulator",
            { "-e", "env", "LANG=C", "TERM=xterm", "/usr/bin/shelltool", "-x" }, {} }));
}

TEST(AppLauncher, ReportsFailureForEveryWayOpeningCanFail)
{
    RecordingStarter rec;
    DesktopAppLauncher launcher(&launcherIndex, rec.fn());
    EXPECT_FALSE(launcher.openApplication(""));
    EXPECT_FALSE(launcher.openApplication("no-such-app.desktop"));
    EXPECT_FALSE(launcher.openApplication("homepage.desktop")); // a Link, not a program
    EXPECT_TRUE(rec.started.isEmpty());
    rec.succeed = false;
    EXPECT_FALSE(launcher.openApplication("filer.desktop"));
    EXPECT_EQ(rec.started.size(), 1);

    DesktopAppLauncher noIndex([] { return std::shared_ptr<const DesktopEntryIndex>(); }, rec.fn());
    EXPECT_FALSE(noIndex.openApplication("filer.desktop"));
    EXPECT_FALSE(launcher.openUrl(QUrl()));
}

TEST(FileManager, MimeappsDefaultFirstSkippingUninstalledIdsThenTheFirstEntryListingTheType)
{
    const auto index = launcherIndex();
    const auto fromList = fileManagerEntry(*index,
        { kLauncherData + "/mimeapps/does-not-exist.list", kLauncherData + "/mimeapps/mimeapps.list" });
    ASSERT_TRUE(fromList);
    EXPECT_EQ(fromList->id.toStdString(), "tools-shell.desktop");
    const auto fallback = fileManagerEntry(*index, {});
    ASSERT_TRUE(fallback);
    EXPECT_EQ(fallback->id.toStdString(), "filer.desktop");
    EXPECT_FALSE(defaultApplicationFor("application/x-nothing-handles-this", *index, {}));
}

TEST(FileManager, OpeningAFolderStartsTheFileManagerWithIt)
{
    RecordingStarter rec;
    DesktopAppLauncher launcher(&launcherIndex, rec.fn());
    QTemporaryDir dir;
    orbitshelf::test::ScopedEnv home("XDG_CONFIG_HOME", dir.path().toUtf8()); // no user mimeapps.list
    orbitshelf::test::ScopedEnv dirs("XDG_CONFIG_DIRS", dir.path().toUtf8());
    EXPECT_TRUE(launcher.openUrl(QUrl::fromLocalFile(dir.path())));
    ASSERT_FALSE(rec.started.isEmpty());
    EXPECT_EQ(rec.started[0], (LaunchCommand { "filer", { dir.path() }, {} }));
}
