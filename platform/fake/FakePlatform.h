#pragma once

#include "platform/Platform.h"

#include <QImage>

#include <functional>
#include <memory>
#include <optional>
#include <vector>

namespace platform::fake {

// What the code under test asked the desktop to do, in order.
struct FakeAction {
    enum class Kind {
        activate,            // window brought forward (also "AXRaise", "AXMain" = true)
        minimize,            // "AXMinimized" = true or WindowServer::minimize
        unminimize,
        close,               // "AXPress" on the close button or WindowServer::close
        move,                // frame top-left, root coordinates
        resize,              // frame size
        setFullScreen,
        warp,                // pointer moved
        bringProcessToFront, // pid + name
        hideSystemDock,
    };
    Kind kind = Kind::activate;
    quint32 window = 0;
    qint32 pid = 0;
    QPoint point;
    QSize size;
    bool flag = false;
    QString text;
};

// A scripted desktop for tests.
//
// Script it:
//   FakePlatform fake;                       // frames are in root coordinates,
//   platform::install(services(&fake));      // primary screen 0,0 1920x1080
//                                            // (platform/fake/FakeServices.h)
//   RunningApplication editor;               // pid, name, desktop-file id …
//   editor.processIdentifier = 100;
//   editor.localizedName = "Editor";
//   fake.addApp(editor);                     // emits applicationLaunched
//   quint32 w = fake.addWindow(100, "notes.txt", QRect(10, 20, 800, 600));
//   fake.updateWindow(w, [](ServerWindow& s) { s.kind = WindowKind::dialog; });
//   fake.setTitle(w, "other.txt");           // attribute reads see it at once
//   fake.fire(AXElement::windowElement(100, w), "AXTitleChanged");
//   fake.removeWindow(w);                    // reads now answer invalidUIElement
//   fake.setUnresponsive(100, true);         // reads of pid 100 answer cannotComplete
//   fake.setTrusted(false);                  // isProcessTrusted() answers false
//   fake.setOtherDocks({"Xfce panel 2"});    // another dock runs; hiding it works
//
// Inspect it: actions() lists what was asked (activate, minimize, move …, warp,
// bringProcessToFront), and the state changes as a window manager would
// change it (activate sets the active window, minimize sets `minimized`,
// move/resize change `frame`), so later reads agree with the actions.
//
// Notifications: fire() delivers to every observer that registered the name
// for that element (or for the element's application) and was added to a
// run loop; delivery is queued to the run loop object's thread, so a test on
// the main thread calls QCoreApplication::processEvents() (or waits) to see it.
// Workspace notices (applicationLaunched/Terminated) are emitted synchronously
// by addApp/removeApp. Every call is thread-safe.
class FakePlatform final : public Platform {
public:
    FakePlatform();
    ~FakePlatform() override;

    WindowServer& windowServer() override;
    Accessibility& accessibility() override;
    Workspace& workspace() override;
    Pointer& pointer() override;
    SystemScripts& scripts() override;

    // --- scripting
    void addApp(RunningApplication app);
    void removeApp(qint32 pid); // and its windows
    // Adds a normal, mapped, on-screen window; its client area equals its
    // frame unless changed. Returns the window id (ids start at 0x400001).
    quint32 addWindow(qint32 pid, std::optional<QString> title, QRect frame = QRect(0, 0, 800, 600));
    quint32 addWindow(ServerWindow window); // keeps window.id when not 0
    void updateWindow(quint32 id, const std::function<void(ServerWindow&)>& change);
    void setTitle(quint32 id, std::optional<QString> title);
    void removeWindow(quint32 id);
    // Brings the window to the front of the stacking order.
    void raiseWindow(quint32 id);
    void setActiveWindow(std::optional<quint32> id);
    void setWindowImage(quint32 id, QImage image);
    void setWindowIcons(quint32 id, std::vector<QImage> icons);
    void setTrusted(bool trusted);
    // The other docks scripts().otherDocks() names as still to hide, which
    // of them refuse to hide (scripts().hideSystemDock() reports them
    // failed), and those it names as hiding already.
    void setOtherDocks(QStringList names, QStringList refusing = {}, QStringList hiding = {});
    void setUnresponsive(qint32 pid, bool unresponsive);
    void setPointerPosition(QPoint rootPoint);
    void setPrimaryScreen(QRect rootRect);
    void setOwnPid(qint32 pid);
    void setDesktopCount(int count);
    void setCurrentDesktop(quint32 desktop);
    void fire(const AXElement& element, const QString& notification);

    // --- inspection
    std::vector<FakeAction> actions() const;
    void clearActions();
    std::optional<ServerWindow> windowState(quint32 id) const;
    // Observers alive and the (element, notification) pairs they hold.
    int observerCount() const;
    bool isObserved(const AXElement& element, const QString& notification) const;
    // How many attribute reads were made, and how many batches begun.
    int attributeReads() const;
    int readBatches() const;

    struct State;

private:
    std::shared_ptr<State> m_state;
    std::unique_ptr<WindowServer> m_windowServer;
    std::unique_ptr<Accessibility> m_accessibility;
    std::unique_ptr<Workspace> m_workspace;
    std::unique_ptr<Pointer> m_pointer;
    std::unique_ptr<SystemScripts> m_scripts;
};

} // namespace platform::fake
