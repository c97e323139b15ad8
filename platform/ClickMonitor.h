#pragma once

#include <QObject>
#include <QPoint>

#include <functional>
#include <memory>

namespace platform {

// One release of the primary mouse button somewhere on the desktop.
struct PointerClick {
    // The application window (the client, not the window manager's frame)
    // under the pointer when the button went up; 0 over the desktop.
    quint32 window = 0;
    // Pointer position in root-window coordinates.
    QPoint rootPosition;
    // The desktop's time of the release in milliseconds, on the clock of
    // HotKeys::modifierChanged (it wraps after 49 days); 0 when unknown.
    quint32 serverTime = 0;
};

// One key press somewhere on the desktop, in the app's key vocabulary.
struct KeyPress {
    // The key's text as typed with Shift alone (so Ctrl+Shift+C gives "C");
    // empty for keys without text.
    QString charactersIgnoringModifiers;
    // The app's modifier bits (platform::appkit in KeyCodes.h): Control
    // reads as command.
    quint64 modifierFlags = 0;
    // The app's key code (platform::keycode), 0xFFFF for a key it has none for.
    quint16 keyCode = 0xFFFF;
};

// Reports primary- and secondary-button releases, and key presses, in other
// applications' windows, whichever window has the focus or a grab. Clicks on
// this process's own windows, and keys typed into them, are not reported.
// Events arrive on the thread that started the monitor.
class ClickMonitor : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;
    ~ClickMonitor() override = default;

    // Starts listening; false (with a logged reason) when the desktop cannot
    // report clicks, e.g. no X server or no XInput 2.
    virtual bool start() = 0;
    virtual void stop() = 0;
    virtual bool isRunning() const = 0;

signals:
    void primaryButtonReleased(const platform::PointerClick& click);
    void secondaryButtonReleased(const platform::PointerClick& click);
    void keyPressed(const platform::KeyPress& key);
};

// Makes a monitor of the kind installed with the platform's services
// (platform/Services.h); nullptr when none is.
using ClickMonitorFactory = std::function<std::unique_ptr<ClickMonitor>()>;
std::unique_ptr<ClickMonitor> createClickMonitor();

} // namespace platform

Q_DECLARE_METATYPE(platform::PointerClick)
Q_DECLARE_METATYPE(platform::KeyPress)
