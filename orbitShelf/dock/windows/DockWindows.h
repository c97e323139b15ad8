#pragma once

#include "dock/windows/DockFrames.h"

#include <QSizeF>
#include <QString>

#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <vector>

class AppState;

// One window of the dock: a dock window hosting a root view, or an
// auto-show strip. The window layer makes them; tests record them.
class DockHostWindow {
public:
    virtual ~DockHostWindow() = default;
    virtual void setFrame(const DockFrame& frame) = 0;
    virtual void orderFront() = 0;
    virtual void close() = 0;
    // Calls `ready` once the window stands: a dock window has reserved its
    // edge and drawn its bar. At once where there is nothing to wait for.
    virtual void whenReady(std::function<void()> ready) { ready(); }
    // The window stays on the screen as it stands, its edge still reserved,
    // until it is closed; what it hosts follows nothing from here. `blank`:
    // it shows nothing meanwhile (its successor stands elsewhere).
    virtual void retire(bool blank) { (void)blank; }
};

// What a window is made for: its frame and its root view's inputs.
struct DockWindowSpec {
    enum class Kind { Dock, Strip };
    Kind kind = Kind::Dock;
    DockFrame frame;
    QString screenID;
    bool enableListener = false; // docks: only the main dock listens
    double width = 0; // docks: the screen size handed to the bar; strips: the strip's size
    double height = 0;
    QRectF screenFrame; // the whole screen the window belongs to, dock space
    QRectF visibleFrame; // the part of that screen windows may use, dock space
    QString position; // the bar's edge on that screen

    bool operator==(const DockWindowSpec&) const = default;
};

// What the dock windows need of the world, so that the logic runs without a
// display in tests.
struct DockWindowServices {
    // The attached screens, in the window system's order, in dock space.
    std::function<std::vector<DockScreen>()> screens;
    std::function<std::unique_ptr<DockHostWindow>(const DockWindowSpec&)> makeWindow;
    // Installs the global modifier-key monitor; called once per process.
    std::function<void()> installModifierMonitor;
    // Starts the global hot keys with option and no extra modifier.
    std::function<void()> startHotKeys;
};

// The dock windows of every screen and their auto-show strips. Main thread
// only. One main dock on the primary screen (the one holding the dock-space
// origin); with multiple screens supported, one dock on every other screen;
// a strip beside each.
class DockWindows final {
public:
    DockWindows(AppState& state, DockWindowServices services);
    ~DockWindows();
    DockWindows(const DockWindows&) = delete;
    DockWindows& operator=(const DockWindows&) = delete;

    void buildDockWindows();
    void createDockWindows();
    void createDockTriggerWindows();
    void createMainDockTriggerWindow();
    void relayoutDockWindows();
    void restartDockWindows();
    void closeScreenDockWindows();
    void closeMainDockWindows(const QString& screenID);
    // Whether a screen's visible frame (what other panels leave free) is no
    // longer the one its windows were placed in.
    bool visibleFramesChanged() const;
    // The screens as the windows were last placed on them; empty before.
    const std::vector<DockScreen>& placedScreens() const { return m_placedScreens; }

    DockHostWindow* mainDockWindow() const { return m_mainDockWindow.get(); }
    DockHostWindow* mainDockTriggerWindow() const { return m_mainDockTriggerWindow.get(); }
    const std::map<QString, std::unique_ptr<DockHostWindow>>& dockWindowsByScreen() const
    {
        return m_dockWindowsByScreen;
    }
    const std::map<QString, std::unique_ptr<DockHostWindow>>& dockTriggerWindowsByScreen() const
    {
        return m_dockTriggerWindowsByScreen;
    }

private:
    using WindowMap = std::map<QString, std::unique_ptr<DockHostWindow>>;

    std::optional<QString> storedPosition(const QString& screenID) const;
    // Brings forward the screen's window if it has one and notes the main
    // screen; true when a window is still to be made for the screen.
    bool needsScreenWindow(WindowMap& windows, const DockScreen& screen);
    DockWindowSpec screenWindowSpec(
        DockWindowSpec::Kind kind, const DockFrame& frame, const DockScreen& screen) const;
    static void closeAll(WindowMap& windows);
    void dropStaleDockWindows(WindowMap& windows, const std::vector<DockScreen>& screens);
    void dropStaleDockWindow(
        WindowMap& windows, const QString& screenID, const std::vector<DockScreen>& screens);
    void recordScreenSize(const QString& screenID, const DockFrame& frame);

    // Closes `leaving` once `successor` stands, at the latest after
    // kHandOverLimitMs; at once without a successor.
    static void handOver(std::unique_ptr<DockHostWindow> leaving, DockHostWindow* successor);
    // Makes a screen's dock window anew where its screen is no longer the
    // one it was made for: a window only moved kept what its bar had
    // computed from the old screen.
    void remakeScreenDockWindow(const DockScreen& screen, const DockWindowSpec& spec);
    static constexpr int kHandOverLimitMs = 2000;

    AppState& m_state;
    DockWindowServices m_services;
    std::unique_ptr<DockHostWindow> m_mainDockWindow;
    DockFrame m_mainDockFrame; // where the main dock window was made
    std::unique_ptr<DockHostWindow> m_mainDockTriggerWindow;
    WindowMap m_dockWindowsByScreen;
    // What each screen's dock window was last made for.
    std::map<QString, DockWindowSpec> m_dockSpecsByScreen;
    WindowMap m_dockTriggerWindowsByScreen;
    QSizeF m_mainScreenVisibleSize;
    // The screens as the windows were last placed on them.
    std::vector<DockScreen> m_placedScreens;
    bool m_modifierMonitorInstalled = false;
};

// The process's dock windows, made on first use over the real screens and
// windows. Entry points for the launch routine, the settings and the
// screen-change observer.
DockWindows& sharedDockWindows();
void buildDockWindows();
void createDockWindows();
void restartDockWindows();
void closeScreenDockWindows();
bool dockVisibleFramesChanged();
// The screens as one look finds them now (Qt's and the server's).
struct ScreensReading;
ScreensReading readDockScreensNow();
// Whether the bars as they stand are to be rebuilt for `screens`
// (noticeRebuildsTheBars).
bool dockNoticeRebuildsTheBars(const std::vector<DockScreen>& screens, bool screensReplaced);
