// Launch at login: the autostart entry it writes reads back through our own
// desktop-entry parser, switching off removes it, and a failure says so.
#include "settings/LaunchAtLogin.h"

#include "platform/DesktopEntry.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtGlobal>

#include <gtest/gtest.h>

namespace {

QStringList g_messages;

void capture(QtMsgType type, const QMessageLogContext&, const QString& message)
{
    if (type == QtCriticalMsg)
        g_messages << message;
}

class LaunchAtLoginTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        saved = qgetenv("XDG_CONFIG_HOME");
        qputenv("XDG_CONFIG_HOME", dir.path().toUtf8());
        g_messages.clear();
        previous = qInstallMessageHandler(&capture);
    }
    void TearDown() override
    {
        qInstallMessageHandler(previous);
        qputenv("XDG_CONFIG_HOME", saved);
    }

    QTemporaryDir dir;
    QByteArray saved;
    QtMessageHandler previous = nullptr;
};

TEST_F(LaunchAtLoginTest, OnWritesAnEntryWhoseExecIsTheProgram)
{
    const QString programs[] = {
        QStringLiteral("/usr/bin/orbitShelf"),
        QStringLiteral("/opt/my apps/orbit \"Shelf\"/bin/orbit$Shelf%1\\x"),
    };
    for (const QString& program : programs) {
        SCOPED_TRACE(program.toStdString());
        LaunchAtLogin::setEnabled(true, program);
        EXPECT_EQ(LaunchAtLogin::autostartPath(),
            dir.path() + QStringLiteral("/autostart/io.orbitshelf.OrbitShelf.desktop"));
        EXPECT_TRUE(LaunchAtLogin::isEnabled());
        QString error;
        const auto entry = platform::loadDesktopEntry(LaunchAtLogin::autostartPath(),
            QStringLiteral("io.orbitshelf.OrbitShelf.desktop"), QStringLiteral("C"), &error);
        ASSERT_TRUE(entry) << error.toStdString();
        EXPECT_TRUE(entry->isApplication());
        EXPECT_FALSE(entry->name.isEmpty());
        const auto args = platform::expandExec(*entry);
        ASSERT_TRUE(args);
        EXPECT_EQ(*args, QStringList { program });
    }
    EXPECT_TRUE(g_messages.isEmpty());
}

TEST_F(LaunchAtLoginTest, OffRemovesTheEntryAndHiddenReadsOff)
{
    LaunchAtLogin::setEnabled(true, QStringLiteral("/usr/bin/orbitShelf"));
    LaunchAtLogin::setEnabled(false);
    EXPECT_FALSE(QFile::exists(LaunchAtLogin::autostartPath()));
    EXPECT_FALSE(LaunchAtLogin::isEnabled());

    QDir().mkpath(dir.path() + QStringLiteral("/autostart"));
    QFile file(LaunchAtLogin::autostartPath());
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("[Desktop Entry]\nType=Application\nExec=/usr/bin/orbitShelf\nHidden = true\n");
    file.close();
    EXPECT_FALSE(LaunchAtLogin::isEnabled());
    // Switching on again replaces the hidden entry.
    LaunchAtLogin::setEnabled(true, QStringLiteral("/usr/bin/orbitShelf"));
    EXPECT_TRUE(LaunchAtLogin::isEnabled());
}

TEST_F(LaunchAtLoginTest, AnUnwritableFolderLogsAndReadsOff)
{
    QFile blocker(dir.path() + QStringLiteral("/autostart"));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    LaunchAtLogin::setEnabled(true, QStringLiteral("/usr/bin/orbitShelf"));
    EXPECT_FALSE(LaunchAtLogin::isEnabled());
    ASSERT_EQ(g_messages.size(), 1);
    EXPECT_TRUE(g_messages.first().startsWith("Failed to enable launch at login: "))
        << g_messages.first().toStdString();
}

TEST_F(LaunchAtLoginTest, ATogglesFailedWriteShowsOffAgain)
{
    QFile blocker(dir.path() + QStringLiteral("/autostart"));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    LaunchAtLogin::Toggle toggle(QStringLiteral("🦄 Launch at startup "));
    EXPECT_EQ(toggle.checkBox()->text(), "🦄 Launch at startup ");
    toggle.checkBox()->click();
    EXPECT_FALSE(toggle.checkBox()->isChecked());
    EXPECT_EQ(LaunchAtLogin::Toggle().checkBox()->text(), "Launch at login");
}

} // namespace
