#pragma once

#include <QMap>
#include <QRectF>
#include <QString>
#include <QStringList>

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

class ActiveApp;
class AppState;
class SerialQueue;
class Windows;

// What the bar's buttons do when clicked, and the bar's delayed hide, apart
// from the widgets so that they run against scripted services in tests.

struct BarActionServices {
    // Brings a window forward for a click from the bar.
    std::function<void(Windows& window)> activateWindow;
    // Starts or activates the application by bundle identifier; false when
    // it could not be opened.
    std::function<bool(const QString& bundleIdentifier)> openApplication;
    // Starts a program from its command line, without a shell; false when
    // it could not be started.
    std::function<bool(const QStringList& argv)> startCommand;
    // Tells the user something went wrong (an alert).
    std::function<void(const QString& message, const QString& informative)> alert;
    std::function<void()> refreshRunningApps;
    // Removes the pinned records of that bundle name; returns when done.
    std::function<void(const QString& bundleName)> unpinApp;
    std::function<void()> scheduleDockReload;
    // The desktop-file id of the file manager (the handler of folders), if any.
    std::function<std::optional<QString>()> fileManagerId;

    static BarActionServices standard();
};

// Whether a window belongs to the file manager, which the bar replaces by
// its folder browser when replaceFinder is on.
bool isFileManagerWindow(const Windows& window, const std::optional<QString>& fileManagerId);

// A click on a window button: the folder browser for the file manager's
// windows when replaceFinder is on, else activation from "Dock".
void windowButtonClicked(AppState& state, Windows& window, const BarActionServices& services);

// Launches of pinned applications from the bar. A pinned application's
// button goes when the application shows up among the running ones, not on
// a timer: a launch that fails leaves the button (and the log says why).
class PinnedLaunches final {
public:
    PinnedLaunches(AppState& state, BarActionServices services, SerialQueue& queue);
    ~PinnedLaunches();
    PinnedLaunches(const PinnedLaunches&) = delete;
    PinnedLaunches& operator=(const PinnedLaunches&) = delete;

    // A click on a pinned, not running application.
    void openPinnedApp(const ActiveApp& pinned);
    // "Remove" on a pinned application: unpins, then reloads the bar.
    void removePinnedApp(const ActiveApp& pinned);
    // Drops the buttons of launched applications that are running now; run
    // on every change of the state. Returns whether it changed the list.
    bool settle();

    int pendingCount() const { return int(m_pending.size()); }

private:
    struct Pending {
        std::optional<QString> bundleIdentifier;
        std::optional<QString> appBundleName;
    };
    static bool sameApplication(const Pending& pending, const ActiveApp& app);

    AppState& m_state;
    BarActionServices m_services;
    SerialQueue& m_queue;
    std::vector<Pending> m_pending;
    // Lets a refresh queued before this object died do nothing.
    std::shared_ptr<bool> m_alive = std::make_shared<bool>(true);
};

// The bar of an auto-hidden dock hides 0.3 s after the pointer left it,
// unless the pointer came back in the meantime. A bar its strip brought
// back hides the same way when the pointer leaves the strip without
// crossing the bar, and it stays while one of its menus is open.
class BarHoverHide final {
public:
    BarHoverHide(AppState& state, QString screenID, SerialQueue& queue);
    ~BarHoverHide();

    void hovering(bool inside);
    // The pointer left the screen's auto-show strip; `overBar` tells whether
    // it went onto the bar (whose own leave then hides it, unless a pointer
    // check is set: see setPointerCheck).
    void stripLeft(bool overBar);
    // A menu (or panel) of the bar opened: no hide until it closes.
    void hold();
    // It closed; the pointer now stands over the bar or not.
    void release(bool overBar);

    bool held() const { return m_holds > 0; }

    // Asked when a hide is due, and again 0.3 s later while it holds and no
    // enter or leave came: a bar never hides from under the pointer,
    // whatever enter or leave was missed on the way, and hides once the
    // pointer went where nothing tells (off a panel past the strip).
    void setPointerCheck(std::function<bool()> overBar) { m_overBar = std::move(overBar); }

private:
    // With `askWhenDue`, a bar that does not auto-hide now is still looked
    // at when the hide is due.
    void hideLater(bool askWhenDue = false);

    AppState& m_state;
    QString m_screenID;
    SerialQueue& m_queue;
    int m_holds = 0;
    std::function<bool()> m_overBar;
    // Bumped by every enter and leave; a pending hide runs only if it is
    // still the newest event. Shared so a hide queued after this object died
    // does nothing.
    std::shared_ptr<uint64_t> m_generation;
};
