#include "state/AppState.h"

#include <QCoreApplication>
#include <QDir>
#include <QPointer>

// Complete types for the shared_ptr members' destructors are not needed:
// shared_ptr keeps its deleter from where the object was made.

AppState& AppState::shared()
{
    static AppState* instance = [] {
        // Never destroyed: views and timers may still reach it while the
        // process winds down.
        auto* state = new AppState;
        if (QCoreApplication::instance() && state->thread() != QCoreApplication::instance()->thread())
            state->moveToThread(QCoreApplication::instance()->thread());
        return state;
    }();
    return *instance;
}

AppState::AppState(QObject* parent)
    : QObject(parent)
    , lastUpdateTime(QDateTime::currentDateTimeUtc())
{
    // Copies of the record carry the observer; a copy may outlive a test's
    // AppState, so it holds a guarded pointer.
    const auto notice = [self = QPointer<AppState>(this)] {
        if (self)
            emit self->changed();
    };
    settings.setWriteObserver(notice);
    directory.currentUrl = QUrl::fromLocalFile(QDir::homePath());
    pomodoroTimer = new QTimer(this);
    pomodoroTimer->setInterval(1000);
    pomodoroTimer->setTimerType(Qt::PreciseTimer);
    // The main dock arms it for the next second that has work.
    pomodoroTimer->setSingleShot(true);
    pomodoroTimer->start();
}

AppState::~AppState() = default;

// Writes of AppState's own stored values send no notice: the model's
// callers publish when a view must redraw.
#define ORBITSHELF_STATE_RECORD(...) ORBITSHELF_SETTING_DEFINITIONS(AppState, (void)0, __VA_ARGS__)
ORBITSHELF_STATE_SETTINGS(ORBITSHELF_STATE_RECORD)
#undef ORBITSHELF_STATE_RECORD

bool AppState::isPluginInstalled(const QString& name) const
{
    for (const Record& r : installedPlugins) {
        const auto n = r.text(QStringLiteral("name"));
        if (n && *n == name)
            return true;
    }
    return false;
}

void AppState::publish()
{
    lastUpdateTime = QDateTime::currentDateTimeUtc();
    emit changed();
}

void AppState::publishTitle(quint32 windowNumber)
{
    lastUpdateTime = QDateTime::currentDateTimeUtc();
    emit titleChanged(windowNumber);
}
