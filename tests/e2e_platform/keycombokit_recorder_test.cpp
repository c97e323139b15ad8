// The shortcut recorder in a real window on the X server, used as a person
// would: a click, keys typed with xdotool, a terminal in front, another
// keyboard layout. The window is the kit's probe program
// (tests/support/keycombokit_probe), which says what it shows.
#include "tests/support/X11TestTools.h"

#include <QProcess>

#include <gtest/gtest.h>

using namespace orbitshelf::test;

namespace {

class Probe final {
public:
    explicit Probe(const QStringList& arguments = {})
    {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.remove(QStringLiteral("QT_QPA_PLATFORM"));
        m_process.setProcessEnvironment(env);
        m_process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        m_process.start(QStringLiteral(KEYCOMBOKIT_PROBE), arguments);
    }
    ~Probe()
    {
        m_process.terminate();
        if (!m_process.waitForFinished(3000))
            m_process.kill();
        m_process.waitForFinished();
    }
    // Whether the probe has said `line` since the last forget(), waiting.
    bool says(const QString& line, std::chrono::milliseconds timeout = std::chrono::seconds(5))
    {
        return waitUntil([&] { return read().contains(line); }, timeout);
    }
    void forget()
    {
        read();
        m_lines.clear();
    }
    QStringList lines() { return read(); }
    // The control's centre once the window is shown.
    std::optional<QPoint> control()
    {
        static const QRegularExpression placed(QStringLiteral("^control (-?\\d+),(-?\\d+) (\\d+)x(\\d+)$"));
        waitUntil([&] {
            for (const QString& line : read())
                if (const auto m = placed.match(line); m.hasMatch())
                    m_control = QRect(m.captured(1).toInt(), m.captured(2).toInt(), m.captured(3).toInt(),
                        m.captured(4).toInt())
                                    .center();
            return m_control.has_value();
        });
        return m_control;
    }
    // Clicks the control until it records (a window just mapped may not take
    // input at once).
    bool beginRecording()
    {
        const auto at = control();
        if (!at)
            return false;
        forget();
        return waitUntil([&] {
            click(*at);
            return says(QStringLiteral("recording 1"), std::chrono::milliseconds(500));
        });
    }

private:
    const QStringList& read()
    {
        m_pending += QString::fromUtf8(m_process.readAllStandardOutput());
        const qsizetype end = m_pending.lastIndexOf(u'\n');
        if (end >= 0) {
            m_lines += m_pending.left(end).split(u'\n');
            m_pending.remove(0, end + 1);
        }
        return m_lines;
    }
    QProcess m_process;
    QString m_pending;
    QStringList m_lines;
    std::optional<QPoint> m_control;
};

} // namespace

TEST(KeyComboKitRecorder, RecordsTypedKeysThatThenWorkEverywhere)
{
    Probe probe;
    ASSERT_TRUE(probe.control()) << "the probe's window never showed";
    ASSERT_TRUE(probe.beginRecording());
    EXPECT_TRUE(probe.says(QStringLiteral("label Press keys now")));

    xdotool({ "key", "ctrl+shift+k" });
    EXPECT_TRUE(probe.says(QStringLiteral("stored Command-Shift-K")));
    EXPECT_TRUE(probe.says(QStringLiteral("label ⇧⌘K")));
    EXPECT_TRUE(probe.says(QStringLiteral("recording 0")));

    // The recorded keys now run the action from any program.
    Clients clients;
    const auto term = clients.xterm(QStringLiteral("kc-terminal"));
    ASSERT_FALSE(term.id.isEmpty());
    xdotool({ "windowactivate", "--sync", term.id });
    ASSERT_TRUE(waitUntil([&] { return activeWindow() == term.id; }));
    probe.forget();
    xdotool({ "key", "ctrl+shift+k" });
    EXPECT_TRUE(probe.says(QStringLiteral("fired Command-Shift-K")));

    // The label names the key as the keyboard layout does.
    ASSERT_TRUE(probe.beginRecording());
    xdotool({ "key", "ctrl+y" });
    EXPECT_TRUE(probe.says(QStringLiteral("stored Command-Y")));
    EXPECT_TRUE(probe.says(QStringLiteral("label ⌘Y")));
    runTool(QStringLiteral("setxkbmap"), { QStringLiteral("de") });
    EXPECT_TRUE(probe.says(QStringLiteral("label ⌘Z")));
    runTool(QStringLiteral("setxkbmap"), { QStringLiteral("us") });
    EXPECT_TRUE(probe.says(QStringLiteral("label ⌘Y")));
}

TEST(KeyComboKitRecorder, TabIsRecordedWithAndWithoutModifiers)
{
    Probe probe({ QStringLiteral("--allow-empty") });
    const struct {
        const char* keys;
        const char* stored;
    } rows[] = {
        { "Tab", "stored ⇥" },
        { "shift+Tab", "stored Shift-⇥" },
        { "super+Tab", "stored Control-⇥" },
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.keys);
        ASSERT_TRUE(probe.beginRecording());
        xdotool({ "key", row.keys });
        EXPECT_TRUE(probe.says(QString::fromUtf8(row.stored))) << probe.lines().join(" | ").toStdString();
        EXPECT_TRUE(probe.says(QStringLiteral("recording 0")));
    }
}
