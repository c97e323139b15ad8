#pragma once

#include <QIcon>
#include <QImage>
#include <QString>

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

// What the application model needs from the desktop, in the model's own
// terms. The platform layer is reached only through this seam, so the model
// runs the same against the real X11 layer and against scripted sources.

// An accessibility element of another program, opaque to the model. The
// source that handed it out knows what `handle` points at.
struct AxElement final {
    std::shared_ptr<const void> handle;
    explicit operator bool() const { return handle != nullptr; }
};

// The result of one accessibility read. `cannotComplete` marks the one
// failure that aborts the caller's current step (the other program did not
// answer); every other failure is simply an absent value.
template <typename T> struct AxRead final {
    std::optional<T> value;
    bool cannotComplete = false;

    static AxRead failed() { return AxRead { std::nullopt, true }; }
};

// One running program as the workspace reports it.
struct RunningApp final {
    int32_t pid = 0;
    std::optional<QString> localizedName;
    std::optional<QString> executablePath;
    std::optional<QString> bundleIdentifier;
    std::optional<QString> bundleUrl;
    bool ownsMenuBar = false;
    // Regular applications appear in the bar; agents and background programs
    // do not, even when they own windows.
    bool regular = true;
    // Icon-theme name of the program's icon; empty when it has none.
    QString iconName;
    // Whether iconName is its desktop entry's Icon (else it is its class).
    bool iconFromEntry = false;
};

// One entry of the window server's list, reduced to what the model reads.
struct ListedWindow final {
    QString ownerName;
    int32_t ownerPid = 0;
    int64_t windowNumber = 0;
};

// A live subscription to one window's notifications; destroying it ends the
// subscription. The count of live subscriptions lets tests and the log check
// that windows which come and go leave nothing behind.
class WindowObservation {
public:
    WindowObservation();
    virtual ~WindowObservation();
    WindowObservation(const WindowObservation&) = delete;
    WindowObservation& operator=(const WindowObservation&) = delete;

    static int liveCount();
};

// Called on the source's delivering thread (the main thread for the
// platform's source) with the element that changed and the notification
// name ("AXUIElementDestroyed", "AXTitleChanged" ...).
using WindowNotificationHandler = std::function<void(const AxElement&, const QString&)>;

class AppsSource {
public:
    virtual ~AppsSource() = default;

    virtual std::vector<RunningApp> runningApplications() = 0;
    virtual std::optional<QString> ownBundleIdentifier() = 0;
    virtual int32_t ownProcessId() = 0;
    virtual std::vector<ListedWindow> windowList() = 0;

    // Held for the length of a refresh: lets the source answer the many reads
    // of one pass from one snapshot. Nothing to hold by default.
    virtual std::shared_ptr<void> beginReadBatch() { return nullptr; }

    virtual AxElement applicationElement(int32_t pid) = 0;
    virtual AxRead<std::vector<AxElement>> windowsOf(const AxElement& application) = 0;
    virtual AxRead<uint32_t> windowNumber(const AxElement& window) = 0;
    virtual AxRead<int32_t> processId(const AxElement& element) = 0;
    virtual AxRead<QString> stringAttribute(const AxElement& element, const QString& name) = 0;
    virtual AxRead<AxElement> focusedWindow(const AxElement& application) = 0;

    // Subscribes to the window's notifications, delivered on the event
    // thread; nullptr when the window cannot be observed.
    virtual std::unique_ptr<WindowObservation> observeWindow(
        int32_t pid, const AxElement& window, WindowNotificationHandler handler)
        = 0;

    // The window's current picture; absent for a minimised or unmapped window,
    // whose last picture would be stale or black.
    virtual std::optional<QImage> captureWindowImage(uint32_t windowNumber) = 0;

    // The window's own pictures, every size it offers; none by default.
    virtual std::vector<QImage> windowIcons(uint32_t) { return {}; }
    // The icon called `name` in the icon theme, or in the pictures folder
    // desktops fall back to; null when there is none.
    virtual QIcon namedIcon(const QString& name) { return QIcon::fromTheme(name); }

    // The desktops that show the window; empty when it is gone.
    virtual std::vector<uint64_t> spacesOfWindow(uint32_t windowNumber) = 0;

    virtual void bringProcessToFront(int32_t pid, const QString& name) = 0;
    virtual void openApplication(const QString& bundleIdentifier) = 0;
};

// The source the model uses: the platform layer in use, unless another one
// is installed (tests install scripted ones; not owned).
AppsSource& appsSource();
void setAppsSource(AppsSource* source);
bool hasAppsSource();
