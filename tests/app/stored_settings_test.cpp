// Every stored value of the user defaults: its key as spelled in settings
// files, its default on a fresh store, and that a write lands under that key.
#include "app/AppState.h"
#include "app/CustomSettings.h"
#include "app/UserDefaults.h"
#include "tests/support/TempStores.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QUrl>
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <set>

using orbitshelf::test::TempUserDefaults;

namespace {

struct StoredRow {
    const char* key;
    QVariant defaultValue;
    std::function<QVariant()> read;
    std::function<void()> writeSample; // writes a non-default value
    QVariant sample;
};

CustomSettings s;
CustomPomodoro p;
AppIcon icon;
CustomNote note;

QVariant v(const StringMap& m)
{
    return QVariant::fromValue(m);
}
const StringMap kSampleMap { { QStringLiteral("Optional(1A2B)"), QStringLiteral("true") } };

#define FLAG(key, def, member, setter)                                                                       \
    StoredRow                                                                                                \
    {                                                                                                        \
        key, QVariant(bool(def)), [] { return QVariant(s.member()); }, [] { s.setter(!(def)); },             \
            QVariant(!(def))                                                                                 \
    }
#define INT(key, def, member, setter)                                                                        \
    StoredRow                                                                                                \
    {                                                                                                        \
        key, QVariant(int(def)), [] { return QVariant(s.member()); }, [] { s.setter(-3); }, QVariant(-3)     \
    }
#define REAL(key, def, member, setter)                                                                       \
    StoredRow                                                                                                \
    {                                                                                                        \
        key, QVariant(double(def)), [] { return QVariant(s.member()); }, [] { s.setter(72.5); },             \
            QVariant(72.5)                                                                                   \
    }
#define TEXT(key, def, member, setter)                                                                       \
    StoredRow                                                                                                \
    {                                                                                                        \
        key, QVariant(QStringLiteral(def)), [] { return QVariant(s.member()); },                             \
            [] { s.setter(QStringLiteral("a, \"b\" = c")); }, QVariant(QStringLiteral("a, \"b\" = c"))       \
    }
#define MAP(key, member, setter)                                                                             \
    StoredRow                                                                                                \
    {                                                                                                        \
        key, v(StringMap()), [] { return v(s.member()); }, [] { s.setter(kSampleMap); }, v(kSampleMap)       \
    }

std::vector<StoredRow> rows()
{
    // Stored members read no instance state: any AppState reads the same keys.
    static AppState state;
    return {
        FLAG("firstInstalled", true, firstInstalled, setFirstInstalled),
        INT("persistSelection", 4, persistSelection, setPersistSelection),
        REAL("dockBackgroundHeight", 50.0, dockBackgroundHeight, setDockBackgroundHeight),
        TEXT("dockColor", "00cec9", dockColor, setDockColor),
        TEXT("dockTitleColor", "ffffff", dockTitleColor, setDockTitleColor),
        FLAG("dockBadge", true, dockBadge, setDockBadge),
        TEXT("dockIcon", "Finder", dockIcon, setDockIcon),
        FLAG("isDockIconCustomUpload", false, isDockIconCustomUpload, setIsDockIconCustomUpload),
        TEXT("dockIconCustomUploadURL", "", dockIconCustomUploadURL, setDockIconCustomUploadURL),
        TEXT("buttonTheme", "bigIcon", buttonTheme, setButtonTheme),
        FLAG("everyScreen", true, supportMultiScreens, setSupportMultiScreens),
        FLAG("disablePreview", false, disablePreview, setDisablePreview),
        FLAG("hideMainButton", false, hideMainButton, setHideMainButton),
        FLAG("showProcessInfo", false, showProcessInfo, setShowProcessInfo),
        FLAG("showLunchpadButton", true, showLunchpadButton, setShowLunchpadButton),
        FLAG("enableAutoHideWhenFullScreen", false, enableAutoHideWhenFullScreen,
            setEnableAutoHideWhenFullScreen),
        TEXT("openIndicatorColor", "ffffff", openIndicatorColor, setOpenIndicatorColor),
        TEXT("previousIndicatorColor", "ffeaa7", previousIndicatorColor, setPreviousIndicatorColor),
        FLAG("mouseMoveToWindowCenter", true, mouseMoveToWindowCenter, setMouseMoveToWindowCenter),
        FLAG("restartDockWhenWake", true, restartDockWhenWake, setRestartDockWhenWake),
        FLAG("fullScreenDock", false, fullScreenDock, setFullScreenDock),
        TEXT("preference_shotcutOption_open_float_window", "option", shortcutOptionForOpenFloatWindow,
            setShortcutOptionForOpenFloatWindow),
        TEXT("preference_shotcutOption_switch_window", "option", shortcutOptionForSwitchWindow,
            setShortcutOptionForSwitchWindow),
        TEXT("preference_shotcutOption_pasteboard_window", "option", shortcutOptionForPasteboardWindow,
            setShortcutOptionForPasteboardWindow),
        TEXT("preference_shotcutOption_open_autohide", "option", shortcutOptionForOpenAutohide,
            setShortcutOptionForOpenAutohide),
        TEXT("preference_shotcutOption_hide_window", "option", shortcutOptionForHideWindow,
            setShortcutOptionForHideWindow),
        TEXT("mainDockPosition", "bottom", mainDockPosition, setMainDockPosition),
        MAP("spaceDockPosition", spaceDockPosition, setSpaceDockPosition),
        MAP("spaceHeight", spaceHeight, setSpaceHeight),
        MAP("spaceWidth", spaceWidth, setSpaceWidth),
        INT("stackAppLimit", 8, stackAppLimit, setStackAppLimit),
        MAP("autoHideDock", autoHideSpaceDock, setAutoHideSpaceDock),
        MAP("pinedPlugins", pinedPlugins, setPinedPlugins),
        FLAG("replaceFinder", false, replaceFinder, setReplaceFinder),
        FLAG("enableFeishuMultipleTask", true, enableFeishuMultipleTask, setEnableFeishuMultipleTask),
        // AppState's own stored members
        { "appOrdersCache", v({}), [] { return v(state.appOrdersCache()); },
            [] { state.setAppOrdersCache(kSampleMap); }, v(kSampleMap) },
        { "needRestoreOrderRestarted", false, [] { return QVariant(state.needRestoreOrderRestarted()); },
            [] { state.setNeedRestoreOrderRestarted(true); }, true },
        { "needRestorePomodoro", false, [] { return QVariant(state.needRestorePomodoro()); },
            [] { state.setNeedRestorePomodoro(true); }, true },
        { "favoriteDir", QString(), [] { return QVariant(state.favoriteDir()); },
            [] { state.setFavoriteDir(QStringLiteral("/a;/b c")); }, QStringLiteral("/a;/b c") },
        { "windowtagNameCache", v({}), [] { return v(state.windowtagNameCache()); },
            [] { state.setWindowtagNameCache(kSampleMap); }, v(kSampleMap) },
        { "windowtagColorCache", v({}), [] { return v(state.windowtagColorCache()); },
            [] { state.setWindowtagColorCache(kSampleMap); }, v(kSampleMap) },
        { "windowHotkeyCache", v({}), [] { return v(state.windowHotkeyCache()); },
            [] { state.setWindowHotkeyCache(kSampleMap); }, v(kSampleMap) },
        { "dockIconHeight", 46.0, [] { return QVariant(icon.height()); }, [] { icon.setHeight(60.0); },
            60.0 },
        { "note_content", QString(), [] { return QVariant(note.content()); },
            [] { note.setContent(QStringLiteral("línea 1\nline \"2\"")); },
            QStringLiteral("línea 1\nline \"2\"") },
        { "note_id", QString(), [] { return QVariant(note.id()); },
            [] { note.setId(QStringLiteral("aB3dE9")); }, QStringLiteral("aB3dE9") },
        // The Pomodoro's stored counters
        { "pomodoro_seconds", 0, [] { return QVariant(p.secondsElapsed()); }, [] { p.setSecondsElapsed(90); },
            90 },
        { "pomodoro_tomato_minute", 30, [] { return QVariant(p.tomatoMinute()); },
            [] { p.setTomatoMinute(25); }, 25 },
        { "pomodoro_loop_round", 8, [] { return QVariant(p.loopRounds()); }, [] { p.setLoopRounds(4); }, 4 },
        { "pomodoro_rest_minute", 5, [] { return QVariant(p.restMinute()); }, [] { p.setRestMinute(10); },
            10 },
        { "pomodoro_last_run_time", QString(), [] { return QVariant(p.lastRunTime()); },
            [] { p.setLastRunTime(QStringLiteral("2026-01-02 03:04:05")); },
            QStringLiteral("2026-01-02 03:04:05") },
        { "pomodoro_current_round", 0, [] { return QVariant(p.currentRound()); },
            [] { p.setCurrentRound(3); }, 3 },
        { "pomodoro_text", QStringLiteral("Take a break, stretch your legs, and have some water."),
            [] { return QVariant(p.hintText()); }, [] { p.setHintText(QStringLiteral("Stand up")); },
            QStringLiteral("Stand up") },
    };
}

class StoredValues : public ::testing::Test {
protected:
    TempUserDefaults defaults;
};

} // namespace

TEST_F(StoredValues, FreshStoreReadsEveryDefaultAndWritesNothing)
{
    for (const StoredRow& row : rows()) {
        SCOPED_TRACE(row.key);
        EXPECT_EQ(row.read(), row.defaultValue);
    }
    EXPECT_TRUE(defaults.readRaw().trimmed().isEmpty());
}

TEST_F(StoredValues, EachWriteLandsUnderItsOwnKeyAndReadsBack)
{
    for (const StoredRow& row : rows()) {
        SCOPED_TRACE(row.key);
        EXPECT_FALSE(UserDefaults::value(QString::fromLatin1(row.key)).isValid());
        row.writeSample();
        EXPECT_TRUE(UserDefaults::value(QString::fromLatin1(row.key)).isValid())
            << "written under another key";
        EXPECT_EQ(row.read(), row.sample);
        UserDefaults::remove(QString::fromLatin1(row.key));
        EXPECT_EQ(row.read(), row.defaultValue);
    }
}

TEST_F(StoredValues, ValuesSurviveAReopenOfTheFile)
{
    for (const StoredRow& row : rows())
        row.writeSample();
    UserDefaults::useFile(QString());
    UserDefaults::useFile(defaults.path());
    for (const StoredRow& row : rows()) {
        SCOPED_TRACE(row.key);
        EXPECT_EQ(row.read(), row.sample);
    }
}

TEST_F(StoredValues, TheSettingsTableHoldsEveryStoredSettingOnce)
{
    // The table feeds the settings window; it must match the accessors.
    const auto& table = settingsTable();
    ASSERT_EQ(table.size(), 35u);
    std::set<QString> keys;
    for (const auto& def : table)
        keys.insert(QString::fromLatin1(def.key));
    EXPECT_EQ(keys.size(), table.size());
    for (const StoredRow& row : rows()) {
        auto it = std::find_if(table.begin(), table.end(),
            [&](const SettingDefinition& d) { return qstrcmp(d.key, row.key) == 0; });
        if (it == table.end())
            continue; // AppState's and the sub-states' own values
        SCOPED_TRACE(row.key);
        EXPECT_EQ(it->defaultValue, row.defaultValue);
        EXPECT_EQ(settingValue(*it), row.defaultValue);
        // A write through the table is what the typed accessor reads.
        ASSERT_TRUE(setSettingValue(*it, row.sample));
        EXPECT_EQ(row.read(), row.sample);
        EXPECT_EQ(settingValue(*it), row.sample);
        EXPECT_FALSE(setSettingValue(*it, QVariant(QUrl(QStringLiteral("file:///x")))));
    }
}

TEST_F(StoredValues, HandEditedValuesOfTheWrongTypeReadAsDefaults)
{
    defaults.writeRaw("[General]\n"
                      "firstInstalled=maybe\n"
                      "dockBadge=0\n"
                      "stackAppLimit=12abc\n"
                      "persistSelection=\n"
                      "dockBackgroundHeight=tall\n"
                      "dockIconHeight=nan\n"
                      "dockColor=ff, 00, 00\n"
                      "autoHideDock=[1, 2]\n"
                      "spaceWidth=\"{\\\"a\\\": 1}\"\n"
                      "pomodoro_tomato_minute=@Variant(\\0\\0\\0\\x7f\\0\\0\\0\\x18QMap)\n");
    CustomSettings settings;
    EXPECT_TRUE(settings.firstInstalled());
    EXPECT_TRUE(settings.dockBadge());
    EXPECT_EQ(settings.stackAppLimit(), 8);
    EXPECT_EQ(settings.persistSelection(), 4);
    EXPECT_EQ(settings.dockBackgroundHeight(), 50.0);
    EXPECT_EQ(AppIcon().height(), 46.0);
    EXPECT_EQ(settings.dockColor(), QStringLiteral("00cec9"));
    EXPECT_TRUE(settings.autoHideSpaceDock().isEmpty());
    EXPECT_TRUE(settings.spaceWidth().isEmpty());
    EXPECT_EQ(CustomPomodoro().tomatoMinute(), 30);
}

TEST_F(StoredValues, TextsAndOutOfRangeNumbersAreKeptAsWritten)
{
    CustomSettings settings;
    settings.setDockColor(QStringLiteral("not a colour at all; [x]"));
    EXPECT_EQ(settings.dockColor(), QStringLiteral("not a colour at all; [x]"));
    settings.setStackAppLimit(0);
    EXPECT_EQ(settings.stackAppLimit(), 0);
    settings.setStackAppLimit(-7);
    EXPECT_EQ(settings.stackAppLimit(), -7);
    defaults.writeRaw("[General]\nFirstInstalled=false\nfirstInstalled=FALSE\ndockColor=123456\n");
    EXPECT_FALSE(settings.firstInstalled());
    EXPECT_EQ(settings.dockColor(), QStringLiteral("123456"));
}

TEST_F(StoredValues, DockIconListOffersTwelveBuiltInImages)
{
    const QStringList list = CustomSettings().dockIconList();
    ASSERT_EQ(list.size(), 12);
    EXPECT_EQ(list.first(), QStringLiteral("Finder"));
    EXPECT_EQ(list.at(1), QStringLiteral("Finder2"));
    EXPECT_EQ(list.last(), QStringLiteral("Finder12"));
}

TEST_F(StoredValues, ADamagedFileIsCopiedAsideBeforeTheFirstWriteRewritesIt)
{
    const QByteArray damaged("[General]\ndockColor=ff0000\n\x01\x02 no equals sign\n[broken\n");
    defaults.writeRaw(damaged);
    CustomSettings settings;
    EXPECT_EQ(settings.dockColor(), QStringLiteral("ff0000"));
    settings.setDockBadge(false);
    EXPECT_FALSE(settings.dockBadge());
    const QFileInfo conf(defaults.path());
    const QStringList copies = conf.dir().entryList({ conf.fileName() + QStringLiteral(".damaged-*") });
    ASSERT_EQ(copies.size(), 1);
    QFile copy(conf.dir().filePath(copies.first()));
    ASSERT_TRUE(copy.open(QIODevice::ReadOnly));
    EXPECT_EQ(copy.readAll(), damaged);
}
