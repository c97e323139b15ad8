#pragma once

#include <QSizeF>
#include <QString>
#include <QWidget>

#include <functional>

class AppState;

// The tile a bar shows alone while a Pomodoro break runs: the break message,
// the "Start" pill once the break is over, and the time left.

// Seconds since the work phase ended.
qint64 breakElapsed(qint64 tickCount, qint64 breakStart);

// Whether the "Start" pill is shown: once the break has lasted restMinute
// minutes.
bool showStartPill(qint64 elapsed, int restMinute);

// The time left as "MM : SS " (with the trailing space). It stops at
// "00 : 00 " once the break is over instead of running into negative times.
QString pomodoroCountdownText(qint64 elapsed, int restMinute);

// The banner image: 20 points smaller than the bar's icon size less the
// screen's button scale.
QSizeF pomodoroImageSize(double iconWidth, double iconHeight, double buttonScale);

// A tap on the pill: starts the next run through `recordRun` only when the
// break is over, checked again at the tap. Returns whether it started.
bool startNextPomodoro(qint64 elapsed, int restMinute, const std::function<void()>& recordRun);

// The tile's widget; it reads the clock and the settings whenever the shared
// state publishes.
class PomodoroTile final : public QWidget {
    Q_OBJECT
public:
    PomodoroTile(AppState& state, QString screenID, QWidget* parent = nullptr);

    // What the tile shows now (for its painting and for checks).
    QString hintText() const;
    QString countdownText() const;
    bool startPillShown() const;
    QRectF startPillRect() const;

    QSize sizeHint() const override;

    // On a vertical bar the whole tile is turned a quarter clockwise; its
    // content is laid out along the bar.
    void setVertical(bool vertical);
    // A point of the widget in the tile's own, unturned coordinates.
    QPointF toTile(const QPointF& widgetPoint) const;

protected:
    void paintEvent(QPaintEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    qint64 elapsedNow() const;
    QSizeF tileSize() const;

    AppState& m_state;
    QString m_screenID;
    bool m_vertical = false;
};
