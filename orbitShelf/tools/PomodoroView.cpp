#include "tools/PomodoroView.h"

#include "state/AppState.h"
#include "state/TextFormats.h"
#include "network/ServiceRequests.h"
#include "tools/ToolPinButton.h"
#include "tools/PasteBoardModel.h"
#include "tools/PomodoroRun.h"
#include "tools/ToolPages.h"

#include <QHBoxLayout>
#include <QIcon>
#include <QLabel>
#include <QLineEdit>
#include <QLoggingCategory>
#include <QPushButton>
#include <QTimer>
#include <QToolButton>

#include <limits>

Q_LOGGING_CATEGORY(lcPomodoroView, "orbitshelf.tools.pomodoro")

QString pomodoroTimeLeftText(qint64 secondsElapsed, qint64 tomatoMinute)
{
    // Stored values from elsewhere may be anything; keep the product in range.
    const qint64 minutes = std::clamp<qint64>(tomatoMinute, 0, std::numeric_limits<qint64>::max() / 60);
    const qint64 target = minutes * 60;
    const qint64 elapsed = std::clamp<qint64>(secondsElapsed, 0, target);
    return formatDuration(elapsed, target, minutes >= 60);
}

namespace {

QPushButton* runButton(const QString& title, const QString& colour)
{
    auto* button = new QPushButton(title);
    button->setFixedWidth(60);
    button->setStyleSheet(
        QStringLiteral("QPushButton { color: white; background: %1; border-radius: 5px; padding: 5px; }"
                       "QPushButton:pressed { background: %1; color: #b3b3b3; }")
            .arg(colour));
    return button;
}

const QString kFieldStyle
    = QStringLiteral("QLineEdit { color: white; background: rgba(255,255,255,25); "
                     "border: 1px solid rgba(255,255,255,90); border-radius: 4px; padding: 2px; }");

QLabel* whiteText(const QString& text)
{
    auto* label = new QLabel(text);
    label->setStyleSheet(QStringLiteral("color: white;"));
    return label;
}

} // namespace

PomodoroView::PomodoroView(AppState& state, QWidget* parent)
    : QWidget(parent)
    , m_state(state)
{
    setObjectName(QStringLiteral("PomodoroView"));
    setAttribute(Qt::WA_StyledBackground);
    setStyleSheet(QStringLiteral("#PomodoroView { background: rgba(30,39,46,217); border: 1px solid white; "
                                 "border-radius: %1px; }")
                      .arg(toolCardRadius));
    auto* root = new QHBoxLayout(this);
    root->setContentsMargins(20, 20, 20, 20);

    auto* pinColumn = new QVBoxLayout;
    auto* pin = makeToolPinButton();
    connect(
        pin, &QToolButton::clicked, this, [this] { togglePinnedTool(m_state, QStringLiteral("Pomodoro")); });
    pinColumn->addWidget(pin);
    pinColumn->addStretch();
    root->addLayout(pinColumn);

    auto* controls = new QWidget;
    auto* column = new QVBoxLayout(controls);
    column->setContentsMargins(10, 10, 10, 10);
    auto* icon = new QLabel;
    icon->setPixmap(QIcon::fromTheme(
        QStringLiteral("alarm-symbolic"), QIcon::fromTheme(QStringLiteral("appointment-soon")))
                        .pixmap(50, 50));
    icon->setAlignment(Qt::AlignCenter);
    column->addWidget(icon);
    m_time = new QLabel;
    QFont big = m_time->font();
    big.setPointSize(30);
    m_time->setFont(big);
    m_time->setAlignment(Qt::AlignCenter);
    m_time->setStyleSheet(QStringLiteral("color: white;"));
    column->addWidget(m_time);
    auto* buttons = new QHBoxLayout;
    auto* start = runButton(tr("Start"), QStringLiteral("#2e9e45"));
    m_startButton = start;
    auto* stop = runButton(tr("Stop"), QStringLiteral("#d33a30"));
    auto* reset = runButton(tr("Reset"), QStringLiteral("#e8850c"));
    connect(start, &QPushButton::clicked, this, [this] { recordPomodoroRun(m_state); });
    connect(stop, &QPushButton::clicked, this, [this] {
        stopPomodoroRun(m_state);
        refresh();
    });
    connect(reset, &QPushButton::clicked, this, [this] { resetPomodoroRun(m_state); });
    buttons->addWidget(start);
    buttons->addWidget(stop);
    buttons->addWidget(reset);
    column->addLayout(buttons);

    const auto row = [&](const QString& before, QLineEdit* field, const QString& after) {
        auto* line = new QHBoxLayout;
        line->addWidget(whiteText(before));
        line->addWidget(field);
        line->addWidget(whiteText(after));
        line->addStretch();
        column->addLayout(line);
    };
    m_tomato = lengthField(
        QStringLiteral("tomato"), kPomodoroMaxMinutes,
        [](const AppState& s) { return s.pomodoro.tomatoMinute(); },
        [](AppState& s, qint64 v) { s.pomodoro.setTomatoMinute(v); });
    m_loop = lengthField(
        QStringLiteral("loop"), kPomodoroMaxRounds, [](const AppState& s) { return s.pomodoro.loopRounds(); },
        [](AppState& s, qint64 v) { s.pomodoro.setLoopRounds(v); });
    m_rest = lengthField(
        QStringLiteral("rest"), kPomodoroMaxMinutes,
        [](const AppState& s) { return s.pomodoro.restMinute(); },
        [](AppState& s, qint64 v) { s.pomodoro.setRestMinute(v); });
    row(tr("Work"), m_tomato, tr("minutes"));
    row(tr("Loop"), m_loop, tr("rounds"));
    row(tr("Rest"), m_rest, tr("minutes"));

    column->addWidget(whiteText(tr("Reminder for the break")));
    m_hint = new QLineEdit;
    m_hint->setObjectName(QStringLiteral("pomodoro text"));
    m_hint->setFixedWidth(280);
    m_hint->setStyleSheet(kFieldStyle);
    connect(m_hint, &QLineEdit::textEdited, this, [this](const QString& text) {
        m_state.pomodoro.setHintText(text);
        m_state.publish();
    });
    column->addWidget(m_hint);
    column->addStretch();

    // No scroll area: the panel is as wide as its controls need, whichever
    // edge its bar is on, rather than a strip that scrolls sideways.
    root->addWidget(controls, 1);

    auto* roundHolder = new QWidget;
    roundHolder->setFixedWidth(200);
    m_rounds = new QVBoxLayout(roundHolder);
    m_rounds->setContentsMargins(20, 20, 20, 20);
    m_rounds->setAlignment(Qt::AlignTop | Qt::AlignRight);
    root->addWidget(roundHolder);

    connect(&m_state, &AppState::changed, this, &PomodoroView::refresh);
    refresh();
}

QLineEdit* PomodoroView::lengthField(
    const QString& name, qint64 max, qint64 (*read)(const AppState&), void (*write)(AppState&, qint64))
{
    auto* field = new QLineEdit;
    field->setObjectName(name);
    field->setFixedWidth(60);
    field->setStyleSheet(kFieldStyle);
    connect(field, &QLineEdit::editingFinished, this, [this, field, max, read, write] {
        const auto value = parsePomodoroLength(field->text(), max);
        if (value && *value != read(m_state)) {
            write(m_state, *value);
            m_state.publish();
        }
        // A refused entry gives way to the stored value.
        field->setText(QString::number(read(m_state)));
    });
    return field;
}

QString PomodoroView::timeLeftText() const
{
    return m_time->text().chopped(1);
}

QStringList PomodoroView::roundTexts() const
{
    QStringList texts;
    for (int i = 0; i < m_rounds->count(); ++i) {
        if (auto* label = qobject_cast<QLabel*>(m_rounds->itemAt(i)->widget()))
            texts << label->text();
    }
    return texts;
}

QLineEdit* PomodoroView::field(const QString& name) const
{
    return findChild<QLineEdit*>(name);
}

void PomodoroView::refresh()
{
    const CustomPomodoro& pomodoro = m_state.pomodoro;
    m_time->setText(pomodoroTimeLeftText(pomodoro.secondsElapsed(), pomodoro.tomatoMinute()) + u' ');
    const std::pair<QLineEdit*, qint64> lengths[] = {
        { m_tomato, pomodoro.tomatoMinute() },
        { m_loop, pomodoro.loopRounds() },
        { m_rest, pomodoro.restMinute() },
    };
    for (const auto& [field, value] : lengths) {
        if (!field->hasFocus())
            field->setText(QString::number(value));
    }
    if (!m_hint->hasFocus()) {
        m_hint->setText(pomodoro.hintText());
        m_hint->setCursorPosition(0);
    }

    while (QLayoutItem* item = m_rounds->takeAt(0)) {
        delete item->widget();
        delete item;
    }
    const qint64 current = pomodoro.currentRound();
    const qint64 loops = pomodoro.loopRounds();
    // The list is bounded by the rounds field's range; a stored value beyond
    // it must not build thousands of rows.
    for (qint64 i = 1; i <= std::min<qint64>(current, kPomodoroMaxRounds); ++i) {
        const bool now = i == current;
        auto* label = new QLabel(now ? tr("Current %1").arg(i) : tr("Round %1 / %2").arg(i).arg(loops));
        label->setStyleSheet(now ? QStringLiteral("color: yellow; padding: 2px;")
                                 : QStringLiteral("color: #34c759; padding: 2px;"));
        m_rounds->addWidget(label);
    }
}

void PomodoroView::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    trackFeature(QStringLiteral("PomodoroView"));
    pomodoroViewVisible = true;
    emit m_state.secondsShown();
    refresh();
    // Hook: where "Start" is on screen once laid out; people and the
    // end-to-end tests read it here.
    QTimer::singleShot(0, this, [this] {
        if (!lcPomodoroView().isDebugEnabled() || !m_startButton || !m_startButton->isVisible())
            return;
        const QRect r(m_startButton->mapToGlobal(QPoint(0, 0)), m_startButton->size());
        qCDebug(lcPomodoroView).noquote() << QStringLiteral("Pomodoro panel shown: Start@%1,%2 %3x%4")
                                                 .arg(r.x())
                                                 .arg(r.y())
                                                 .arg(r.width())
                                                 .arg(r.height());
    });
}

void PomodoroView::hideEvent(QHideEvent* event)
{
    QWidget::hideEvent(event);
    pomodoroViewVisible = false;
}

QWidget* makePomodoroView(AppState& state)
{
    return new PomodoroView(state);
}
