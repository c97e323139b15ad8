#include "platform/DesktopEntry.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "tests/platform/ScopedEnv.h"

#include <gtest/gtest.h>

using namespace platform;

namespace {

const QString kEntryData = QStringLiteral(ORBITSHELF_TEST_DATA "/platform");

std::string str(const QString& s)
{
    return s.toStdString();
}

} // namespace

TEST(DesktopFile, LocalisedKeysFollowTheMatchingOrder)
{
    const DesktopFile f = DesktopFile::parse("[Desktop Entry]\n"
                                             "Name=Plain\n"
                                             "Name[sr_YU@Latn]=CountryModifier\n"
                                             "Name[sr_YU]=Country\n"
                                             "Name[sr@Latn]=LangModifier\n"
                                             "Name[sr]=Lang\n"
                                             "Name[de_DE]=German\n");
    const struct {
        const char* meaning;
        const char* locale;
        const char* expected;
    } rows[] = {
        { "full locale takes country and modifier", "sr_YU.UTF-8@Latn", "CountryModifier" },
        { "unknown modifier falls to the country", "sr_YU@Cyrl", "Country" },
        { "modifier without country", "sr@Latn", "LangModifier" },
        { "unknown country falls to the modifier", "sr_ME@Latn", "LangModifier" },
        { "unknown country falls to the language", "sr_ME", "Lang" },
        { "the encoding is ignored", "de_DE.ISO-8859-1", "German" },
        { "a country key does not serve the bare language", "de", "Plain" },
        { "C takes the plain key", "C", "Plain" },
        { "no locale takes the plain key", "", "Plain" },
    };
    for (const auto& row : rows)
        EXPECT_EQ(str(f.localeString("Desktop Entry", "Name", row.locale).value_or("<none>")), row.expected)
            << row.meaning;
}

TEST(DesktopFile, ValuesUnescapeAndListsSplit)
{
    const struct {
        const char* raw;
        const char* expected;
    } values[] = {
        { R"(a\sb)", "a b" },
        { R"(a\nb\tc\rd)", "a\nb\tc\rd" },
        { R"(a\\b)", "a\\b" },
        { R"(\\s)", "\\s" }, // an escaped backslash before s
        { R"(\$HOME)", "\\$HOME" }, // unknown escapes are kept
        { R"(end\)", "end\\" },
    };
    for (const auto& v : values)
        EXPECT_EQ(str(unescapeDesktopValue(QString::fromUtf8(v.raw))), v.expected) << v.raw;

    const struct {
        const char* raw;
        QStringList expected;
    } lists[] = {
        { "a;b;", { "a", "b" } },
        { "a;b", { "a", "b" } },
        { R"(a\;b;c)", { "a;b", "c" } },
        { R"(a\\;b)", { "a\\", "b" } },
        { "a;;b;", { "a", "", "b" } },
        { "", {} },
    };
    for (const auto& l : lists)
        EXPECT_EQ(splitDesktopList(QString::fromUtf8(l.raw)), l.expected) << l.raw;
}

TEST(DesktopFile, SkipsMalformedLinesToleratesWindowsLineEndsAndSpellsBooleansStrictly)
{
    const DesktopFile f = DesktopFile::parse("stray=before any group\n"
                                             "[Desktop Entry]\n"
                                             "  # indented comment\n"
                                             "Name = Spaced  \n"
                                             "no equals sign here\n"
                                             "Bad Key=x\n"
                                             "Name=second Name is ignored\n"
                                             "[Desktop Entry]\n"
                                             "Name=repeated group is ignored\n"
                                             "[broken\n");
    EXPECT_EQ(str(f.string("Desktop Entry", "Name").value_or("")), "Spaced  ");
    EXPECT_EQ(f.groups().size(), 1);
    EXPECT_EQ(f.warnings().size(), 7);

    const DesktopFile windows = DesktopFile::parse("\xEF\xBB\xBF[Desktop Entry]\r\nName=Windows Style\r\n");
    EXPECT_EQ(str(windows.string("Desktop Entry", "Name").value_or("<none>")), "Windows Style");
    EXPECT_TRUE(windows.warnings().isEmpty()) << "a byte order mark and CR LF line ends are fine";

    const DesktopFile flags = DesktopFile::parse("[G]\nA=true\nB=false\nC=1\nD=yes\n");
    EXPECT_EQ(flags.boolean("G", "A"), true);
    EXPECT_EQ(flags.boolean("G", "B"), false);
    EXPECT_EQ(flags.boolean("G", "C"), true);
    EXPECT_EQ(flags.boolean("G", "D"), std::nullopt) << "only true, false, 1 and 0 are booleans";
    EXPECT_EQ(flags.boolean("G", "E"), std::nullopt);
}

TEST(DesktopEntry, ReadsEveryFieldOfAFullFixture)
{
    const QString path = kEntryData + "/applications/org.example.Editor.desktop";
    const auto e = loadDesktopEntry(path, "org.example.Editor.desktop", "de_DE.UTF-8");
    ASSERT_TRUE(e);
    EXPECT_EQ(str(e->name), "Beispiel-Editor (Deutschland)");
    EXPECT_EQ(str(e->untranslatedName), "Example Editor");
    EXPECT_EQ(str(e->comment), "Edits text;\nsecond line\twith tab \\ backslash");
    EXPECT_EQ(str(e->icon), "accessories-text-editor");
    EXPECT_EQ(str(e->exec), "example-editor --new-window %U");
    EXPECT_EQ(str(e->startupWMClass), "ExampleEdit");
    EXPECT_EQ(e->mimeTypes, QStringList({ "text/plain", "text/x-weird;name" }));
    EXPECT_EQ(e->categories, QStringList({ "Utility", "TextEditor" }));
    EXPECT_TRUE(e->isApplication());
    EXPECT_FALSE(e->terminal);
    EXPECT_EQ(str(e->baseName()), "org.example.Editor");
}

TEST(DesktopEntry, RejectsFilesWithoutEntryGroupOrType)
{
    QString error;
    EXPECT_FALSE(parseDesktopEntry("[Other]\nType=Application\n", "a.desktop", "", "C", &error));
    EXPECT_FALSE(error.isEmpty());
    EXPECT_FALSE(parseDesktopEntry("[Desktop Entry]\nName=x\n", "a.desktop", "", "C", &error));
    EXPECT_FALSE(loadDesktopEntry(kEntryData + "/applications/no-such-file.desktop", "x.desktop"));
}

TEST(DesktopEntry, ExecExpandsItsFieldCodesAndSplitsWithoutAShell)
{
    DesktopEntry e;
    e.id = "app.desktop";
    e.type = "Application";
    e.name = "My App";
    e.icon = "my-icon";
    e.path = "/usr/share/applications/app.desktop";
    const struct {
        const char* name;
        const char* exec;
        QStringList urls;
        std::optional<QStringList> expected;
    } rows[] = {
        { "FileCodesVanishWithoutFiles", "app %f %F %u %U", {}, QStringList { "app" } },
        { "SingleFileTakesFirstLocalPath", "app %f", { "file:///tmp/a b", "file:///tmp/c" },
            QStringList { "app", "/tmp/a b" } },
        { "FileListTakesAllLocalPaths", "app %F", { "file:///a", "https://x.org/", "file:///b" },
            QStringList { "app", "/a", "/b" } },
        { "UrlListKeepsRemoteUrls", "app %U", { "file:///a", "https://x.org/p" },
            QStringList { "app", "file:///a", "https://x.org/p" } },
        { "IconNameAndLocation", "app %i %c %k", {},
            QStringList { "app", "--icon", "my-icon", "My App", "/usr/share/applications/app.desktop" } },
        { "PercentEscape", "app 100%% --x=%%f", {}, QStringList { "app", "100%", "--x=%f" } },
        { "EmbeddedFileCode", "app --open=%f", { "file:///tmp/x" }, QStringList { "app", "--open=/tmp/x" } },
        { "DeprecatedCodesVanish", "app %d %D %n %N %v %m", {}, QStringList { "app" } },
        { "QuotedArgumentKeepsSpaces", R"("/opt/my app/run" "two words")", {},
            QStringList { "/opt/my app/run", "two words" } },
        { "QuotedEscapes", R"(sh -c "echo \$HOME \"q\" \` \\")", {},
            QStringList { "sh", "-c", "echo $HOME \"q\" ` \\" } },
        { "ShellCharactersAreNotInterpreted", "app ; rm -rf x", {},
            QStringList { "app", ";", "rm", "-rf", "x" } },
        { "UnterminatedQuoteIsRejected", R"(app "open)", {}, std::nullopt },
        { "EmptyExecIsRejected", "  ", {}, std::nullopt },
        { "OnlyAFieldCodeIsRejected", "%U", {}, std::nullopt },
    };
    for (const auto& row : rows) {
        e.exec = QString::fromUtf8(row.exec);
        QList<QUrl> urls;
        for (const QString& u : row.urls)
            urls << QUrl(u);
        EXPECT_EQ(expandExec(e, urls), row.expected) << row.name;
    }
}

TEST(EntryIndex, IdsDataDirOrderAndWhatTheIndexLeavesOut)
{
    const DesktopEntryIndex index = DesktopEntryIndex::scan({ kEntryData + "/home", kEntryData }, "C");
    const DesktopEntry* shell = index.find("tools-shell.desktop");
    ASSERT_NE(shell, nullptr) << "a subfolder is part of the id";
    EXPECT_EQ(str(shell->path), str(kEntryData + "/applications/tools/shell.desktop"));
    EXPECT_EQ(index.find("shell.desktop"), nullptr);

    const DesktopEntry* editor = index.find("org.example.Editor.desktop");
    ASSERT_NE(editor, nullptr);
    EXPECT_EQ(str(editor->name), "Editor (user copy)") << "the earlier data dir wins";
    EXPECT_EQ(str(index.entries().first().id), "org.example.Editor.desktop");

    // Hidden (in the user's dir it hides the system copy too), not installed
    // (TryExec), or broken: absent. NoDisplay and Link entries stay known.
    for (const char* id :
        { "hidden-app.desktop", "tryexec-missing.desktop", "shadow-hidden.desktop", "broken.desktop" })
        EXPECT_EQ(index.find(id), nullptr) << id;
    ASSERT_NE(index.find("settings-helper.desktop"), nullptr);
    EXPECT_TRUE(index.find("settings-helper.desktop")->noDisplay);
    ASSERT_NE(index.find("homepage.desktop"), nullptr);
    EXPECT_FALSE(index.find("homepage.desktop")->isApplication());
}

TEST(EntryIndex, OnlyFilesEndingInDesktopInAnyCaseAreRead)
{
    QTemporaryDir data;
    ASSERT_TRUE(data.isValid());
    const QDir apps(data.filePath(QStringLiteral("applications")));
    ASSERT_TRUE(apps.mkpath(QStringLiteral("sub.desktop")));
    const struct {
        const char* file;
        bool listed;
    } rows[] = {
        { "plain.desktop", true },
        { "upper.DESKTOP", true },
        { "sub.desktop/inner.desktop", true },
        { "notes.txt", false },
        { "backup.desktop.bak", false },
        { "desktop", false },
    };
    for (const auto& row : rows) {
        QFile f(apps.filePath(QString::fromUtf8(row.file)));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly)) << row.file;
        f.write("[Desktop Entry]\nType=Application\nName=App\nExec=true\n");
    }
    const DesktopEntryIndex index = DesktopEntryIndex::scan({ data.path() }, "C");
    EXPECT_EQ(index.entries().size(), 3);
    for (const auto& row : rows) {
        const QString id = QString::fromUtf8(row.file).replace(QLatin1Char('/'), QLatin1Char('-'));
        EXPECT_EQ(index.find(id) != nullptr, row.listed) << row.file;
    }
}

TEST(EntryIndexDirs, XdgDefaultsAndOrderAndTheSystemIndexFollowsThem)
{
    orbitshelf::test::ScopedEnv home("XDG_DATA_HOME", "/home/u/data");
    std::optional<orbitshelf::test::ScopedEnv> dirs;
    dirs.emplace("XDG_DATA_DIRS", "/a:relative:/b:/home/u/data");
    EXPECT_EQ(DesktopEntryIndex::xdgDataDirs(), QStringList({ "/home/u/data", "/a", "/b" }));
    dirs.reset();
    orbitshelf::test::ScopedEnv noDirs("XDG_DATA_DIRS", std::nullopt);
    EXPECT_EQ(
        DesktopEntryIndex::xdgDataDirs(), QStringList({ "/home/u/data", "/usr/local/share", "/usr/share" }));

    // The system index sees an install without being told.
    QTemporaryDir dataHome, system;
    QDir(dataHome.path()).mkpath("applications");
    QDir(system.path()).mkpath("applications");
    orbitshelf::test::ScopedEnv homeEnv("XDG_DATA_HOME", dataHome.path().toUtf8());
    orbitshelf::test::ScopedEnv dirsEnv("XDG_DATA_DIRS", system.path().toUtf8());
    const auto before = DesktopEntryIndex::system();
    EXPECT_TRUE(before->isEmpty());
    EXPECT_EQ(DesktopEntryIndex::system(), before); // unchanged dirs: no rescan

    QFile f(system.filePath("applications/new-app.desktop"));
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("[Desktop Entry]\nType=Application\nName=New\nExec=new-app\n");
    f.close();
    EXPECT_NE(DesktopEntryIndex::system()->find("new-app.desktop"), nullptr);
    EXPECT_TRUE(before->isEmpty()); // earlier holders keep their snapshot
}
