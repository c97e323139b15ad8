#pragma once

#include <QObject>

// From a notice that the screens changed until the bars stand on the
// arrangement the server settles on (seconds: notices come in bursts, and
// the arrangement is looked at twice), every bar stands where the old
// arrangement put it, on a screen that may have moved, changed its size or
// scale, or gone. What of a bar takes the pointer without showing anything,
// the band under it and its auto-show strip, would meanwhile take the
// clicks of whatever lies there now, unseen: a window's last rows on the
// other screen after a swap, mid-screen where a conversion with the new
// screens' scales put it. While the screens settle they take nothing; they
// take the pointer again once the bars stand on the settled arrangement,
// or it turned out to be the one they stand on. Main thread.
class ScreensSettling final : public QObject {
    Q_OBJECT
public:
    static ScreensSettling& shared();

    bool settling() const { return m_settling; }
    void setSettling(bool settling);

signals:
    void changed();

private:
    bool m_settling = false;
};
