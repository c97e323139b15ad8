#pragma once

#include <QWidget>

class AppState;
class QLabel;
class QLineEdit;
class QPushButton;
class QVBoxLayout;

// The time left of a work phase: "MM : SS", or "HH:MM:SS" for phases of an
// hour or more; never below zero.
QString pomodoroTimeLeftText(qint64 secondsElapsed, qint64 tomatoMinute);

// The Pomodoro panel: time left with "Start", "Stop" and "Reset", the work,
// round and rest lengths, the reminder text, the rounds so far and the pin.
// Holds no run state: it reads and writes AppState's pomodoro and the run
// operations; redraws on every change notice.
class PomodoroView final : public QWidget {
    Q_OBJECT
public:
    explicit PomodoroView(AppState& state, QWidget* parent = nullptr);

    QString timeLeftText() const;
    // The round rows' texts, first to last.
    QStringList roundTexts() const;
    QLineEdit* field(const QString& name) const;

protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    void refresh();
    QLineEdit* lengthField(
        const QString& name, qint64 max, qint64 (*read)(const AppState&), void (*write)(AppState&, qint64));

    AppState& m_state;
    QLabel* m_time = nullptr;
    QLineEdit* m_tomato = nullptr;
    QLineEdit* m_loop = nullptr;
    QLineEdit* m_rest = nullptr;
    QLineEdit* m_hint = nullptr;
    QVBoxLayout* m_rounds = nullptr;
    QPushButton* m_startButton = nullptr;
};

QWidget* makePomodoroView(AppState& state);
