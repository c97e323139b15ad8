#pragma once

#include "platform/DockWindowHints.h"

#include <QRect>

#include <optional>

// What to do about a window of ours once the server says where it stands:
// a window manager may keep it elsewhere than it was put, and a notice of
// its place (a synthetic ConfigureNotify) may say it stands where it does
// not. Debian 12's fluxbox, after any change of the screens, can no longer
// make the frame of a window of depth 32 (it asks for the frame's visual
// from the root's depth, which it reads anew as 24): it takes the window
// on, leaves it on the root without a frame, and moves it to where the
// window would stand inside that frame, the root's corner, however often
// it is asked through it.

enum class PlaceAction {
    none, // it stands where it was put, or the server cannot tell
    askAgain, // ask for the place again, through the window manager
    placeItself, // a window manager keeps it elsewhere without a frame: put it there past the manager
    giveUp, // asked back as often as it may be: leave it where it is (said once)
};

// `attempts`: how often the window was asked back to `asked` since it was
// put there. Never more than kMaxPlaceAttempts, so no window manager that
// insists starts a loop with us.
inline constexpr int kMaxPlaceAttempts = 4;
PlaceAction placeAction(
    const QRect& asked, const std::optional<platform::WindowStanding>& standing, int attempts);

#include <QObject>
#include <QTimer>

#include <functional>
#include <vector>

class QWidget;

// Keeps a top-level window of ours where it was put, by the rule above:
// the server is asked where it stands a moment after it is shown, after
// every notice of a move (once they stop) and once more a while later.
class PlaceKeeper final : public QObject {
    Q_OBJECT
public:
    // Follows `window` (and is freed with it) from now on.
    explicit PlaceKeeper(QWidget* window);
    // Where the window was put, root coordinates, Qt's pixels: the count of
    // asks starts again.
    void setAsked(const QRect& asked);
    const QRect& asked() const { return m_asked; }
    // The server asked now, and the window put back where it is not there.
    void check();
    // Calls `then` once the window stands where it was put, or stays where
    // the window manager keeps it after every ask: at once when it does so
    // now (or cannot be asked), else after the asks it takes.
    void whenInPlace(std::function<void()> then);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QWidget* m_window;
    QRect m_asked;
    int m_attempts = 0;
    QTimer m_settle;
    std::vector<std::function<void()>> m_waiting;
    static constexpr int kSettleMs = 300;
    static constexpr int kLateCheckMs = 2000;
};
