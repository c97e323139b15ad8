#include "platform/Services.h"

#include "platform/fake/FakeClickMonitor.h"
#include "platform/fake/FakeClipboardReader.h"
#include "platform/fake/FakeHotKeys.h"
#include "platform/fake/FakePlatform.h"
#include "platform/fake/FakeServices.h"

#include <QWindow>

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace {

using Released = std::vector<std::string>;

// Pieces that note when they go, and what the services answered then.
struct NotedHotKeys final : platform::HotKeys {
    explicit NotedHotKeys(Released& released)
        : released(released)
    {
    }
    ~NotedHotKeys() override
    {
        // A piece may ask for another while it goes: the release runs
        // outside the services' lock, after the new ones are in place.
        released.push_back(platform::hotKeys() == nullptr ? "hot keys" : "hot keys, still installed");
    }
    std::optional<quint32> registerHotKey(quint16, quint32) override { return std::nullopt; }
    void unregisterHotKey(quint32) override { }
    bool grabKeyboard() override { return false; }
    void ungrabKeyboard() override { }
    bool keyboardGrabbed() const override { return false; }
    bool startModifierMonitor() override { return false; }
    Released& released;
};

struct NotedClipboardReader final : platform::ClipboardReader {
    explicit NotedClipboardReader(Released& released)
        : released(released)
    {
    }
    ~NotedClipboardReader() override { released.push_back("clipboard"); }
    void read(
        const platform::ClipboardLimits&, QObject*, std::function<void(platform::ClipboardRead)>) override
    {
    }
    Released& released;
};

struct NotedDesktop final : platform::Platform {
    explicit NotedDesktop(Released& released)
        : released(released)
    {
    }
    ~NotedDesktop() override
    {
        released.push_back(platform::hasCurrent() ? "desktop, still current" : "desktop");
    }
    platform::WindowServer& windowServer() override { return rest.windowServer(); }
    platform::Accessibility& accessibility() override { return rest.accessibility(); }
    platform::Workspace& workspace() override { return rest.workspace(); }
    platform::Pointer& pointer() override { return rest.pointer(); }
    platform::SystemScripts& scripts() override { return rest.scripts(); }
    Released& released;
    platform::fake::FakePlatform rest;
};

} // namespace

TEST(Services, UninstallReleasesEveryOwnedPieceInTheOrderTheAppNeedsAtExit)
{
    Released released;
    {
        platform::Services services;
        services.desktop = std::make_shared<NotedDesktop>(released);
        services.hotKeys = std::make_shared<NotedHotKeys>(released);
        services.clipboardReader = std::make_shared<NotedClipboardReader>(released);
        platform::install(std::move(services));
    }
    EXPECT_TRUE(released.empty()) << "the installed services own their pieces";
    ASSERT_TRUE(platform::hasCurrent());
    EXPECT_NE(platform::hotKeys(), nullptr);
    EXPECT_NE(platform::clipboardReader(), nullptr);

    platform::uninstall();
    EXPECT_EQ(released, Released({ "hot keys", "clipboard", "desktop" }));
    EXPECT_FALSE(platform::hasCurrent());
    EXPECT_EQ(platform::hotKeys(), nullptr);
    EXPECT_EQ(platform::clipboardReader(), nullptr);
}

TEST(Services, AnInstallReplacesEveryPieceAndEmptyPiecesReadAsNone)
{
    platform::fake::FakePlatform fake;
    platform::fake::FakeHotKeys keys;
    platform::fake::FakeClipboardReader reader;
    int marked = 0;
    platform::Services services = platform::fake::services(&fake);
    services.hotKeys = platform::fake::lent(keys);
    services.clipboardReader = platform::fake::lent(reader);
    services.accessoryMarker = [&marked](QWindow*) { ++marked; };
    services.dockWindowHints.translucencyAvailable = [] { return false; };
    services.dockWindowHints.otherReservedEdges = [] {
        return std::vector<platform::ReservedEdge> { { platform::ReservedEdge::Side::top, 30, 0, 1919 } };
    };
    services.clickMonitors = [] { return std::make_unique<platform::fake::FakeClickMonitor>(); };
    platform::install(std::move(services));

    EXPECT_EQ(&platform::current(), &fake);
    EXPECT_EQ(platform::hotKeys(), &keys);
    EXPECT_EQ(platform::clipboardReader(), &reader);
    EXPECT_FALSE(platform::dockTranslucencyAvailable());
    EXPECT_EQ(platform::otherReservedEdges().size(), 1u);
    EXPECT_NE(platform::createClickMonitor(), nullptr);
    QWindow window;
    platform::markAccessoryWindow(&window);
    platform::markAccessoryWindow(nullptr);
    EXPECT_EQ(marked, 1);

    // A second install holds only what it names: nothing of the first stays.
    platform::install(platform::fake::services());
    EXPECT_FALSE(platform::hasCurrent());
    EXPECT_EQ(platform::hotKeys(), nullptr);
    EXPECT_EQ(platform::clipboardReader(), nullptr);
    EXPECT_TRUE(platform::dockTranslucencyAvailable()) << "without hints nothing is drawn black";
    EXPECT_TRUE(platform::otherReservedEdges().empty());
    EXPECT_EQ(platform::createClickMonitor(), nullptr);
    EXPECT_EQ(platform::screenIdentity(), nullptr);
    platform::markAccessoryWindow(&window);
    EXPECT_EQ(marked, 1);
    ASSERT_NE(platform::appLauncher(), nullptr) << "applications still start from their desktop entries";
    EXPECT_NE(dynamic_cast<platform::DesktopAppLauncher*>(platform::appLauncher().get()), nullptr);
    platform::uninstall();
}

TEST(Services, AScriptedDesktopThatGoesWhileInstalledLeavesNoneBehind)
{
    {
        platform::fake::FakePlatform fake;
        platform::install(platform::fake::services(&fake));
        ASSERT_TRUE(platform::hasCurrent());
    }
    EXPECT_FALSE(platform::hasCurrent());
}
