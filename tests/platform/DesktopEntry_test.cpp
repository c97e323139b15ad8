#include "platform/DesktopEntry.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "tests/platform/ScopedEnv.h"

#include <gtest/gtest.h>

using namespace platform;

namespace {

const QString kData = QStringLiteral(ORBITSHELF_TEST_DATA "/platform");

std::string str(const QString& s)
{
    return s.toStdString();
}

} // namespace

// ---- locale keys ----------------------------------------------------------

struct LocaleCase {
    const char* name;
    const char* locale;
    const char* expected;
};

class LocaleMatching : public ::testing::TestWithParam<LocaleCase> { };

TEST_P(LocaleMatching, PicksNameInTheFreedesktopMatchingOrder)
{
    const QByteArray text = "[Desktop Entry]\n"
                            "Name=Plain\n"
                            "Name[sr_YU@Latn]=CountryModifier\n"
                            "Name[sr_YU]=Country\n"
                            "Name[sr@Latn]=LangModifier\n"
                            "Name[sr]=Lang\n"
                            "Name[de_DE]=German\n";
    const DesktopFile f = DesktopFile::parse(text);
    EXPECT_EQ(str(f.localeString("Desktop Entry", "Name", GetParam().locale).value_or("<none>")),
        GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(DesktopFile, LocaleMatching,
    ::testing::Values(
        LocaleCase { "FullLocaleTakesCountryAndModifier", "sr_YU.UTF-8@Latn", "CountryModifier" },
        LocaleCase { "UnknownModifierFallsToCountry", "sr_YU@Cyrl", "Country" },
        LocaleCase { "ModifierWithoutCountry", "sr@Latn", "LangModifier" },
        LocaleCase { "UnknownCountryFallsToModifierThenLang", "sr_ME@Latn", "LangModifier" },
        LocaleCase { "UnknownCountryFallsToLang", "sr_ME", "Lang" },
        LocaleCase { "EncodingIsIgnored", "de_DE.ISO-8859-1", "German" },
        LocaleCase { "CountryOnlyKeyDoesNotServeBareLang", "de", "Plain" },
        LocaleCase { "CLocaleTakesPlainKey", "C", "Plain" },
        LocaleCase { "EmptyLocaleTakesPlainKey", "", "Plain" }),
    [](const auto& info) { return std::string(info.param.name); });

// ---- values and lists -----------------------------------------------------

struct ValueCase {
    const char* name;
    const char* raw;
    const char* expected;
};

class ValueEscapes : public ::testing::TestWithParam<ValueCase> { };

TEST_P(ValueEscapes, Unescape)
{
    EXPECT_EQ(str(unescapeDesktopValue(QString::fromUtf8(GetParam().raw))), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(DesktopFile, ValueEscapes,
    ::testing::Values(ValueCase { "Space", R"(a\sb)", "a b" },
        ValueCase { "NewlineTabReturn", R"(a\nb\tc\rd)", "a\nb\tc\rd" },
        ValueCase { "Backslash", R"(a\\b)", "a\\b" },
        ValueCase { "EscapedBackslashBeforeS", R"(\\s)", "\\s" },
        ValueCase { "UnknownEscapeKept", R"(\$HOME)", "\\$HOME" },
        ValueCase { "TrailingBackslashKept", R"(end\)", "end\\" }),
    [](const auto& info) { return std::string(info.param.name); });

struct ListCase {
    const char* name;
    const char* raw;
    QStringList expected;
};

class ListSplitting : public ::testing::TestWithParam<ListCase> { };

TEST_P(ListSplitting, Split)
{
    EXPECT_EQ(splitDesktopList(QString::fromUtf8(GetParam().raw)), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(DesktopFile, ListSplitting,
    ::testing::Values(ListCase { "TrailingSeparator", "a;b;", { "a", "b" } },
        ListCase { "NoTrailingSeparator", "a;b", { "a", "b" } },
        ListCase { "EscapedSemicolon", R"(a\;b;c)", { "a;b", "c" } },
        ListCase { "EscapedBackslashThenSeparator", R"(a\\;b)", { "a\\", "b" } },
        ListCase { "InnerEmptyItemKept", "a;;b;", { "a", "", "b" } }, ListCase { "Empty", "", {} }),
    [](const auto& info) { return std::string(info.param.name); });

TEST(DesktopFile, SkipsMalformedLinesAndKeepsTheRest)
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
}

TEST(DesktopFile, ToleratesByteOrderMarkAndCrLf)
{
    const DesktopFile f = DesktopFile::parse("\xEF\xBB\xBF[Desktop Entry]\r\nName=Windows Style\r\n");
    EXPECT_EQ(str(f.string("Desktop Entry", "Name").value_or("<none>")), "Windows Style");
    EXPECT_TRUE(f.warnings().isEmpty());
}

TEST(DesktopFile, BooleansAcceptOnlyTheirSpellings)
{
    const DesktopFile f = DesktopFile::parse("[G]\nA=true\nB=false\nC=1\nD=yes\n");
    EXPECT_EQ(f.boolean("G", "A"), true);
    EXPECT_EQ(f.boolean("G", "B"), false);
    EXPECT_EQ(f.boolean("G", "C"), true);
    EXPECT_EQ(f.boolean("G", "D"), std::nullopt);
    EXPECT_EQ(f.boolean("G", "E"), std::nullopt);
}

TEST(DesktopEntry, ReadsEveryFieldOfAFullFixture)
{
    const QString path = kData + "/applications/org.example.Editor.desktop";
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
    EXPECT_FALSE(loadDesktopEntry(kData + "/applications/no-such-file.desktop", "x.desktop"));
}

// ---- Exec -----------------------------------------------------------------

struct ExecCase {
    const char* name;
    const char* exec;
    QStringList urls;
    std::optional<QStringList> expected;
};

class ExecExpansion : public ::testing::TestWithParam<ExecCase> { };

TEST_P(ExecExpansion, Expand)
{
    DesktopEntry e;
    e.id = "app.desktop";
    e.type = "Application";
    e.name = "My App";
    e.icon = "my-icon";
    e.path = "/usr/share/applications/app.desktop";
    e.exec = QString::fromUtf8(GetParam().exec);
    QList<QUrl> urls;
    for (const QString& u : GetParam().urls)
        urls << QUrl(u);
    EXPECT_EQ(expandExec(e, urls), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(DesktopEntry, ExecExpansion,
    ::testing::Values(
        ExecCase { "FileCodesVanishWithoutFiles", "app %f %F %u %U", {}, QStringList { "app" } },
        ExecCase { "SingleFileTakesFirstLocalPath", "app %f", { "file:///tmp/a b", "file:///tmp/c" },
            QStringList { "app", "/tmp/a b" } },
        ExecCase { "FileListTakesAllLocalPaths", "app %F", { "file:///a", "https://x.org/", "file:///b" },
            QStringList { "app", "/a", "/b" } },
        ExecCase { "UrlListKeepsRemoteUrls", "app %U", { "file:///a", "https://x.org/p" },
            QStringList { "app", "file:///a", "https://x.org/p" } },
        ExecCase { "IconNameAndLocation", "app %i %c %k", {},
            QStringList { "app", "--icon", "my-icon", "My App", "/usr/share/applications/app.desktop" } },
        ExecCase { "PercentEscape", "app 100%% --x=%%f", {}, QStringList { "app", "100%", "--x=%f" } },
        ExecCase { "EmbeddedFileCode", "app --open=%f", { "file:///tmp/x" },
            QStringList { "app", "--open=/tmp/x" } },
        ExecCase { "DeprecatedCodesVanish", "app %d %D %n %N %v %m", {}, QStringList { "app" } },
        ExecCase { "QuotedArgumentKeepsSpaces", R"("/opt/my app/run" "two words")", {},
            QStringList { "/opt/my app/run", "two words" } },
        ExecCase { "QuotedEscapes", R"(sh -c "echo \$HOME \"q\" \` \\")", {},
            QStringList { "sh", "-c", "echo $HOME \"q\" ` \\" } },
        ExecCase { "ShellCharactersAreNotInterpreted", "app ; rm -rf x", {},
            QStringList { "app", ";", "rm", "-rf", "x" } },
        ExecCase { "UnterminatedQuoteIsRejected", R"(app "open)", {}, std::nullopt },
        ExecCase { "EmptyExecIsRejected", "  ", {}, std::nullopt },
        ExecCase { "OnlyAFieldCodeIsRejected", "%U", {}, std::nullopt }),
    [](const auto& info) { return std::string(info.param.name); });

// ---- index ----------------------------------------------------------------

class EntryIndex : public ::testing::Test {
protected:
    DesktopEntryIndex index = DesktopEntryIndex::scan({ kData + "/home", kData }, "C");
};

TEST_F(EntryIndex, IdsFollowTheSubdirectoryRule)
{
    ASSERT_NE(index.find("tools-shell.desktop"), nullptr);
    EXPECT_EQ(index.find("shell.desktop"), nullptr);
    EXPECT_EQ(str(index.find("tools-shell.desktop")->path), str(kData + "/applications/tools/shell.desktop"));
}

TEST_F(EntryIndex, EarlierDataDirWins)
{
    const DesktopEntry* e = index.find("org.example.Editor.desktop");
    ASSERT_NE(e, nullptr);
    EXPECT_EQ(str(e->name), "Editor (user copy)");
    EXPECT_EQ(str(index.entries().first().id), "org.example.Editor.desktop");
}

TEST_F(EntryIndex, RemovedAndUninstalledEntriesAreAbsent)
{
    EXPECT_EQ(index.find("hidden-app.desktop"), nullptr);
    EXPECT_EQ(index.find("tryexec-missing.desktop"), nullptr);
    // Hidden in the user's dir hides the system copy too.
    EXPECT_EQ(index.find("shadow-hidden.desktop"), nullptr);
    EXPECT_EQ(index.find("broken.desktop"), nullptr);
}

TEST_F(EntryIndex, NoDisplayAndLinkEntriesStayKnown)
{
    ASSERT_NE(index.find("settings-helper.desktop"), nullptr);
    EXPECT_TRUE(index.find("settings-helper.desktop")->noDisplay);
    ASSERT_NE(index.find("homepage.desktop"), nullptr);
    EXPECT_FALSE(index.find("homepage.desktop")->isApplication());
}

TEST(EntryIndexDirs, XdgDefaultsAndOrder)
{
    orbitshelf::test::ScopedEnv home("XDG_DATA_HOME", "/home/u/data");
    std::optional<orbitshelf::test::ScopedEnv> dirs;
    dirs.emplace("XDG_DATA_DIRS", "/a:relative:/b:/home/u/data");
    EXPECT_EQ(DesktopEntryIndex::xdgDataDirs(), QStringList({ "/home/u/data", "/a", "/b" }));
    dirs.reset();
    orbitshelf::test::ScopedEnv noDirs("XDG_DATA_DIRS", std::nullopt);
    EXPECT_EQ(
        DesktopEntryIndex::xdgDataDirs(), QStringList({ "/home/u/data", "/usr/local/share", "/usr/share" }));
}

TEST(EntryIndexDirs, SystemIndexSeesAnInstallWithoutBeingTold)
{
    QTemporaryDir home, system;
    QDir(home.path()).mkpath("applications");
    QDir(system.path()).mkpath("applications");
    orbitshelf::test::ScopedEnv homeEnv("XDG_DATA_HOME", home.path().toUtf8());
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
