#pragma once

#include <QObject>
#include <QRect>
#include <QString>
#include <QTimer>

#include <functional>
#include <optional>

// The full-screen window in front (the active one), where it covers `area`
// (root coordinates); none without a platform.
std::optional<quint32> fullScreenWindowOver(const QRect& area);

// Whether an area along a screen's edge (an auto-show strip, the band under
// the bar) leaves the edge to a full-screen window in front: the bar it
// would bring back or hand clicks to stands behind that window, and the
// window keeps its clicks along the edge. The area stands above that
// window and takes what comes first, so it steps aside as the window goes
// full screen or comes in front full screen, as the platform tells,
// before any pointer comes (a touch, a pen or a remote desktop moves it and
// clicks at once), and steps back as the window leaves full screen. As a
// window may leave the front without a word the platform passes on, it
// also looks again every second while aside. Main thread.
class FullScreenStepAside final : public QObject {
    Q_OBJECT
public:
    // `what` names the area in the log; `recheck` is called whenever the
    // window in front may have gone into or out of full screen, and every
    // second while aside: it calls update() again.
    FullScreenStepAside(QString what, std::function<void()> recheck, QObject* parent = nullptr);

    // Steps back once the window it stepped aside for has left full screen
    // or the front; then, when `looking`, steps aside for a full-screen
    // window in front over `area`. True while aside.
    bool update(const QRect& area, bool looking);
    bool aside() const { return m_window.has_value(); }

private:
    QString m_what;
    std::function<void()> m_recheck;
    std::optional<quint32> m_window;
    QTimer m_check;
};
