// orbitShelf's settings window behind the SettingsOpener kit: a page under
// withSettingsOpener asks for it with openSettings, and the window manager
// maps "OrbitShelf Settings". The page is the settings probe
// (tests/support/settings_probe), which registers the scene as main() does.
#include "tests/support/X11TestTools.h"

#include <QProcess>

#include <gtest/gtest.h>

using namespace orbitshelf::test;

namespace {

bool settingsListed()
{
    return runTool(QStringLiteral("wmctrl"), { QStringLiteral("-l") })
        .contains(QLatin1String(" OrbitShelf Settings"));
}

} // namespace

TEST(SettingsOpener, OpenSettingsMapsTheSettingsWindow)
{
    QTemporaryDir home;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.remove(QStringLiteral("QT_QPA_PLATFORM"));
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), home.filePath(QStringLiteral("config")));
    env.insert(QStringLiteral("XDG_DATA_HOME"), home.filePath(QStringLiteral("data")));
    QProcess probe;
    probe.setProcessEnvironment(env);
    probe.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    probe.start(QStringLiteral(SETTINGS_OPENER_PROBE), {});
    ASSERT_TRUE(probe.waitForStarted());

    static const QRegularExpression placed(QStringLiteral("button (-?\\d+),(-?\\d+) (\\d+)x(\\d+)"));
    QString said;
    QRegularExpressionMatch m;
    ASSERT_TRUE(waitUntil(
        [&] {
            said += QString::fromUtf8(probe.readAllStandardOutput());
            return (m = placed.match(said)).hasMatch();
        },
        std::chrono::seconds(10)));
    const QRect button(
        m.captured(1).toInt(), m.captured(2).toInt(), m.captured(3).toInt(), m.captured(4).toInt());
    EXPECT_FALSE(settingsListed());

    // A window just mapped may not take the first click.
    EXPECT_TRUE(waitUntil(
        [&] {
            click(button.center());
            return waitUntil(settingsListed, std::chrono::seconds(1), std::chrono::milliseconds(50));
        },
        std::chrono::seconds(10)));
    EXPECT_FALSE(waitForWindow(QStringLiteral("OrbitShelf Settings")).isEmpty());

    probe.terminate();
    if (!probe.waitForFinished(3000))
        probe.kill();
    probe.waitForFinished();
}
