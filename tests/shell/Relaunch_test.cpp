#include "state/Alerts.h"
#include "shell/Relaunch.h"
#include "tests/support/XvfbSession.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

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

} // namespace

TEST(Relaunch, StartsOwnExecutableDirectlyThenQuitsOrAlertsAndKeepsRunning)
{
    Alerts alerts;
    QString program;
    QStringList arguments;
    int quits = 0;
    QString failure;
    const auto start = [&](const QString& p, const QStringList& a, QString* error) {
        program = p;
        arguments = a;
        *error = failure;
        return failure.isEmpty();
    };
    EXPECT_TRUE(relaunchApp(start, [&] { ++quits; }));
    EXPECT_EQ(program, QCoreApplication::applicationFilePath())
        << "the executable itself, no shell in between";
    EXPECT_EQ(arguments, relaunchArguments(QCoreApplication::arguments().mid(1)));
    EXPECT_EQ(quits, 1);
    EXPECT_TRUE(alerts.shown.isEmpty());

    failure = QStringLiteral("No such file or directory");
    EXPECT_FALSE(relaunchApp(start, [&] { ++quits; }));
    EXPECT_EQ(quits, 1);
    ASSERT_EQ(alerts.shown.size(), 1);
    EXPECT_TRUE(alerts.shown.first().contains(failure));
}

TEST(Relaunch, PassesOnEveryArgumentButTheOnboardingWindowsRequest)
{
    EXPECT_EQ(relaunchArguments({ "OnboardingWindow" }), QStringList());
    EXPECT_EQ(relaunchArguments({ "-style", "fusion", "OnboardingWindow" }), QStringList({ "-style", "fusion" }));
    EXPECT_EQ(relaunchArguments({ "-name", "shelf" }), QStringList({ "-name", "shelf" }));
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
    EXPECT_TRUE(orbitshelf::test::waitUntil([&] { return QFileInfo::exists(marker); }));
    EXPECT_FALSE(QFileInfo::exists(QDir::current().filePath(QStringLiteral("injected"))));
    EXPECT_FALSE(QFileInfo::exists(QDir::current().filePath(QStringLiteral("injected2"))));
}

TEST(Relaunch, DetachedStartOfAMissingProgramReportsWhy)
{
    QString error;
    EXPECT_FALSE(startDetachedProcess(QStringLiteral("/nonexistent/orbitShelf"), {}, &error));
    EXPECT_FALSE(error.isEmpty());
}
