// Bars on two screens: Xorg with the dummy video driver gives Qt two RandR
// outputs (Xvfb cannot). Switching the second output off closes its bar;
// switching it on brings the bar back. Skipped, saying why, where Xorg with
// the dummy driver cannot be started.
#include "tests/support/X11TestTools.h"

#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

#include <gtest/gtest.h>

#include <unistd.h>

using namespace orbitshelf::test;

namespace {

const QString kConfig = QStringLiteral(ORBITSHELF_TEST_DATA "/e2e_dock_screens/xorg-dummy.conf");
const QString kDock = QStringLiteral("orbitShelf dock");
const QString kStrip = QStringLiteral("orbitShelf auto-show strip");

bool dummyDriverInstalled()
{
    for (const char* dir :
        { "/usr/lib/xorg/modules/drivers", "/usr/lib/x86_64-linux-gnu/xorg/modules/drivers" })
        if (QFileInfo::exists(QStringLiteral("%1/dummy_drv.so").arg(QLatin1String(dir))))
            return true;
    return false;
}

class DockOnTwoScreens : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (QStandardPaths::findExecutable("Xorg").isEmpty() || !dummyDriverInstalled())
            GTEST_SKIP() << "Xorg with the dummy video driver is not installed "
                            "(xserver-xorg-core xserver-xorg-video-dummy; scripts/deps installs them)";
        if (geteuid() != 0)
            GTEST_SKIP() << "starting Xorg with the dummy video driver needs root";
        for (int n = 600 + getpid() % 200; n < 900 && m_display.isEmpty(); ++n)
            if (!QFileInfo::exists(QStringLiteral("/tmp/.X11-unix/X%1").arg(n))
                && !QFileInfo::exists(QStringLiteral("/tmp/.X%1-lock").arg(n)))
                m_display = QStringLiteral(":%1").arg(n);
        m_log = QStringLiteral("/tmp/orbitshelf-e2e-dock-screens-%1.log").arg(getpid());
        m_xorg = spawn(
            "Xorg", { m_display, "-config", kConfig, "-noreset", "-nolisten", "tcp", "-logfile", m_log });
        ASSERT_GT(m_xorg, 0);
        const bool up = waitUntil([&] { return xrandr({}).contains("DUMMY0"); }, std::chrono::seconds(15));
        if (!up)
            GTEST_SKIP() << "Xorg with the dummy driver did not start; see " << m_log.toStdString();
        xrandr({ "--addmode", "DUMMY1", "1920x1080" });
        xrandr({ "--output", "DUMMY0", "--mode", "1400x1050", "--pos", "0x0", "--output", "DUMMY1", "--mode",
            "1920x1080", "--pos", "1400x0" });

        m_savedDisplay = qgetenv("DISPLAY");
        qputenv("DISPLAY", m_display.toUtf8());
        m_openbox = spawn("openbox", { "--sm-disable" });
        ASSERT_TRUE(
            waitUntil([] { return !runTool("wmctrl", { "-m" }).isEmpty(); }, std::chrono::seconds(10)));
    }

    void TearDown() override
    {
        m_run.reset();
        terminate(m_openbox);
        if (!m_savedDisplay.isNull())
            qputenv("DISPLAY", m_savedDisplay);
        terminate(m_xorg);
        if (!HasFailure() && !m_log.isEmpty()) { // kept when a test failed, to read why
            QFile::remove(m_log);
            QFile::remove(m_log + ".old");
        }
    }

    QString xrandr(const QStringList& arguments) const
    {
        return runTool("xrandr", QStringList { "-display", m_display } + arguments);
    }

    // The frames of the visible windows of that title, left to right.
    std::vector<QRect> framesOf(const QString& title) const
    {
        std::vector<QRect> frames;
        for (const QString& id : visibleWindowsNamed(title))
            frames.push_back(windowGeometry(id));
        std::sort(frames.begin(), frames.end(), [](const QRect& a, const QRect& b) { return a.x() < b.x(); });
        return frames;
    }

    QString m_display, m_log;
    QByteArray m_savedDisplay;
    qint64 m_xorg = 0;
    qint64 m_openbox = 0;
    std::unique_ptr<DockRun> m_run;
};

} // namespace

TEST_F(DockOnTwoScreens, EachScreenHasABarAndTheSecondFollowsItsOutput)
{
    m_run = std::make_unique<DockRun>(std::map<QString, QVariant> {});
    ASSERT_GT(m_run->start(), 0);

    // The primary (1400x1050) and the second screen (1920x1080 right of
    // it, reaching 30 below the primary's bottom) each get a dock window
    // along their own bottom edge, and a strip.
    const std::vector<QRect> both = { QRect(0, 550, 1400, 500), QRect(1400, 580, 1920, 500) };
    ASSERT_TRUE(waitUntil([&] { return framesOf(kDock) == both; }, std::chrono::seconds(20)))
        << xrandr({}).toStdString() << "\n"
        << m_run->log().toStdString();
    EXPECT_TRUE(waitUntil([&] { return framesOf(kStrip).size() == 2; }));
    EXPECT_EQ(framesOf(kStrip).back(), QRect(1400, 1070, 1920, 10));

    // Output off: after the screen-change delay only the primary's bar is left.
    xrandr({ "--output", "DUMMY1", "--off" });
    EXPECT_TRUE(waitUntil(
        [&] { return framesOf(kDock) == std::vector<QRect> { both.front() }; }, std::chrono::seconds(30)))
        << m_run->log().toStdString();
    EXPECT_TRUE(waitUntil([&] { return framesOf(kStrip).size() == 1; }));

    // Output on again: its bar comes back where it was.
    xrandr({ "--output", "DUMMY1", "--mode", "1920x1080", "--pos", "1400x0" });
    EXPECT_TRUE(waitUntil([&] { return framesOf(kDock) == both; }, std::chrono::seconds(30)))
        << m_run->log().toStdString();
    EXPECT_TRUE(waitUntil([&] { return framesOf(kStrip).size() == 2; }));
}
