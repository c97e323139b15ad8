#include "platform/AppIdentity.h"

#include <QCoreApplication>

#include "tests/platform/ScopedEnv.h"

#include <gtest/gtest.h>

using namespace platform;

namespace {

DesktopEntry app(const QString& id, const QString& name, const QString& exec, const QString& wmClass = {})
{
    DesktopEntry e;
    e.id = id;
    e.type = "Application";
    e.name = e.untranslatedName = name;
    e.exec = exec;
    e.startupWMClass = wmClass;
    e.path = "/usr/share/applications/" + id;
    return e;
}

const DesktopEntryIndex& fixtureIndex()
{
    static const DesktopEntryIndex index = DesktopEntryIndex::fromEntries({
        app("browser.desktop", "Web Browser", "/usr/lib/browser/browser-bin %u", "Navigator"),
        app("org.example.Terminal.desktop", "Terminal", "example-terminal"),
        app("gimp.desktop", "GNU Image Manipulation Program", "gimp-2.10 %U"),
        app("calc.desktop", "Calculator", "env GDK_BACKEND=x11 LANG=C /usr/bin/calc-gtk"),
        app("org.one.Player.desktop", "Player One", "player-one"),
        app("org.two.Player.desktop", "Player Two", "player-two"),
        app("org.unique.Notes.desktop", "Notes App", "notes-bin"),
        [] {
            auto link = app("Terminal.desktop", "Terminal", "");
            link.type = "Link";
            return link;
        }(),
    });
    return index;
}

} // namespace

TEST(AppIdentity, ResolvesARunningProgramToItsEntry)
{
    const struct {
        const char* name;
        AppIdentityQuery query;
        std::optional<QString> expectedId;
        std::optional<IdentityMatch> how = std::nullopt;
    } rows[] = {
        // Neither WM_CLASS part resembles the id or name: only StartupWMClass tells.
        { "OnlyStartupWMClassMatches", { "Navigator", "Navigator", { "/usr/lib/browser/browser-bin" } },
            "browser.desktop", IdentityMatch::StartupWMClass },
        { "StartupWMClassAgainstInstancePart", { "Navigator", "SomethingElse", {} }, "browser.desktop",
            IdentityMatch::StartupWMClass },
        { "DesktopFileNameIgnoresCase", { "gimp-2.10", "GIMP", {} }, "gimp.desktop",
            IdentityMatch::DesktopFileName },
        { "NameMatchesClass", { "xyz", "Calculator", {} }, "calc.desktop", IdentityMatch::Name },
        // A Link entry of the same name never stands for a running program.
        { "NameSkipsNonApplications", { "terminal", "Terminal", {} }, "org.example.Terminal.desktop",
            IdentityMatch::Name },
        { "ExecutableAfterEnvPrefix", { "", "", { "/usr/bin/calc-gtk", "--x" } }, "calc.desktop",
            IdentityMatch::Executable },
        { "ExecutableByBasename", { "main", "Main", { "/opt/x/player-two" } }, "org.two.Player.desktop",
            IdentityMatch::Executable },
        { "ReverseDnsWhenUnique", { "notes", "Notes", {} }, "org.unique.Notes.desktop",
            IdentityMatch::ReverseDns },
        { "ReverseDnsAmbiguousGivesNothing", { "player", "Player", { "/usr/bin/unrelated" } }, std::nullopt },
        { "NothingMatches", { "foo", "Foo", { "/usr/bin/foo" } }, std::nullopt },
        { "EmptyQueryMatchesNothing", { "", "", {} }, std::nullopt },
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        const auto r = resolveAppIdentity(row.query, fixtureIndex());
        EXPECT_EQ(r.has_value(), row.expectedId.has_value()) << (r ? r->entry.id.toStdString() : "no match");
        if (r && row.expectedId) {
            EXPECT_EQ(r->entry.id.toStdString(), row.expectedId->toStdString());
        }
        if (r && row.how) {
            EXPECT_EQ(r->matchedBy, *row.how);
        }
    }
}

TEST(AppIdentity, ExecProgramNameAndTheCommandLineOfALiveProcessOnly)
{
    EXPECT_EQ(execProgramName("env A=1 -u B /usr/bin/foo --x").toStdString(), "foo");
    EXPECT_EQ(execProgramName("\"/opt/my app/run\" %U").toStdString(), "run");
    EXPECT_EQ(execProgramName("env A=1").toStdString(), "");
    EXPECT_EQ(execProgramName("").toStdString(), "");

    const QStringList argv = processCommandLine(QCoreApplication::applicationPid());
    ASSERT_FALSE(argv.isEmpty());
    EXPECT_TRUE(argv.first().endsWith("tests_platform"));
    EXPECT_TRUE(processCommandLine(0).isEmpty());
    EXPECT_TRUE(processCommandLine(std::numeric_limits<int>::max()).isEmpty());
}

TEST(AppIdentity, EntryIconFallsBackToTheIconFilesOfTheDataDirs)
{
    orbitshelf::test::ScopedEnv dirs("XDG_DATA_DIRS", ORBITSHELF_TEST_DATA "/platform");
    DesktopEntry e = app("x.desktop", "X", "x");
    e.icon = "orbit-sized";
    const QIcon icon = entryIcon(e);
    EXPECT_FALSE(icon.isNull());
    EXPECT_EQ(icon.availableSizes().value(0), QSize(256, 256));
    e.icon = "orbit-no-such-icon";
    EXPECT_TRUE(entryIcon(e).isNull()); // the caller then takes the window's own icon
    e.icon.clear();
    EXPECT_TRUE(entryIcon(e).isNull());
}
