#pragma once

#include "state/MapSetting.h"
#include "state/UserDefaults.h"

#include <QMutex>
#include <QMutexLocker>
#include <QString>
#include <QStringList>
#include <QVariant>

#include <functional>
#include <optional>
#include <vector>

// Every stored value, once: member name, user-defaults key, type, default.
// The records' accessors, the settings table and the tests all come from
// these lists, one per record that holds the values; a number's range is
// settingRange's. The key equals the member name unless the list says
// otherwise; the odd spellings ("everyScreen", "autoHideDock",
// "preference_shotcutOption_*", "pinedPlugins", the "pomodoro_" and "note_"
// keys) are what existing settings files hold, so they stay.
//
// The user settings, CustomSettings (AppState::settings).
#define ORBITSHELF_SETTINGS(X)                                                                               \
    X(firstInstalled, setFirstInstalled, "firstInstalled", Bool, true)                                       \
    X(persistSelection, setPersistSelection, "persistSelection", Int, 4)                                     \
    X(dockBackgroundHeight, setDockBackgroundHeight, "dockBackgroundHeight", Real, 50.0)                     \
    X(dockColor, setDockColor, "dockColor", Text, QStringLiteral("00cec9"))                                  \
    X(dockTitleColor, setDockTitleColor, "dockTitleColor", Text, QStringLiteral("ffffff"))                   \
    X(dockBadge, setDockBadge, "dockBadge", Bool, true)                                                      \
    X(dockIcon, setDockIcon, "dockIcon", Text, QStringLiteral("Finder"))                                     \
    X(isDockIconCustomUpload, setIsDockIconCustomUpload, "isDockIconCustomUpload", Bool, false)              \
    X(dockIconCustomUploadURL, setDockIconCustomUploadURL, "dockIconCustomUploadURL", Text, QString())       \
    X(buttonTheme, setButtonTheme, "buttonTheme", Text, QStringLiteral("bigIcon"))                           \
    X(supportMultiScreens, setSupportMultiScreens, "everyScreen", Bool, true)                                \
    X(disablePreview, setDisablePreview, "disablePreview", Bool, false)                                      \
    X(hideMainButton, setHideMainButton, "hideMainButton", Bool, false)                                      \
    X(showProcessInfo, setShowProcessInfo, "showProcessInfo", Bool, false)                                   \
    X(showLunchpadButton, setShowLunchpadButton, "showLunchpadButton", Bool, true)                           \
    X(enableAutoHideWhenFullScreen, setEnableAutoHideWhenFullScreen, "enableAutoHideWhenFullScreen", Bool,   \
        false)                                                                                               \
    X(openIndicatorColor, setOpenIndicatorColor, "openIndicatorColor", Text, QStringLiteral("ffffff"))       \
    X(previousIndicatorColor, setPreviousIndicatorColor, "previousIndicatorColor", Text,                     \
        QStringLiteral("ffeaa7"))                                                                            \
    X(mouseMoveToWindowCenter, setMouseMoveToWindowCenter, "mouseMoveToWindowCenter", Bool, true)            \
    X(restartDockWhenWake, setRestartDockWhenWake, "restartDockWhenWake", Bool, true)                        \
    X(fullScreenDock, setFullScreenDock, "fullScreenDock", Bool, false)                                      \
    X(shortcutOptionForOpenFloatWindow, setShortcutOptionForOpenFloatWindow,                                 \
        "preference_shotcutOption_open_float_window", Text, QStringLiteral("option"))                        \
    X(shortcutOptionForSwitchWindow, setShortcutOptionForSwitchWindow,                                       \
        "preference_shotcutOption_switch_window", Text, QStringLiteral("option"))                            \
    X(shortcutOptionForPasteboardWindow, setShortcutOptionForPasteboardWindow,                               \
        "preference_shotcutOption_pasteboard_window", Text, QStringLiteral("option"))                        \
    X(shortcutOptionForOpenAutohide, setShortcutOptionForOpenAutohide,                                       \
        "preference_shotcutOption_open_autohide", Text, QStringLiteral("option"))                            \
    X(shortcutOptionForHideWindow, setShortcutOptionForHideWindow, "preference_shotcutOption_hide_window",   \
        Text, QStringLiteral("option"))                                                                      \
    X(mainDockPosition, setMainDockPosition, "mainDockPosition", Text, QStringLiteral("bottom"))             \
    X(spaceDockPosition, setSpaceDockPosition, "spaceDockPosition", Map, StringMap())                        \
    X(spaceHeight, setSpaceHeight, "spaceHeight", Map, StringMap())                                          \
    X(spaceWidth, setSpaceWidth, "spaceWidth", Map, StringMap())                                             \
    X(stackAppLimit, setStackAppLimit, "stackAppLimit", Int, 8)                                              \
    X(autoHideSpaceDock, setAutoHideSpaceDock, "autoHideDock", Map, StringMap())                             \
    X(pinedPlugins, setPinedPlugins, "pinedPlugins", Map, StringMap())                                       \
    X(replaceFinder, setReplaceFinder, "replaceFinder", Bool, false)                                         \
    X(enableFeishuMultipleTask, setEnableFeishuMultipleTask, "enableFeishuMultipleTask", Bool, true)

// AppState's own stored values.
#define ORBITSHELF_STATE_SETTINGS(X)                                                                         \
    X(appOrdersCache, setAppOrdersCache, "appOrdersCache", Map, StringMap())                                 \
    X(needRestoreOrderRestarted, setNeedRestoreOrderRestarted, "needRestoreOrderRestarted", Bool, false)     \
    X(needRestorePomodoro, setNeedRestorePomodoro, "needRestorePomodoro", Bool, false)                       \
    X(favoriteDir, setFavoriteDir, "favoriteDir", Text, QString())                                           \
    X(windowtagNameCache, setWindowtagNameCache, "windowtagNameCache", Map, StringMap())                     \
    X(windowtagColorCache, setWindowtagColorCache, "windowtagColorCache", Map, StringMap())                  \
    X(windowHotkeyCache, setWindowHotkeyCache, "windowHotkeyCache", Map, StringMap())

// The icon size, AppIcon: height and width both read it, held to the bar.
#define ORBITSHELF_ICON_SETTINGS(X)                                                                          \
    X(storedHeight, setStoredHeight, "dockIconHeight", Real, kIconHeightDefault)

// The note being edited, CustomNote.
#define ORBITSHELF_NOTE_SETTINGS(X)                                                                          \
    X(content, setContent, "note_content", Text, QString())                                                  \
    X(id, setId, "note_id", Text, QString())

// The Pomodoro's counters and lengths, CustomPomodoro: the seconds, read
// through its count of the running phase, then the rest.
#define ORBITSHELF_POMODORO_SETTINGS(X)                                                                      \
    ORBITSHELF_POMODORO_SECONDS(X)                                                                           \
    ORBITSHELF_POMODORO_CHOICES(X)
#define ORBITSHELF_POMODORO_SECONDS(X)                                                                       \
    X(storedSecondsElapsed, setStoredSecondsElapsed, "pomodoro_seconds", Long, 0)
#define ORBITSHELF_POMODORO_CHOICES(X)                                                                       \
    X(tomatoMinute, setTomatoMinute, "pomodoro_tomato_minute", Long, 30)                                     \
    X(loopRounds, setLoopRounds, "pomodoro_loop_round", Long, 8)                                             \
    X(restMinute, setRestMinute, "pomodoro_rest_minute", Long, 5)                                            \
    X(lastRunTime, setLastRunTime, "pomodoro_last_run_time", Text, QString())                                \
    X(currentRound, setCurrentRound, "pomodoro_current_round", Long, 0)                                      \
    X(hintText, setHintText, "pomodoro_text", Text,                                                          \
        QStringLiteral("Take a break, stretch your legs, and have some water."))

// Every list, in the order of the table.
#define ORBITSHELF_ALL_SETTINGS(X)                                                                           \
    ORBITSHELF_SETTINGS(X)                                                                                   \
    ORBITSHELF_STATE_SETTINGS(X)                                                                             \
    ORBITSHELF_ICON_SETTINGS(X)                                                                              \
    ORBITSHELF_NOTE_SETTINGS(X)                                                                              \
    ORBITSHELF_POMODORO_SETTINGS(X)

// Long is a signed 64-bit count (the Pomodoro's seconds, minutes, rounds).
enum class SettingType { Bool, Int, Long, Real, Text, Map };

// One row of the settings table; the default as a QVariant (a map's default
// as its StringMap).
struct SettingDefinition {
    const char* member;
    const char* key;
    SettingType type;
    QVariant defaultValue;
};

// The table: every list's rows, in the order of ORBITSHELF_ALL_SETTINGS.
const std::vector<SettingDefinition>& settingsTable();

// The values a numeric setting may take: what its page offers. A value read
// from the file outside them (a hand edit, a page of an older version) reads
// as the nearest end, so the bar never draws from one; the file keeps it
// until the setting is next written.
struct SettingRange {
    double minimum;
    double maximum;
    double held(double value) const { return value < minimum ? minimum : value > maximum ? maximum : value; }
};
// By user-defaults key; nothing for a setting without one.
std::optional<SettingRange> settingRange(const QString& key);
// The icon height never exceeds the dock height: icons taller than the bar
// would be cut at both of its edges.
inline constexpr double kIconHeightDefault = 46;
inline constexpr double kIconHeightMinimum = 20;
inline constexpr double kIconHeightMaximum = 100;
inline constexpr double kDockHeightMinimum = 20;
inline constexpr double kDockHeightMaximum = 150;
// Room the bar keeps around an icon (its hover growth and indicator).
inline constexpr double kIconMarginInDock = 0;
// The tallest icon a bar of `dockHeight` shows whole; never below the
// icon height's own minimum.
double largestIconHeight(double dockHeight);
// `iconHeight` held to its range and to what the bar shows whole.
double iconHeightWithin(double iconHeight, double dockHeight);
// A stack holds two windows at the least: with a lower limit every
// application, even one with a single window or none, would be a stack.
inline constexpr int kStackAppLimitMinimum = 2;
// What the Pomodoro's panel takes: a phase of a minute to a day, up to 99
// rounds. A length of none would end each phase at its first second; a
// longer one overflows its count of seconds.
inline constexpr qint64 kPomodoroMaxMinutes = 1440;
inline constexpr qint64 kPomodoroMaxRounds = 99;

namespace settings_detail {
using BoolT = bool;
using IntT = int;
using LongT = qint64;
using RealT = double;
using TextT = QString;
using MapT = StringMap;

// A stored value as the table reads it: the default when the key holds
// nothing of the type, a number held to its range, a map decoded.
bool readStored(const char* key, bool def);
int readStored(const char* key, int def);
qint64 readStored(const char* key, qint64 def);
double readStored(const char* key, double def);
QString readStored(const char* key, const QString& def);
StringMap readStored(const char* key, const StringMap& def);
// Stores at once (a map as its text).
void writeStored(const char* key, bool value);
void writeStored(const char* key, int value);
void writeStored(const char* key, qint64 value);
void writeStored(const char* key, double value);
void writeStored(const char* key, const QString& value);
void writeStored(const char* key, const StringMap& value);

// The value of one setting as last read, kept until the user defaults change.
// The bar reads the same settings for every button on every change; turning
// the key into text, looking it up and parsing the value (a map is decoded
// from its text) each time cost more than the rest of an activation's model
// work.
template <typename T> class KeptRead final {
public:
    template <typename Read> T get(Read read)
    {
        const quint64 generation = UserDefaults::generation();
        {
            QMutexLocker lock(&m_lock);
            if (m_value && m_generation == generation)
                return *m_value;
        }
        // Read outside the lock; a write meanwhile changes the generation, so
        // a value kept from before it is never taken for a later one.
        T value = read();
        QMutexLocker lock(&m_lock);
        m_value = value;
        m_generation = generation;
        return value;
    }

private:
    QMutex m_lock;
    quint64 m_generation = 0;
    std::optional<T> m_value;
};
} // namespace settings_detail

// The accessors of one row, declared in its record.
#define ORBITSHELF_SETTING_ACCESSORS(member, setter, key, type, def)                                         \
    settings_detail::type##T member() const;                                                                 \
    void setter(const settings_detail::type##T& value) const;

// Their definitions, in the record's own file: a read kept until the store
// changes, a write stored at once and then `after` (the record's change
// notice, or nothing where the record's writes send none).
#define ORBITSHELF_SETTING_DEFINITIONS(Record, after, member, setter, key, type, def)                        \
    settings_detail::type##T Record::member() const                                                          \
    {                                                                                                        \
        static settings_detail::KeptRead<settings_detail::type##T> kept;                                     \
        return kept.get([] { return settings_detail::readStored(key, settings_detail::type##T(def)); });     \
    }                                                                                                        \
    void Record::setter(const settings_detail::type##T& value) const                                         \
    {                                                                                                        \
        settings_detail::writeStored(key, value);                                                            \
        after;                                                                                               \
    }

// A record's change notice: called after every write through the record.
// AppState gives its settings one (views bound to them redraw); a record
// made anywhere else has none. The other stored values send none on
// purpose: the Pomodoro's tick, the note's draft and the model's caches
// write often, and the appearance page publishes once after its writes.
class WriteNotice {
public:
    void setWriteObserver(std::function<void()> observer) { m_onWrite = std::move(observer); }

protected:
    void written() const
    {
        if (m_onWrite)
            m_onWrite();
    }

private:
    std::function<void()> m_onWrite;
};

// The record of user settings. It holds no values: every member reads the
// user defaults (what it read is kept only until they change) and every
// write stores at once, so copies of the record see each other's writes. A
// record owned by AppState also tells AppState after each write (its change
// notice), see AppState::settings.
class CustomSettings final : public WriteNotice {
public:
    CustomSettings() = default;

    ORBITSHELF_SETTINGS(ORBITSHELF_SETTING_ACCESSORS)

    // Not stored: the built-in images offered for dockIcon.
    QStringList dockIconList() const;
};

// Reads and writes of a stored map outside the table (the switcher's record
// of which window a hot key was bound for).
StringMap readStoredMap(const QString& key);
void writeStoredMap(const QString& key, const StringMap& map);
