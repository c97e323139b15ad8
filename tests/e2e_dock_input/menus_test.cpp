// Every entry of the real orbitShelf's menus chosen as a user chooses it:
// the window button's menu (kept, favourite, minimise the others), the tag
// editor it opens (OK, Reset, Cancel), the bar's settings menu (edges, auto
// hide, the release notes), and its place in the window menu when the bar
// has neither main nor launcher button.
#include "state/MapSetting.h"
#include "state/VendorAddresses.h"
#include "tests/e2e_dock_input/BarInput.h"

#include <QSettings>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace orbitshelf::test;

namespace {

// Opens the window menu of `button`, checks its entries and picks `entry`.
void choose(const DockRun& run, const QRect& button, const QStringList& entries, const QString& entry)
{
    const LoggedMenu menu = clickForMenu(run, button.center(), 3, kWindowMenuLine, int(entries.size()));
    EXPECT_EQ(menu.titles, entries) << run.log().toStdString();
    ASSERT_TRUE(menu.place(entry)) << run.log().toStdString();
    click(menu.place(entry)->center());
}

// One of the window tag caches as stored.
StringMap storedTags(const DockRun& run, const QString& key)
{
    const QSettings file(
        run.configHome() + QStringLiteral("/orbitShelf/orbitShelf.conf"), QSettings::NativeFormat);
    return mapFromRawValue(file.value(key).toString()).value_or(StringMap());
}

// Opens the tag editor of `button` through its menu's "Binding Hotkey"; the
// editor's window, once it has the keyboard, or empty.
QString openTagEditor(const DockRun& run, const QRect& button)
{
    choose(run, button, kWindowMenu, QStringLiteral("Binding Hotkey"));
    const QString editor = waitForWindow(QStringLiteral("Tag"));
    if (editor.isEmpty() || !waitUntil([&] { return activeWindow() == editor; }))
        return {};
    return editor;
}

} // namespace

TEST(WindowMenu, EachEntryActsOnTheRightClickedWindow)
{
    Clients clients;
    const auto one = clients.xterm(QStringLiteral("menu one"), QStringLiteral("40x5+50+50"));
    const auto two = clients.xterm(QStringLiteral("menu two"), QStringLiteral("40x5+600+50"));
    DockRun run;
    ASSERT_GT(run.start(), 0);
    const auto button = waitForWindowButton(run, one.id);
    ASSERT_TRUE(button && waitForWindowButton(run, two.id)) << run.log().toStdString();
    ASSERT_TRUE(barTakesInput(run)) << run.log().toStdString();
    const auto stored
        = [&](Entity entity) { return storedTexts(run, entity, QStringLiteral("appBundleName")); };
    const QStringList xterm { QStringLiteral("xterm") };

    choose(run, button->rect, kWindowMenu, QStringLiteral("Keep in Dock"));
    EXPECT_TRUE(waitUntil([&] { return stored(Entity::PinnedApps) == xterm; })) << run.log().toStdString();
    choose(run, button->rect,
        { "Binding Hotkey", "Remove Keep", "Add to Favorite", "Minimized Others", "Quit" },
        QStringLiteral("Add to Favorite"));
    EXPECT_TRUE(waitUntil([&] { return stored(Entity::Favorite) == xterm; })) << run.log().toStdString();
    choose(run, button->rect,
        { "Binding Hotkey", "Remove Keep", "Remove Favorite", "Minimized Others", "Quit" },
        QStringLiteral("Remove Keep"));
    EXPECT_TRUE(waitUntil([&] { return stored(Entity::PinnedApps).isEmpty(); })) << run.log().toStdString();
    choose(run, button->rect,
        { "Binding Hotkey", "Keep in Dock", "Remove Favorite", "Minimized Others", "Quit" },
        QStringLiteral("Remove Favorite"));
    EXPECT_TRUE(waitUntil([&] { return stored(Entity::Favorite).isEmpty(); })) << run.log().toStdString();

    // The right-clicked window stays; the other one goes down.
    click(windowGeometry(one.id).center());
    ASSERT_TRUE(waitUntil([&] { return activeWindow() == one.id; }));
    choose(run, button->rect, kWindowMenu, QStringLiteral("Minimized Others"));
    EXPECT_TRUE(waitUntil([&] { return minimised(two.id); })) << run.log().toStdString();
    EXPECT_FALSE(minimised(one.id));
}

TEST(TagEditor, OkStoresTheNameResetTheTitleAndCancelNothing)
{
    Clients clients;
    const auto tagged = clients.xterm(QStringLiteral("tagged terminal"), QStringLiteral("40x5+50+50"));
    DockRun run;
    ASSERT_GT(run.start(), 0);
    const auto button = waitForWindowButton(run, tagged.id);
    ASSERT_TRUE(button) << run.log().toStdString();
    ASSERT_TRUE(barTakesInput(run)) << run.log().toStdString();
    const auto names = [&] { return storedTags(run, QStringLiteral("windowtagNameCache")).values(); };
    const auto editorCloses = [] { return waitUntil([] { return visibleWindowsNamed("Tag").isEmpty(); }); };

    // The name field has the keyboard; OK is the default button.
    ASSERT_FALSE(openTagEditor(run, button->rect).isEmpty()) << run.log().toStdString();
    xdotool({ "key", "ctrl+a" });
    xdotool({ "type", "--delay", "5", "chosen name" });
    xdotool({ "key", "Return" });
    EXPECT_TRUE(editorCloses());
    EXPECT_TRUE(waitUntil([&] { return names() == QStringList { QStringLiteral("chosen name") }; }))
        << names().join(", ").toStdString();

    // Reset, the button before Cancel: the title again, in the bar's colour.
    ASSERT_FALSE(openTagEditor(run, button->rect).isEmpty()) << "the editor did not open a second time\n"
                                                             << run.log().toStdString();
    xdotool({ "key", "shift+Tab", "shift+Tab", "space" });
    EXPECT_TRUE(editorCloses());
    EXPECT_TRUE(waitUntil([&] { return names() == QStringList { QStringLiteral("tagged terminal") }; }))
        << names().join(", ").toStdString();
    EXPECT_EQ(storedTags(run, QStringLiteral("windowtagColorCache")).values(),
        QStringList { QStringLiteral("00cec9") });

    // Cancel, the last button: what was typed is dropped.
    ASSERT_FALSE(openTagEditor(run, button->rect).isEmpty()) << run.log().toStdString();
    xdotool({ "key", "ctrl+a" });
    xdotool({ "type", "--delay", "5", "dropped" });
    xdotool({ "key", "shift+Tab", "space" });
    EXPECT_TRUE(editorCloses());
    EXPECT_EQ(names(), QStringList { QStringLiteral("tagged terminal") });
}

TEST(TagEditor, ANewNameIsOnTheBarAtOnceWithThePointerAway)
{
    Clients clients;
    QTemporaryDir dir;
    // Two windows of one program: their buttons carry tag chips.
    const auto program = clients.own(QStringLiteral("many"), QStringLiteral("renamed"),
        dir.filePath(QStringLiteral("client.log")), QStringLiteral("renamed 1"), { "2" });
    ASSERT_FALSE(program.id.isEmpty());
    DockRun run;
    ASSERT_GT(run.start(), 0);
    std::optional<LoggedBarItem> button;
    ASSERT_TRUE(waitUntil([&] {
        button = waitForWindowButton(run, program.id);
        return button && button->tag == QLatin1String("renamed 1");
    })) << run.log().toStdString();
    ASSERT_TRUE(barTakesInput(run)) << run.log().toStdString();

    ASSERT_FALSE(openTagEditor(run, button->rect).isEmpty()) << run.log().toStdString();
    xdotool({ "key", "ctrl+a" });
    xdotool({ "type", "--delay", "5", "Second tag" });
    movePointer(QPoint(960, 400));
    const qsizetype mark = run.log().size();
    xdotool({ "key", "Return" });

    const QString named = QStringLiteral("tag editor: window %1 named").arg(program.id);
    const QString drawn = QStringLiteral("window %1 at [^\\n]* tag \"Second tag\"").arg(program.id);
    EXPECT_TRUE(waitUntil(
        [&] { return loggedAt(run.log().mid(mark), named) && loggedAt(run.log().mid(mark), drawn); },
        std::chrono::seconds(5)))
        << "the bar kept the old name\n"
        << run.log().mid(mark).toStdString();
}

TEST(SettingsMenu, EachEntryDoesWhatItSays)
{
    DockRun run;
    ASSERT_GT(run.start(), 0);
    ASSERT_TRUE(barTakesInput(run)) << run.log().toStdString();

    // "Dock Position": "Right" and "Bottom", the second and third of its
    // submenu ("Left" is the bar's own check).
    struct Edge {
        QStringList keys;
        std::function<bool(const QRect&)> at;
    };
    const Edge edges[] = {
        { { "Down", "Down", "Return" }, [](const QRect& r) { return r.left() > 1800; } },
        { { "Down", "Down", "Down", "Return" }, [](const QRect& r) { return r.top() > 1000; } },
    };
    for (const Edge& edge : edges) {
        SCOPED_TRACE(edge.keys.join(u' ').toStdString());
        const qsizetype mark = run.log().size();
        // The main button leads the bar.
        EXPECT_TRUE(chooseFromBarMenuUntil(run, QStringLiteral("Dock Position"), edge.keys, [&] {
            const auto bar = loggedBar(run.log().mid(mark));
            return !bar.empty() && edge.at(bar.front().rect);
        })) << run.log().mid(mark).toStdString();
    }

    {
        SCOPED_TRACE("Auto Hide");
        qsizetype mark = run.log().size();
        EXPECT_TRUE(chooseFromBarMenuUntil(run, QStringLiteral("Auto Hide"), { "Down", "Return" }, [&] {
            return run.log().mid(mark).contains(QLatin1String("reserves nothing"));
        })) << run.log().mid(mark).toStdString();
        movePointer(QPoint(960, 400));
        EXPECT_TRUE(waitUntil([] { return isBackground(pixelAt(kBottomCentre)); })) << "the bar stays";
        // Back as the pointer reaches the screen's edge; "Off" from its menu.
        movePointer(QPoint(960, 1079));
        ASSERT_TRUE(waitUntil([] { return !isBackground(pixelAt(kBottomCentre)); }));
        mark = run.log().size();
        EXPECT_TRUE(chooseFromBarMenuUntil(run, QStringLiteral("Auto Hide"), { "Down", "Down", "Return" },
            [&] {
                return run.log().mid(mark).contains(QRegularExpression(QStringLiteral("reserves \\d+")));
            }))
            << run.log().mid(mark).toStdString();
        movePointer(QPoint(960, 400));
    }

    if (vendorSiteAddress().isEmpty()) {
        SCOPED_TRACE("What's New");
        const qsizetype mark = run.log().size();
        EXPECT_TRUE(chooseFromBarMenuUntil(run, QStringLiteral("What's New"), {}, [&] {
            return run.log().mid(mark).contains(
                QLatin1String("alert: No release notes page is configured for this build."));
        })) << run.log().mid(mark).toStdString();
        EXPECT_TRUE(acknowledgeMessageBox());
    }
}

TEST(WindowMenu, MoreIsTheBarsMenuWhenNeitherMainNorLauncherButtonShows)
{
    Clients clients;
    const auto xterm = clients.xterm(QStringLiteral("more terminal"), QStringLiteral("40x5+50+50"));
    DockRun run;
    ASSERT_GT(run.start(), 0);
    ASSERT_TRUE(waitForWindowButton(run, xterm.id)) << run.log().toStdString();

    // As a user hides both: two switches of the General page.
    const std::optional<QRect> tab = openSettingsTab(run, QStringLiteral("General"));
    ASSERT_TRUE(tab) << run.log().toStdString();
    const QString settings = waitForWindow(QStringLiteral("OrbitShelf Settings"));
    ASSERT_FALSE(settings.isEmpty());
    const auto stored
        = [&] { return readText(run.configHome() + QStringLiteral("/orbitShelf/orbitShelf.conf")); };
    for (const char* key : { "showLunchpadButton", "hideMainButton" }) {
        SCOPED_TRACE(key);
        const std::optional<QRect> box = generalSwitchInView(run, settings, *tab, QString::fromLatin1(key));
        ASSERT_TRUE(box) << run.log().toStdString();
        const QString before = stored();
        click(QPoint(box->left() + 8, box->center().y()));
        ASSERT_TRUE(waitUntil([&] { return stored() != before; })) << stored().toStdString();
    }
    EXPECT_TRUE(stored().contains(QLatin1String("showLunchpadButton=false"))) << stored().toStdString();
    EXPECT_TRUE(stored().contains(QLatin1String("hideMainButton=true"))) << stored().toStdString();
    runTool(QStringLiteral("wmctrl"), { "-i", "-c", settings });
    ASSERT_TRUE(
        waitUntil([] { return visibleWindowsNamed(QStringLiteral("OrbitShelf Settings")).isEmpty(); }));
    ASSERT_TRUE(waitUntil([&] {
        return !barHoldsKind(run, LoggedBarItem::mainButton) && !barHoldsKind(run, LoggedBarItem::launchpad);
    })) << run.log().toStdString();

    const auto button = waitForBarItem(
        run, [&](const LoggedBarItem& i) { return i.window == xterm.id; },
        run.log().lastIndexOf(QLatin1String("bar rows of")));
    ASSERT_TRUE(button);
    const LoggedMenu menu = clickForMenu(run, button->rect.center(), 3, kWindowMenuLine, 6);
    EXPECT_EQ(menu.titles,
        (QStringList {
            "Binding Hotkey", "Keep in Dock", "Add to Favorite", "Minimized Others", "More", "Quit" }))
        << run.log().toStdString();
    ASSERT_TRUE(menu.place(QStringLiteral("More")));
    // "More" holds the bar's menu: its "Dock Position", "Left".
    const qsizetype mark = run.log().size();
    ASSERT_TRUE(chooseInSubmenu(run, *menu.place(QStringLiteral("More")), { "Down", "Right", "Return" }));
    EXPECT_TRUE(waitUntil([&] {
        const auto bar = loggedBar(run.log().mid(mark));
        return !bar.empty() && bar.front().rect.left() < 100 && bar.front().rect.top() < 1000;
    })) << run.log().mid(mark).toStdString();
}
