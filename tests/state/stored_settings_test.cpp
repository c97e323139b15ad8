// The stored values of AppState and its sub-states, written out here as
// existing settings files spell them (the records' accessors are generated
// from the lists in CustomSettings.h): each key, its default on a fresh
// store, and that a write lands under it.
#include "state/AppState.h"
#include "state/CustomSettings.h"
#include "state/UserDefaults.h"
#include "tests/support/TempStores.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QUrl>
#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <set>

using orbitshelf::test::TempUserDefaults;

namespace {

struct StoredRow {
    const char* key;
    QVariant defaultValue;
    std::function<QVariant()> read;
    std::function<void()> writeSample; // writes a value other than the default
    QVariant sample;
};

template <typename T> QVariant variant(const T& value)
{
    return QVariant::fromValue(value);
}

template <typename Object, typename Get, typename Set, typename T>
StoredRow row(const char* key, T def, const Object& o, Get get, Set set, T sample)
{
    return { key, variant(def), [&o, get] { return variant((o.*get)()); },
        [&o, set, sample] { (o.*set)(sample); }, variant(sample) };
}

const StringMap kSampleMap { { QStringLiteral("Optional(1A2B)"), QStringLiteral("true") } };

std::vector<StoredRow> rows()
{
    // The members read no instance state: any instance reads the same keys.
    static const AppState state;
    static const AppIcon icon;
    static const CustomNote note;
    static const CustomPomodoro p;
    using A = AppState;
    using P = CustomPomodoro;
    return {
        row("appOrdersCache", StringMap(), state, &A::appOrdersCache, &A::setAppOrdersCache, kSampleMap),
        row("needRestoreOrderRestarted", false, state, &A::needRestoreOrderRestarted,
            &A::setNeedRestoreOrderRestarted, true),
        row("needRestorePomodoro", false, state, &A::needRestorePomodoro, &A::setNeedRestorePomodoro, true),
        row("favoriteDir", QString(), state, &A::favoriteDir, &A::setFavoriteDir, QStringLiteral("/a;/b c")),
        row("windowtagNameCache", StringMap(), state, &A::windowtagNameCache, &A::setWindowtagNameCache,
            kSampleMap),
        row("windowtagColorCache", StringMap(), state, &A::windowtagColorCache, &A::setWindowtagColorCache,
            kSampleMap),
        row("windowHotkeyCache", StringMap(), state, &A::windowHotkeyCache, &A::setWindowHotkeyCache,
            kSampleMap),
        // The icons are square: their width reads the height's key.
        row("dockIconHeight", 46.0, icon, &AppIcon::width, &AppIcon::setHeight, 40.0),
        row("note_content", QString(), note, &CustomNote::content, &CustomNote::setContent,
            QStringLiteral("línea 1\nline \"2\"")),
        row("note_id", QString(), note, &CustomNote::id, &CustomNote::setId, QStringLiteral("aB3dE9")),
        row("pomodoro_seconds", 0, p, &P::secondsElapsed, &P::setSecondsElapsed, 90),
        row("pomodoro_tomato_minute", 30, p, &P::tomatoMinute, &P::setTomatoMinute, 25),
        row("pomodoro_loop_round", 8, p, &P::loopRounds, &P::setLoopRounds, 4),
        row("pomodoro_rest_minute", 5, p, &P::restMinute, &P::setRestMinute, 10),
        row("pomodoro_last_run_time", QString(), p, &P::lastRunTime, &P::setLastRunTime,
            QStringLiteral("2026-01-02 03:04:05")),
        row("pomodoro_current_round", 0, p, &P::currentRound, &P::setCurrentRound, 3),
        row("pomodoro_text", QStringLiteral("Take a break, stretch your legs, and have some water."), p,
            &P::hintText, &P::setHintText, QStringLiteral("Stand up")),
    };
}

class StoredValues : public ::testing::Test {
protected:
    TempUserDefaults defaults;
};

} // namespace

TEST_F(StoredValues, DefaultsWriteNothingAndEachWriteLandsUnderItsOwnKeyAndSurvivesAReopen)
{
    for (const StoredRow& row : rows()) {
        SCOPED_TRACE(row.key);
        EXPECT_EQ(row.read(), row.defaultValue);
        EXPECT_TRUE(defaults.readRaw().trimmed().isEmpty());
    }
    for (const StoredRow& row : rows()) {
        SCOPED_TRACE(row.key);
        EXPECT_FALSE(UserDefaults::value(QString::fromLatin1(row.key)).isValid());
        row.writeSample();
        EXPECT_TRUE(UserDefaults::value(QString::fromLatin1(row.key)).isValid())
            << "written under another key";
        EXPECT_EQ(row.read(), row.sample);
    }
    UserDefaults::useFile(QString());
    UserDefaults::useFile(defaults.path());
    for (const StoredRow& row : rows()) {
        SCOPED_TRACE(row.key);
        EXPECT_EQ(row.read(), row.sample);
        UserDefaults::remove(QString::fromLatin1(row.key));
        EXPECT_EQ(row.read(), row.defaultValue);
    }
}

// Every row of the table that a record shows as it stands, through that
// record's own accessors; the seconds and the icon height are read through
// their records' counts and bounds, as listed above.
struct TableAccess {
    std::function<QVariant()> read;
    std::function<void(const QVariant&)> write;
};
std::map<QString, TableAccess> tableAccess()
{
    static const CustomSettings settings;
    static const AppState state;
    static const CustomNote note;
    static const CustomPomodoro pomodoro;
    std::map<QString, TableAccess> access;
#define ORBITSHELF_TEST_ACCESS(record, member, setter, key, type, def)                                       \
    access[QStringLiteral(key)] = { [] { return variant(record.member()); },                                 \
        [](const QVariant& v) { record.setter(v.value<settings_detail::type##T>()); } };
#define ORBITSHELF_TEST_SETTINGS(...) ORBITSHELF_TEST_ACCESS(settings, __VA_ARGS__)
#define ORBITSHELF_TEST_STATE(...) ORBITSHELF_TEST_ACCESS(state, __VA_ARGS__)
#define ORBITSHELF_TEST_NOTE(...) ORBITSHELF_TEST_ACCESS(note, __VA_ARGS__)
#define ORBITSHELF_TEST_POMODORO(...) ORBITSHELF_TEST_ACCESS(pomodoro, __VA_ARGS__)
    ORBITSHELF_SETTINGS(ORBITSHELF_TEST_SETTINGS)
    ORBITSHELF_STATE_SETTINGS(ORBITSHELF_TEST_STATE)
    ORBITSHELF_NOTE_SETTINGS(ORBITSHELF_TEST_NOTE)
    ORBITSHELF_POMODORO_CHOICES(ORBITSHELF_TEST_POMODORO)
#undef ORBITSHELF_TEST_POMODORO
#undef ORBITSHELF_TEST_NOTE
#undef ORBITSHELF_TEST_STATE
#undef ORBITSHELF_TEST_SETTINGS
#undef ORBITSHELF_TEST_ACCESS
    return access;
}

TEST_F(StoredValues, TheTablesRowsReadTheirDefaultsAndWhatTheirAccessorsWrite)
{
    std::set<QString> keys;
    const std::map<QString, TableAccess> access = tableAccess();
    for (const SettingDefinition& def : settingsTable()) {
        SCOPED_TRACE(def.key);
        EXPECT_TRUE(keys.insert(QString::fromLatin1(def.key)).second) << "two settings share a key";
        const auto found = access.find(QString::fromLatin1(def.key));
        if (found == access.end())
            continue;
        const TableAccess& row = found->second;
        EXPECT_EQ(row.read(), def.defaultValue);
        const std::map<SettingType, QVariant> byType { { SettingType::Bool, !def.defaultValue.toBool() },
            { SettingType::Int, def.defaultValue.toInt() + 3 },
            { SettingType::Long, def.defaultValue.toLongLong() + 3 },
            { SettingType::Real, def.defaultValue.toDouble() + 0.5 },
            { SettingType::Text, QStringLiteral("a, \"b\" = c") },
            { SettingType::Map, variant(kSampleMap) } };
        const QVariant sample = byType.at(def.type);
        row.write(sample);
        EXPECT_EQ(row.read(), sample);
    }
    EXPECT_EQ(keys.size(), access.size() + 2)
        << "a row without an accessor beside the seconds and icon height";
}

TEST_F(StoredValues, HandEditedValuesOfTheWrongTypeReadAsDefaultsOthersAsWritten)
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

    // Texts are kept as written; keys match by case.
    settings.setDockColor(QStringLiteral("not a colour at all; [x]"));
    EXPECT_EQ(settings.dockColor(), QStringLiteral("not a colour at all; [x]"));
    defaults.writeRaw("[General]\nFirstInstalled=false\nfirstInstalled=FALSE\n");
    EXPECT_FALSE(settings.firstInstalled());
}

TEST_F(StoredValues, AFileNotReadWholeIsCopiedAsideOnceBeforeTheFirstWriteRewritesIt)
{
    struct Case {
        const char* what;
        QByteArray bytes;
        bool kept;
    };
    QByteArray noise;
    for (int i = 0; i < 600; ++i)
        noise.append(char((i * 73 + 11) % 256));
    const std::vector<Case> cases {
        { "a broken section among good lines",
            QByteArray("[General]\ndockColor=ff0000\n\x01\x02 no equals sign\n[broken\n"), true },
        { "lines of plain garbage", QByteArray("this is not a settings file\nat all\n"), true },
        { "binary noise", noise, true },
        { "text that is no UTF-8", QByteArray("[General]\ndockColor=\xff\xfe\n"), true },
        { "a file our own writes made", QByteArray("; kept\n[General]\r\ndockColor=ff0000\n\n"
                                                   "favoriteDir=\"/a;/b c\"\nlist=a, b\n"), false },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const QFileInfo conf(defaults.path());
        for (const QString& old : conf.dir().entryList({ conf.fileName() + QStringLiteral(".damaged-*") }))
            QFile::remove(conf.dir().filePath(old));
        defaults.writeRaw(c.bytes);
        CustomSettings settings;
        settings.setDockBadge(false);
        EXPECT_FALSE(settings.dockBadge());
        const QStringList copies = conf.dir().entryList({ conf.fileName() + QStringLiteral(".damaged-*") });
        const std::optional<QString> told = UserDefaults::keptCopyOfUnreadableFile();
        if (!c.kept) {
            EXPECT_TRUE(copies.isEmpty());
            EXPECT_FALSE(told.has_value());
            continue;
        }
        ASSERT_EQ(copies.size(), 1);
        ASSERT_TRUE(told.has_value());
        EXPECT_EQ(*told, conf.dir().filePath(copies.first()));
        QFile copy(*told);
        ASSERT_TRUE(copy.open(QIODevice::ReadOnly));
        EXPECT_EQ(copy.readAll(), c.bytes);
        // Later writes rewrite the file, and keep no second copy.
        settings.setDockBadge(true);
        EXPECT_EQ(conf.dir().entryList({ conf.fileName() + QStringLiteral(".damaged-*") }).size(), 1);
    }
}

TEST_F(StoredValues, AnAccessorSeesEveryChangeMadeAfterItsLastRead)
{
    // The accessors keep what they read; each kind of change must still reach
    // them, whichever way it was made.
    CustomSettings settings;
    struct Case {
        const char* key;
        std::function<QVariant()> read;
        QVariant stored; // as another writer puts it in the store
        QVariant defaultValue;
    };
    const std::vector<Case> cases {
        { "dockBadge", [&] { return QVariant(settings.dockBadge()); }, false, true },
        { "stackAppLimit", [&] { return QVariant(settings.stackAppLimit()); }, 3, 8 },
        { "dockBackgroundHeight", [&] { return QVariant(settings.dockBackgroundHeight()); }, 61.5, 50.0 },
        { "dockColor", [&] { return QVariant(settings.dockColor()); }, QStringLiteral("123456"),
            QStringLiteral("00cec9") },
        { "autoHideDock", [&] { return variant(settings.autoHideSpaceDock()); },
            QStringLiteral("{\"Optional(1A2B)\":\"true\"}"), variant(StringMap()) },
        { "windowHotkeyCache", [] { return variant(AppState::shared().windowHotkeyCache()); },
            QStringLiteral("{\"a\":\"42\"}"), variant(StringMap()) },
        { "pomodoro_current_round", [] { return QVariant(CustomPomodoro().currentRound()); }, 3,
            QVariant(qint64(0)) },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.key);
        const QString key = QString::fromLatin1(c.key);
        EXPECT_EQ(c.read(), c.defaultValue);
        UserDefaults::setValue(key, c.stored);
        const QVariant written = c.read();
        EXPECT_NE(written, c.defaultValue) << "a write through the store was not seen";
        UserDefaults::remove(key);
        EXPECT_EQ(c.read(), c.defaultValue) << "a removal was not seen";
        UserDefaults::setValue(key, c.stored);
        EXPECT_EQ(c.read(), written);
        // Another file: its own value, and the first file's again on return.
        {
            TempUserDefaults other;
            EXPECT_EQ(c.read(), c.defaultValue) << "a change of file was not seen";
        }
        UserDefaults::useFile(defaults.path());
        EXPECT_EQ(c.read(), written);
        UserDefaults::remove(key);
    }
    defaults.writeRaw("[General]\ndockColor=abcdef\n");
    EXPECT_EQ(settings.dockColor(), QStringLiteral("abcdef")) << "a hand edit read again was not seen";
}

// A number read from the file is held to what its page offers: a hand edit
// or an older version's value never reaches the bar as it stands.
TEST_F(StoredValues, NumbersOutsideTheirRangeReadAsTheNearestEnd)
{
    struct Case {
        const char* what;
        const char* stackAppLimit;
        const char* dockHeight;
        const char* iconHeight;
        int limit;
        double dock;
        double icon;
    };
    const Case cases[] = {
        { "values inside their ranges", "12", "80", "60", 12, 80, 60 },
        { "the least of each", "2", "20", "20", 2, 20, 20 },
        { "a negative limit made every application a stack", "-7", "50", "46", 2, 50, 46 },
        { "limits of none and one", "0", "50", "46", 2, 50, 46 },
        { "heights below their ranges", "8", "5", "-3", 8, 20, 20 },
        { "heights above their ranges", "8", "400", "300", 8, 150, 100 },
        { "an icon taller than its dock is held to the dock", "8", "84", "100", 8, 84, 84 },
        { "a dock lower than the least icon keeps that least", "8", "20", "46", 8, 20, 20 },
    };
    for (const Case& c : cases) {
        defaults.writeRaw(QByteArray("[General]\nstackAppLimit=") + c.stackAppLimit
            + "\ndockBackgroundHeight=" + c.dockHeight + "\ndockIconHeight=" + c.iconHeight + "\n");
        const CustomSettings settings;
        EXPECT_EQ(settings.stackAppLimit(), c.limit) << c.what;
        EXPECT_EQ(settings.dockBackgroundHeight(), c.dock) << c.what;
        EXPECT_EQ(AppIcon().height(), c.icon) << c.what;
        EXPECT_EQ(AppIcon().width(), c.icon) << c.what;
    }

    // The Pomodoro's lengths: a phase of none would end at its first second,
    // one of years overflows its count of seconds. The file keeps what it
    // holds until the user sets a length; the seconds have no range and keep
    // all 64 bits.
    const QByteArray outside("[General]\npomodoro_tomato_minute=0\npomodoro_rest_minute=100000\n"
                             "pomodoro_loop_round=-4\npomodoro_seconds=9007199254740993\n");
    defaults.writeRaw(outside);
    const CustomPomodoro pomodoro;
    EXPECT_EQ(pomodoro.tomatoMinute(), 1);
    EXPECT_EQ(pomodoro.restMinute(), kPomodoroMaxMinutes);
    EXPECT_EQ(pomodoro.loopRounds(), 1);
    EXPECT_EQ(pomodoro.secondsElapsed(), Q_INT64_C(9007199254740993));
    defaults.writeRaw("[General]\npomodoro_loop_round=500\npomodoro_tomato_minute=25\n");
    EXPECT_EQ(pomodoro.loopRounds(), kPomodoroMaxRounds);
    EXPECT_EQ(pomodoro.tomatoMinute(), 25);
    EXPECT_EQ(UserDefaults::value(QStringLiteral("pomodoro_loop_round")).toString(), QStringLiteral("500"))
        << "a read rewrote the file";
}
