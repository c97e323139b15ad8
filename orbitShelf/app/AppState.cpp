#include "app/AppState.h"

#include "app/UserDefaults.h"

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
    settings.setWriteObserver([self = QPointer<AppState>(this)] {
        if (self)
            emit self->changed();
    });
    directory.currentUrl = QUrl::fromLocalFile(QDir::homePath());
    pomodoroTimer = new QTimer(this);
    pomodoroTimer->setInterval(1000);
    pomodoroTimer->setTimerType(Qt::PreciseTimer);
    // The main dock arms it for the next second that has work.
    pomodoroTimer->setSingleShot(true);
    pomodoroTimer->start();
}

AppState::~AppState() = default;

StringMap AppState::appOrdersCache() const
{
    return readStoredMap(QStringLiteral("appOrdersCache"));
}
void AppState::setAppOrdersCache(const StringMap& v) const
{
    writeStoredMap(QStringLiteral("appOrdersCache"), v);
}

bool AppState::needRestoreOrderRestarted() const
{
    return UserDefaults::readBool(QStringLiteral("needRestoreOrderRestarted"), false);
}
void AppState::setNeedRestoreOrderRestarted(bool v) const
{
    UserDefaults::setValue(QStringLiteral("needRestoreOrderRestarted"), v);
}

bool AppState::needRestorePomodoro() const
{
    return UserDefaults::readBool(QStringLiteral("needRestorePomodoro"), false);
}
void AppState::setNeedRestorePomodoro(bool v) const
{
    UserDefaults::setValue(QStringLiteral("needRestorePomodoro"), v);
}

QString AppState::favoriteDir() const
{
    return UserDefaults::readText(QStringLiteral("favoriteDir"), QString());
}
void AppState::setFavoriteDir(const QString& v) const
{
    UserDefaults::setValue(QStringLiteral("favoriteDir"), v);
}

StringMap AppState::windowtagNameCache() const
{
    return readStoredMap(QStringLiteral("windowtagNameCache"));
}
void AppState::setWindowtagNameCache(const StringMap& v) const
{
    writeStoredMap(QStringLiteral("windowtagNameCache"), v);
}
StringMap AppState::windowtagColorCache() const
{
    return readStoredMap(QStringLiteral("windowtagColorCache"));
}
void AppState::setWindowtagColorCache(const StringMap& v) const
{
    writeStoredMap(QStringLiteral("windowtagColorCache"), v);
}
StringMap AppState::windowHotkeyCache() const
{
    return readStoredMap(QStringLiteral("windowHotkeyCache"));
}
void AppState::setWindowHotkeyCache(const StringMap& v) const
{
    writeStoredMap(QStringLiteral("windowHotkeyCache"), v);
}

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
