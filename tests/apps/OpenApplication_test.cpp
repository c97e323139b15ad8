#include "apps/OpenApplication.h"

#include "platform/fake/FakeAppLauncher.h"
#include "platform/fake/FakePlatform.h"
#include "platform/fake/FakeServices.h"

#include <gtest/gtest.h>

using platform::RunningApplication;

TEST(OpenApplication, PicksTheFirstLiveInstanceOfTheIdentifier)
{
    const auto app = [](qint32 pid, std::optional<QString> id, bool terminated = false) {
        RunningApplication a;
        a.processIdentifier = pid;
        a.bundleIdentifier = id;
        a.isTerminated = terminated;
        return a;
    };
    const QList<RunningApplication> running { app(10, "a.desktop", true), app(11, std::nullopt),
        app(12, "a.desktop"), app(13, "a.desktop") };
    EXPECT_EQ(runningProcessFor("a.desktop", running), 12);
    EXPECT_EQ(runningProcessFor("b.desktop", running), std::nullopt);
    EXPECT_EQ(runningProcessFor("", running), std::nullopt);
}

TEST(OpenApplication, ARunningApplicationIsBroughtForwardOthersAreStartedThroughTheLauncher)
{
    auto launcher = std::make_shared<platform::fake::FakeAppLauncher>();
    launcher->installed = { "org.example.Editor.desktop", "org.example.Other.desktop" };
    platform::fake::FakePlatform fake;
    platform::Services services = platform::fake::services(&fake);
    services.appLauncher = launcher;
    platform::install(std::move(services));
    RunningApplication editor;
    editor.processIdentifier = 321;
    editor.localizedName = "Editor";
    editor.bundleIdentifier = "org.example.Editor.desktop";
    fake.addApp(editor);
    fake.addWindow(321, QStringLiteral("notes.txt"));

    EXPECT_TRUE(openApplication("org.example.Editor.desktop"));
    EXPECT_TRUE(launcher->openedApplications.isEmpty());
    const auto actions = fake.actions();
    EXPECT_TRUE(std::any_of(actions.begin(), actions.end(), [](const auto& a) {
        return a.kind == platform::fake::FakeAction::Kind::bringProcessToFront && a.pid == 321;
    }));

    EXPECT_TRUE(openApplication("org.example.Other.desktop"));
    EXPECT_FALSE(openApplication("org.example.Missing.desktop"));
    EXPECT_FALSE(openApplication("")); // never reaches the launcher
    EXPECT_EQ(launcher->openedApplications,
        QStringList({ "org.example.Other.desktop", "org.example.Missing.desktop" }));
    EXPECT_TRUE(openURL(QUrl::fromLocalFile("/tmp")));
    EXPECT_EQ(launcher->openedUrls, QList<QUrl>({ QUrl::fromLocalFile("/tmp") }));
    platform::uninstall();
}
