#include "platform/AppLauncher.h"

#include "tests/support/XvfbSession.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace orbitshelf::test;
using namespace platform;

namespace {

const QString kData = QStringLiteral(ORBITSHELF_TEST_DATA "/e2e_launch");

std::shared_ptr<const DesktopEntryIndex> indexOf(const QStringList& dirs)
{
    return std::make_shared<const DesktopEntryIndex>(DesktopEntryIndex::scan(dirs, "C"));
}

} // namespace

TEST(OpenApplication, OpeningAFixtureEntryStartsItsProgram)
{
    DesktopAppLauncher launcher([] { return indexOf({ kData }); });
    ASSERT_TRUE(launcher.openApplication("orbitshelf-launch-check.desktop"));
    EXPECT_TRUE(waitUntil([] { return runTool("wmctrl", { "-l" }).contains("orbitShelf launch check"); },
        std::chrono::seconds(10)));
    // Closing through the window manager ends the detached xterm.
    runTool("wmctrl", { "-c", "orbitShelf launch check" });
    EXPECT_TRUE(waitUntil([] { return !runTool("wmctrl", { "-l" }).contains("orbitShelf launch check"); },
        std::chrono::seconds(10)));
}

TEST(OpenApplication, ArgumentsReachTheProgramUninterpreted)
{
    // A path with a blank, a quote and a shell metacharacter arrives as one
    // argument: nothing goes through a shell.
    QTemporaryDir tmp;
    ASSERT_TRUE(tmp.isValid());
    const QString marker = tmp.filePath("made by 'touch'; $(true)");
    QDir(tmp.path()).mkpath("applications");
    QFile entry(tmp.filePath("applications/touch-marker.desktop"));
    ASSERT_TRUE(entry.open(QIODevice::WriteOnly));
    QString quoted = marker;
    quoted.replace("\\", "\\\\\\\\").replace("\"", "\\\\\"").replace("$", "\\\\$");
    entry.write(QStringLiteral("[Desktop Entry]\nType=Application\nName=Marker\nExec=touch \"%1\" %U\n")
                    .arg(quoted)
                    .toUtf8());
    entry.close();

    const QString dataDir = tmp.path();
    DesktopAppLauncher launcher([dataDir] { return indexOf({ dataDir }); });
    ASSERT_TRUE(launcher.openApplication("touch-marker.desktop"));
    EXPECT_TRUE(waitUntil([&] { return QFileInfo::exists(marker); }, std::chrono::seconds(10)));
    EXPECT_EQ(QDir(tmp.path()).entryList(QDir::Files).size(), 1);
}

TEST(OpenApplication, AMissingProgramIsReportedAsFailure)
{
    DesktopAppLauncher launcher([] { return indexOf({ kData }); });
    EXPECT_FALSE(launcher.openApplication("orbitshelf-missing-program.desktop"));
    EXPECT_FALSE(launcher.openApplication("orbitshelf-not-installed.desktop"));
}
