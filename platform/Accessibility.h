#pragma once

#include <QHashFunctions>
#include <QObject>
#include <QPointF>
#include <QSizeF>
#include <QString>

#include <functional>
#include <memory>
#include <variant>
#include <vector>

namespace platform {

// The desktop seen through the Accessibility vocabulary the app is written
// in: elements (the system, an application by pid, a window, a window's close
// button), attributes read and written by their names ("AXTitle" …), actions
// ("AXRaise", "AXPress") and observers with notification names.

// Result codes, one for each answer the callers tell apart.
enum class AXResult {
    success,
    failure,
    illegalArgument,
    invalidUIElement,       // the element is gone (a vanished window)
    cannotComplete,         // the display did not answer: the X connection is lost or a reply timed out
    attributeUnsupported,
    actionUnsupported,
    notificationUnsupported,
    noValue,
    apiDisabled,            // not trusted
};

struct AXElement {
    enum class Kind : quint8 { systemWide, application, window, closeButton };
    Kind kind = Kind::systemWide;
    qint32 pid = 0;         // the owning process; 0 when not known (read it with processIdentifier)
    quint32 window = 0;     // the X window id for window and closeButton elements

    static AXElement systemWide() { return {}; }
    static AXElement application(qint32 pid) { return {Kind::application, pid, 0}; }
    static AXElement windowElement(qint32 pid, quint32 window) { return {Kind::window, pid, window}; }
    AXElement closeButton() const { return {Kind::closeButton, pid, window}; }

    friend bool operator==(const AXElement&, const AXElement&) = default;
};

inline size_t qHash(const AXElement& e, size_t seed = 0)
{
    return qHashMulti(seed, int(e.kind), e.pid, e.window);
}

using AXElementList = std::vector<AXElement>;

// An attribute value. "AXPosition" holds a QPointF, "AXSize" a QSizeF (the
// two-number value kinds are told apart by type, as the callers expect).
using AXValue = std::variant<std::monostate, bool, qint64, double, QString, QPointF, QSizeF, AXElement, AXElementList>;

namespace ax {
// Attributes
inline constexpr const char* windows = "AXWindows";
inline constexpr const char* title = "AXTitle";
inline constexpr const char* role = "AXRole";
inline constexpr const char* subrole = "AXSubrole";
inline constexpr const char* minimized = "AXMinimized";
inline constexpr const char* fullScreen = "AXFullScreen";
inline constexpr const char* position = "AXPosition";
inline constexpr const char* size = "AXSize";
inline constexpr const char* closeButton = "AXCloseButton";
inline constexpr const char* focusedWindow = "AXFocusedWindow";
inline constexpr const char* mainWindow = "AXMainWindow";
inline constexpr const char* main = "AXMain";
inline constexpr const char* focused = "AXFocused";
inline constexpr const char* frontmost = "AXFrontmost";
inline constexpr const char* focusedApplication = "AXFocusedApplication";
inline constexpr const char* children = "AXChildren";
// Actions
inline constexpr const char* raise = "AXRaise";
inline constexpr const char* press = "AXPress";
// Notifications
inline constexpr const char* uiElementDestroyed = "AXUIElementDestroyed";
inline constexpr const char* titleChanged = "AXTitleChanged";
inline constexpr const char* windowMiniaturized = "AXWindowMiniaturized";
inline constexpr const char* windowDeminiaturized = "AXWindowDeminiaturized";
inline constexpr const char* windowResized = "AXWindowResized";
inline constexpr const char* mainWindowChanged = "AXMainWindowChanged";
inline constexpr const char* windowMoved = "AXWindowMoved";
inline constexpr const char* applicationActivated = "AXApplicationActivated";
inline constexpr const char* focusedWindowChanged = "AXFocusedWindowChanged";
inline constexpr const char* windowCreated = "AXWindowCreated";
inline constexpr const char* applicationHidden = "AXApplicationHidden";
inline constexpr const char* applicationShown = "AXApplicationShown";
// Ours, with no counterpart in the vocabulary: the window's own pictures
// (_NET_WM_ICON) changed.
inline constexpr const char* iconChanged = "OrbitWindowIconChanged";
// Ours too: the window had the focus and now no window has it (the window
// manager's active window is none, as after a switch to an empty desktop).
inline constexpr const char* focusLost = "OrbitWindowFocusLost";
} // namespace ax

// Called with the element the notification is about and its name.
using AXObserverCallback = std::function<void(const AXElement& element, const QString& notification)>;

// Watches elements of one process. Notifications are delivered only after
// addToRunLoop: on the thread of the given run loop object, one at a time.
// Destroying the observer stops delivery: it waits for a callback that is
// running, so a callback must never wait for the thread that destroys
// observers (hand work to the main thread with a queued call, not a
// blocking one).
class AXObserver {
public:
    virtual ~AXObserver() = default;
    virtual AXResult addNotification(const AXElement& element, const QString& notification) = 0;
    virtual AXResult removeNotification(const AXElement& element, const QString& notification) = 0;
    // `runLoop` is any QObject living on the thread that shall receive the
    // notifications (in the app, the application object: the main thread).
    virtual void addToRunLoop(QObject* runLoop) = 0;
};

// Reads inside the lifetime of a batch (on the thread that began it) are
// answered from one snapshot of all windows, taken with a constant number of
// round trips at the first read. A model refresh opens one so that it does
// not pay one round trip per attribute per window.
class AXReadBatch {
public:
    virtual ~AXReadBatch() = default;
};

class Accessibility {
public:
    virtual ~Accessibility() = default;

    // X11 has no trust gate: answers true. The fake can answer false.
    virtual bool isProcessTrusted(bool prompt) = 0;

    // The read policy of the app's attribute accessors rests on these codes:
    // cannotComplete only when the display does not answer; a vanished
    // window gives invalidUIElement; an unknown attribute attributeUnsupported.
    virtual AXResult copyAttributeValue(const AXElement& element, const QString& attribute, AXValue& value) = 0;
    virtual AXResult setAttributeValue(const AXElement& element, const QString& attribute, const AXValue& value) = 0;
    virtual AXResult performAction(const AXElement& element, const QString& action) = 0;

    // The window number of a window element (its X window id).
    virtual AXResult windowNumber(const AXElement& element, quint32& number) = 0;
    virtual AXResult processIdentifier(const AXElement& element, qint32& pid) = 0;

    virtual std::unique_ptr<AXObserver> createObserver(qint32 pid, AXObserverCallback callback) = 0;

    virtual std::unique_ptr<AXReadBatch> beginReadBatch() = 0;
};

} // namespace platform
