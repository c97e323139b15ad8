#pragma once

#include "app/MapSetting.h"

#include <QString>
#include <QStringList>
#include <QVariant>

#include <functional>
#include <optional>
#include <vector>

// Every user setting, once: member name, user-defaults key, type, default.
// The accessors, the settings table and the tests all come from this list.
// The key equals the member name unless the list says otherwise; the odd
// spellings ("everyScreen", "autoHideDock", "preference_shotcutOption_*",
// "pinedPlugins") are what existing settings files hold, so they stay.
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

enum class SettingType { Bool, Int, Real, Text, Map };

// One row of the settings table; the default as a QVariant (a map's default
// as its StringMap).
struct SettingDefinition {
    const char* member;
    const char* key;
    SettingType type;
    QVariant defaultValue;
};

// The table, in declaration order.
const std::vector<SettingDefinition>& settingsTable();

// The values a numeric setting may take: what its page offers. A value read
// from the file outside them (a hand edit, a page of an older version) reads
// as the nearest end, so the bar never draws from one.
struct SettingRange {
    double minimum;
    double maximum;
    double held(double value) const { return value < minimum ? minimum : value > maximum ? maximum : value; }
};
// By user-defaults key; nothing for a setting without one. Also the icon
// height's "dockIconHeight", which is AppIcon's.
std::optional<SettingRange> settingRange(const QString& key);
// The icon height never exceeds the dock height: icons taller than the bar
// would be cut at both of its edges.
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

namespace settings_detail {
using BoolT = bool;
using IntT = int;
using RealT = double;
using TextT = QString;
using MapT = StringMap;
} // namespace settings_detail

// The record of user settings. It holds no values: every member reads the
// user defaults (what it read is kept only until they change) and every
// write stores at once, so copies of the record see each other's writes. A
// record owned by AppState also tells AppState after each write (its change
// notice), see AppState::settings.
class CustomSettings final {
public:
    CustomSettings() = default;

#define ORBITSHELF_SETTING_ACCESSORS(member, setter, key, type, def)                                         \
    settings_detail::type##T member() const;                                                                 \
    void setter(const settings_detail::type##T& value) const;
    ORBITSHELF_SETTINGS(ORBITSHELF_SETTING_ACCESSORS)
#undef ORBITSHELF_SETTING_ACCESSORS

    // Not stored: the built-in images offered for dockIcon.
    QStringList dockIconList() const;

    // Called after every write through this record (AppState's record sends
    // its change notice from here).
    void setWriteObserver(std::function<void()> observer)
    {
        m_onWrite = std::move(observer);
    }

private:
    void written() const
    {
        if (m_onWrite)
            m_onWrite();
    }
    std::function<void()> m_onWrite;
};

// Table-driven access for the settings window: the value of one row as a
// QVariant of the row's type (a map as StringMap), read and written through
// the same conversions as the typed accessors. A write whose value does not
// convert to the row's type is refused and returns false.
QVariant settingValue(const SettingDefinition& row);
bool setSettingValue(const SettingDefinition& row, const QVariant& value);

// Reads and writes of a stored map member, shared with AppState's own maps.
StringMap readStoredMap(const QString& key);
void writeStoredMap(const QString& key, const StringMap& map);
