#include "shell/Relaunch.h"
#include "app/Utilities.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QThread>

namespace {

struct Alerts {
    Alerts()
    {
        setAlertPresenter([this](const QString& message, const QString& informative) {
            shown.append(message + QLatin1Char('\n') + informative);
        });
    }
    ~Alerts() { setAlertPresenter({}); }
    QStringList shown;
};

bool waitForFile(const QString& path)
{
    QElapsedTimer clock;
    clock.start();
    while (!QFileInfo::exists(path) && clock.elapsed() < 5000)
        QThread::msleep(10);
    return QFileInfo::exists(path);
}

} // namespace

TEST(Relaunch, StartsOwnExecutableDirectlyThenQuits)
{
    Alerts alerts;
    QString program;
    QStringList arguments;
    int quits = 0;
    const bool relaunched = relaunchApp(
        [&](const QString& p, const QStringList& a, QString*) {
            program = p;
            arguments = a;
            return true;
        },
        [&] { ++quits; });
    EXPECT_TRUE(relaunched);
    EXPECT_EQ(program, QCoreApplication::applicationFilePath())
        << "the executable itself, no shell in between";
    EXPECT_EQ(arguments, QCoreApplication::arguments().mid(1));
    EXPECT_EQ(quits, 1);
    EXPECT_TRUE(alerts.shown.isEmpty());
}

TEST(Relaunch, FailedStartAlertsAndKeepsRunning)
{
    Alerts alerts;
    int quits = 0;
    const bool relaunched = relaunchApp(
        [](const QString&, const QStringList&, QString* error) {
            *error = QStringLiteral("No such file or directory");
            return false;
        },
        [&] { ++quits; });
    EXPECT_FALSE(relaunched);
    EXPECT_EQ(quits, 0);
    ASSERT_EQ(alerts.shown.size(), 1);
    EXPECT_TRUE(alerts.shown.first().contains(QStringLiteral("No such file or directory")));
}

// A path full of shell syntax is started as a path: nothing in it runs.
TEST(Relaunch, DetachedStartTakesAHostilePathLiterally)
{
    QTemporaryDir dir;
    const QString hostile = dir.filePath(QStringLiteral("x\"; touch injected; \"$(touch injected2) 'y"));
    ASSERT_TRUE(QDir().mkpath(hostile));
    const QString script = hostile + QStringLiteral("/orbitShelf");
    QFile file(script);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("#!/bin/sh\necho started > \"$1\"\n");
    file.close();
    file.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);

    const QString marker = dir.filePath(QStringLiteral("marker"));
    QString error;
    ASSERT_TRUE(startDetachedProcess(script, { marker }, &error)) << error.toStdString();
    EXPECT_TRUE(waitForFile(marker));
    EXPECT_FALSE(QFileInfo::exists(QDir::current().filePath(QStringLiteral("injected"))));
    EXPECT_FALSE(QFileInfo::exists(QDir::current().filePath(QStringLiteral("injected2"))));
}

TEST(Relaunch, DetachedStartOfAMissingProgramReportsWhy)
{
    QString error;
    EXPECT_FALSE(startDetachedProcess(QStringLiteral("/nonexistent/orbitShelf"), {}, &error));
    EXPECT_FALSE(error.isEmpty());
}
