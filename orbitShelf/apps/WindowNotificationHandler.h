#pragma once

#include "platform/Accessibility.h"

#include <QList>
#include <QPointF>
#include <QRectF>
#include <QSizeF>
#include <QString>

#include <cstdint>
#include <functional>
#include <optional>

// How the system reacts to a tracked window's notification: a destroyed
// window refreshes the model, a changed title updates it, a resized window
// is kept clear of its screen's dock bar, and a window entering full screen
// offers to hide the bar (or hides it, and brings it back when the window
// leaves full screen).
//
// Runs where the observers deliver (the main thread), where it only reads
// the window. Everything that touches shared state (the model, the settings,
// the full-screen maps, the screens) is queued to the main thread with the
// reads, so that it runs after the delivery as it would from any thread.
void handleWindowNotification(const platform::AXElement& element, const QString& name);

// Main thread. Catches up with the window manager's focus at once, for a key
// that acts on the current window: the notice of a focus change comes
// through the event thread and may still be on its way when the key follows
// a new window's focus within milliseconds. A window the model has not read
// yet is read now, so that the switcher can show it. While the bar's own
// activation is unanswered (see noteActivationAsked), the order stands.
void followWindowInFrontNow();

// Main thread, from a refresh about to publish: the first time the model
// holds windows, marks the one in front without publishing, so that the
// first bar after a start or a restart shows the mark. The window manager
// names the active window before anything listens and again only when the
// focus moves.
void markWindowInFrontOnFirstWindows();

// The handler given to every window observer the model starts. Elements of
// the platform's own source go to handleWindowNotification; a scripted
// source's elements (the model's tests) go to the model's own handler.
struct AxElement;
void handleObservedWindowNotification(const AxElement& element, const QString& name);

// A screen as the handler sees it, in Accessibility coordinates.
struct HandlerScreen {
    QString key;
    QRectF frame;
    QRectF visibleFrame;
};

// What the window reads handed to the main thread for a resize.
struct WindowResizeReport {
    platform::AXElement element;
    quint32 windowNumber = 0;
    QSizeF size;
    std::optional<QPointF> position;
    bool fullScreen = false;
};

// The main-thread half of a resize: picks the window's own screen, applies
// the full-screen rule and the dock-edge rule.
void applyWindowResize(const WindowResizeReport& report);

// The screen a window is on: the one holding its centre, else the one it
// overlaps most; none when it lies off every screen.
std::optional<HandlerScreen> screenOfWindow(const QList<HandlerScreen>& screens, const QRectF& window);

// What the handler sets in motion on the main thread; tests replace them.
struct WindowHandlerActions {
    // Returns whether the refresh published.
    std::function<bool(std::optional<int32_t> excludedWindowNumber)> refreshRunningApps;
    std::function<void(const QString& screenKey, qint64 windowNumber)> showToast;
    std::function<QList<HandlerScreen>()> screens;
    std::function<std::optional<QPointF>()> mouseLocation; // when the window's position is unknown

    static WindowHandlerActions standard();
};
WindowHandlerActions& windowHandlerActions();
