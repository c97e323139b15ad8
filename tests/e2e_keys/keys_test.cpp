// The hot keys as a user meets them where no window manager binding stands
// in the way (openbox runs without key bindings here): the clipboard tool's
// two keys come and go with the tool, and one chosen before it is kept for
// it; Alt+Space stays the programs', the start-up notice names only keys the
// Shortcut page moves, and a window's key never follows its window id to
// another window, of another program or of its own.
#include "tests/support/X11TestTools.h"

#include <QTemporaryDir>

#include <xcb/xcb.h>

#include <gtest/gtest.h>

#include <csignal>

using namespace orbitshelf::test;

namespace {

// Another program holding Alt plus some keys on the root window, as a
// desktop's own switcher holds Alt+Tab.
class OtherGrab final {
public:
    explicit OtherGrab(std::initializer_list<xcb_keysym_t> symbols)
        : m_c(xcb_connect(nullptr, nullptr))
    {
        const xcb_setup_t* setup = xcb_get_setup(m_c);
        const xcb_window_t root = xcb_setup_roots_iterator(setup).data->root;
        auto* map = xcb_get_keyboard_mapping_reply(m_c,
            xcb_get_keyboard_mapping(m_c, setup->min_keycode, setup->max_keycode - setup->min_keycode + 1),
            nullptr);
        if (!map)
            return;
        const xcb_keysym_t* syms = xcb_get_keyboard_mapping_keysyms(map);
        const int per = map->keysyms_per_keycode;
        for (const xcb_keysym_t symbol : symbols)
            for (int k = 0; k <= setup->max_keycode - setup->min_keycode; ++k)
                if (syms[k * per] == symbol) {
                    xcb_generic_error_t* error = xcb_request_check(m_c,
                        xcb_grab_key_checked(m_c, 1, root, XCB_MOD_MASK_1,
                            xcb_keycode_t(setup->min_keycode + k), XCB_GRAB_MODE_ASYNC, XCB_GRAB_MODE_ASYNC));
                    m_held += error ? 0 : 1;
                    free(error);
                    break;
                }
        free(map);
    }
    ~OtherGrab() { xcb_disconnect(m_c); }
    int held() const { return m_held; }

private:
    xcb_connection_t* m_c;
    int m_held = 0;
};

// The tests' own client that logs every key typed into it.
struct KeyProbe {
    QTemporaryDir dir;
    QString log = dir.filePath(QStringLiteral("keys.log"));
    Clients::Window window;

    explicit KeyProbe(Clients& clients)
        : window(clients.own(
            QStringLiteral("keys"), QStringLiteral("key probe"), log, QStringLiteral("key probe")))
    {
    }
    // Gives it the focus as a user does, by a click.
    bool focus() const
    {
        return waitUntil([&] {
            if (activeWindow() != window.id)
                click(windowGeometry(window.id).center());
            return waitUntil([&] { return activeWindow() == window.id; }, std::chrono::milliseconds(500));
        });
    }
    // Whether `key` (xdotool's name) typed now reaches it as `line`.
    bool receives(const QString& key, const QString& line) const
    {
        const qsizetype before = readText(log).count(line);
        xdotool({ "key", key });
        return waitUntil([&] { return readText(log).count(line) > before; });
    }
};

const QString kClipboardWindow = QStringLiteral("orbitShelf clipboard");

QString autoHideSetting(const DockRun& run)
{
    for (const QString& line :
        readText(run.configHome() + QStringLiteral("/orbitShelf/orbitShelf.conf")).split(QLatin1Char('\n')))
        if (line.startsWith(QLatin1String("autoHideDock=")))
            return line;
    return QString();
}

// Clicks the Plugins page's install button while it reads `before`, until
// it reads `after`.
bool pressInstallButton(const DockRun& run, const QRect& tab, const QString& before, const QString& after)
{
    std::optional<QRect> button;
    if (!waitUntil([&] {
            click(tab.center());
            return waitUntil(
                [&] {
                    return (button = run.loggedRect(
                                QStringLiteral("plugins install button %1 for Pasteboard at ").arg(before)))
                        .has_value();
                },
                std::chrono::milliseconds(500));
        }))
        return false;
    const qsizetype clicked = run.log().size();
    click(button->center());
    return waitUntil([&] {
        return run.log().mid(clicked).contains(
            QStringLiteral("plugins install button %1 for Pasteboard at").arg(after));
    });
}

// What the Shortcut page's rows of the clipboard tool's keys say when the
// tab is shown: "shown" or "hidden" for each row's "waits for the tool" line.
bool shortcutPageSays(const DockRun& run, const QString& waiting)
{
    const qsizetype from = run.log().size();
    const std::optional<QRect> tab = openSettingsTab(run, QStringLiteral("Shortcut"), from, 0);
    if (!tab)
        return false;
    const bool said = waitUntil([&] {
        const QString log = run.log().mid(from);
        return log.contains(
                   QStringLiteral("shortcut row \"Open the clipboard window\" waiting %1").arg(waiting))
            && log.contains(QStringLiteral("shortcut row \"Show or hide the bar\" waiting %1").arg(waiting));
    });
    return said;
}

void closeSettings()
{
    for (const QString& w : visibleWindowsNamed(QStringLiteral("OrbitShelf Settings")))
        runTool(QStringLiteral("wmctrl"), { "-i", "-c", w });
    waitUntil([] { return visibleWindowsNamed(QStringLiteral("OrbitShelf Settings")).isEmpty(); });
}

// Binds the window `id` through its tag editor (as a user does) and waits
// until the binding is stored; the editor is closed after.
bool bindAndStore(const DockRun& run, const QString& id, const QString& choice)
{
    if (!bindThroughTagEditor(run, id, choice))
        return false;
    const bool bound = waitUntil([&] {
        return readText(run.configHome() + QStringLiteral("/orbitShelf/orbitShelf.conf"))
            .contains(QStringLiteral("\\\"%1\\\"").arg(choice));
    });
    for (const QString& w : visibleWindowsNamed(QStringLiteral("Tag")))
        runTool(QStringLiteral("wmctrl"), { "-i", "-c", w });
    waitUntil([] { return visibleWindowsNamed(QStringLiteral("Tag")).isEmpty(); });
    return bound;
}

// The hot-key mark of the window button of `id` on the newest bar in `log`;
// none when the bar shows no such button.
std::optional<QString> hotKeyMarkOf(const QString& log, const QString& id)
{
    const qsizetype bar = log.lastIndexOf(QLatin1String("bar rows of "));
    if (bar < 0)
        return std::nullopt;
    const QRegularExpression button(
        QStringLiteral("bar item \\d+ kind \\d+ pid -?\\d+ window %1 at [^\\n]* key \"([^\"]*)\"").arg(id));
    const QRegularExpressionMatch m = button.match(log.mid(bar));
    return m.hasMatch() ? std::optional(m.captured(1)) : std::nullopt;
}

// The ids of the windows the tests' client logged as mapped, in order.
QStringList mappedWindows(const QString& log)
{
    QStringList ids;
    for (const QString& line : readText(log).split(QLatin1Char('\n')))
        if (line.startsWith(QLatin1String("mapped ")))
            ids << line.section(QLatin1Char(' '), 1, 1);
    return ids;
}

} // namespace

TEST(ClipboardToolKeys, InstallBringsBothKeysAndRemoveGivesBothBack)
{
    DockRun run;
    ASSERT_GT(run.start(), 0);
    ASSERT_FALSE(waitForWindow(QStringLiteral("orbitShelf dock")).isEmpty());
    Clients clients;
    KeyProbe probe(clients);
    ASSERT_FALSE(probe.window.id.isEmpty());
    ASSERT_TRUE(shortcutPageSays(run, QStringLiteral("shown"))) << run.log().toStdString();
    closeSettings();

    // Installed from Settings, Plugins: both keys work at once.
    ASSERT_TRUE(installTools(run, { "Pasteboard" }, false, run.log().size(), 0)) << run.log().toStdString();
    ASSERT_TRUE(probe.focus());
    xdotool({ "key", "alt+shift+p" });
    EXPECT_TRUE(waitUntil([] { return !visibleWindowsNamed(kClipboardWindow).isEmpty(); }))
        << run.log().toStdString();
    xdotool({ "key", "Escape" });
    EXPECT_TRUE(waitUntil([] { return visibleWindowsNamed(kClipboardWindow).isEmpty(); }));
    const QString before = autoHideSetting(run);
    ASSERT_TRUE(probe.focus());
    xdotool({ "key", "alt+shift+h" });
    EXPECT_TRUE(waitUntil([&] { return autoHideSetting(run) != before; })) << "Alt+Shift+H did nothing";
    xdotool({ "key", "alt+shift+h" });
    EXPECT_TRUE(waitUntil([&] { return autoHideSetting(run).contains(QLatin1String("false")); }));
    EXPECT_TRUE(shortcutPageSays(run, QStringLiteral("hidden"))) << run.log().toStdString();

    // Removed there again: both keys reach the program in front.
    const std::optional<QRect> plugins = openSettingsTab(run, QStringLiteral("Plugins"), run.log().size(), 0);
    ASSERT_TRUE(plugins) << run.log().toStdString();
    ASSERT_TRUE(pressInstallButton(run, *plugins, QStringLiteral("Remove"), QStringLiteral("Install")))
        << run.log().toStdString();
    EXPECT_TRUE(shortcutPageSays(run, QStringLiteral("shown"))) << run.log().toStdString();
    closeSettings();
    ASSERT_TRUE(probe.focus());
    // State 9: Shift and Alt (Mod1) held.
    EXPECT_TRUE(probe.receives(QStringLiteral("alt+shift+p"), QStringLiteral("key p 9")));
    EXPECT_TRUE(probe.receives(QStringLiteral("alt+shift+h"), QStringLiteral("key h 9")));
    EXPECT_TRUE(visibleWindowsNamed(kClipboardWindow).isEmpty());
    EXPECT_TRUE(run.running());
}

TEST(ClipboardToolKeys, AKeyChosenBeforeTheInstallStaysTheProgramsUntilTheInstallBindsIt)
{
    DockRun run;
    ASSERT_GT(run.start(), 0);
    ASSERT_FALSE(waitForWindow(QStringLiteral("orbitShelf dock")).isEmpty());
    Clients clients;
    KeyProbe probe(clients);
    ASSERT_FALSE(probe.window.id.isEmpty());
    const QString row = QStringLiteral("Open the clipboard window");
    ASSERT_TRUE(chooseShortcut(run, row, QStringLiteral("Ctrl + P"), true)) << run.log().toStdString();

    // The settings window stays open, the probe moved from under it as a
    // user drags a window aside; the key still reaches the program in front.
    // State 4: Ctrl held.
    const QString settings = visibleWindowsNamed(QStringLiteral("OrbitShelf Settings")).value(0);
    ASSERT_FALSE(settings.isEmpty());
    ASSERT_TRUE(waitUntil([&] {
        if (!windowGeometry(settings).intersects(windowGeometry(probe.window.id)))
            return true;
        xdotool({ "windowmove", probe.window.id, "0", "0" });
        return false;
    })) << "the probe stays under the settings window";
    ASSERT_TRUE(probe.focus());
    EXPECT_TRUE(probe.receives(QStringLiteral("ctrl+p"), QStringLiteral("key p 4")))
        << run.log().toStdString();
    EXPECT_TRUE(visibleWindowsNamed(kClipboardWindow).isEmpty());

    // Installed on the Plugins page of the same window: the chosen key is
    // bound, and the Shortcut page, shown again, says it is held.
    const std::optional<QRect> plugins = run.loggedRect(QStringLiteral("settings tab Plugins at "));
    const std::optional<QRect> shortcut = run.loggedRect(QStringLiteral("settings tab Shortcut at "));
    ASSERT_TRUE(plugins && shortcut) << run.log().toStdString();
    ASSERT_TRUE(pressInstallButton(run, *plugins, QStringLiteral("Install"), QStringLiteral("Remove")))
        << run.log().toStdString();
    EXPECT_TRUE(run.log().contains(QLatin1String("clipboard window key Ctrl + P registered")))
        << run.log().toStdString();
    const qsizetype shown = run.log().size();
    EXPECT_TRUE(waitUntil([&] {
        click(shortcut->center());
        return waitUntil(
            [&] {
                const QString log = run.log().mid(shown);
                return log.contains(QStringLiteral("shortcut row \"%1\" waiting hidden").arg(row))
                    && log.contains(QStringLiteral("shortcut row \"%1\" choice \"Ctrl + P\" on at").arg(row));
            },
            std::chrono::milliseconds(1500));
    })) << run.log().mid(shown).toStdString();
    closeSettings();

    ASSERT_TRUE(probe.focus());
    xdotool({ "key", "ctrl+p" });
    EXPECT_TRUE(waitUntil([] { return !visibleWindowsNamed(kClipboardWindow).isEmpty(); }))
        << run.log().toStdString();
    xdotool({ "key", "Escape" });
    EXPECT_TRUE(waitUntil([] { return visibleWindowsNamed(kClipboardWindow).isEmpty(); }));
    EXPECT_TRUE(run.running());
}

TEST(SpaceKey, AltSpaceStaysWithThePrograms)
{
    DockRun run;
    const qsizetype from = run.log().size();
    ASSERT_GT(run.start(), 0);
    ASSERT_FALSE(waitForWindow(QStringLiteral("orbitShelf dock")).isEmpty());
    // The switcher's keys are held by now.
    ASSERT_TRUE(waitUntil([&] { return run.log().mid(from).contains(QLatin1String("bar rows of ")); }));
    Clients clients;
    KeyProbe probe(clients);
    ASSERT_TRUE(probe.focus());
    EXPECT_TRUE(probe.receives(QStringLiteral("alt+space"), QStringLiteral("key space 8")))
        << run.log().toStdString();
    EXPECT_FALSE(run.log().contains(QLatin1String("Alt + Space"))) << "never asked for";
}

TEST(StartNotice, NamesOnlyTheKeysTheShortcutPageMovesAndWhere)
{
    OtherGrab other { 0xff09 /* Tab */, 0xff1b /* Escape */ };
    ASSERT_EQ(other.held(), 2);
    DockRun run;
    ASSERT_GT(run.start(), 0);
    QString told;
    ASSERT_TRUE(waitUntil(
        [&] {
            const QString log = run.log();
            const qsizetype at = log.indexOf(QLatin1String("taken hot keys told: "));
            told = at < 0 ? QString() : log.mid(at).section(QLatin1Char('\n'), 0, 0);
            return !told.isEmpty();
        },
        std::chrono::seconds(10)))
        << run.log().toStdString();
    EXPECT_EQ(told,
        QStringLiteral("taken hot keys told: Alt + Tab (Settings > Shortcut > Open the window switcher)"));
    // Each refused key was logged once, however often the bar asked.
    EXPECT_EQ(run.log().count(QLatin1String("hot key Alt + Tab is taken")), 1);
    EXPECT_EQ(run.log().count(QLatin1String("hot key Alt + Escape is taken")), 1);
}

// Binds N to the reuse client's first window and checks the binding; then,
// with the bar stopped, closes that window and waits until the client's
// next window has its number.
void bindThenHandTheNumberOn(
    DockRun& run, const KeyProbe& probe, const Clients::Window& bound, const QString& clientLog)
{
    ASSERT_GT(run.start(), 0);
    ASSERT_FALSE(waitForWindow(QStringLiteral("orbitShelf dock")).isEmpty());
    ASSERT_TRUE(bindAndStore(run, bound.id, QStringLiteral("n"))) << run.log().toStdString();
    EXPECT_TRUE(waitUntil([&] { return hotKeyMarkOf(run.log(), bound.id) == QStringLiteral("n"); }));
    ASSERT_TRUE(probe.focus());
    xdotool({ "key", "alt+n" });
    ASSERT_TRUE(waitUntil([&] { return activeWindow() == bound.id; })) << "the binding works";
    run.stop();

    ::kill(pid_t(bound.pid), SIGUSR1);
    ASSERT_TRUE(waitUntil([&] { return mappedWindows(clientLog).size() == 2; }));
    ASSERT_EQ(mappedWindows(clientLog).value(1), bound.id) << "the server did not reuse the id";
}

// The next start drops the binding, saying `why`, and leaves Alt+N to the
// programs.
void expectDroppedAtTheNextStart(
    DockRun& run, const KeyProbe& probe, const Clients::Window& bound, const QString& why)
{
    const qsizetype from = run.log().size();
    ASSERT_GT(run.start(), 0);
    EXPECT_TRUE(waitUntil([&] {
        return run.log().mid(from).contains(QStringLiteral("window hot key n dropped: ") + why);
    })) << run.log().mid(from).toStdString();
    EXPECT_TRUE(waitUntil([&] { return hotKeyMarkOf(run.log().mid(from), bound.id) == QString(); }))
        << "the button of the window that has the number now wears no mark\n"
        << run.log().mid(from).toStdString();
    ASSERT_TRUE(probe.focus());
    EXPECT_TRUE(probe.receives(QStringLiteral("alt+n"), QStringLiteral("key n 8")))
        << "Alt+N is the programs' again";
    EXPECT_EQ(activeWindow(), probe.window.id);
}

TEST(WindowKeys, AWindowIdTheServerGaveAnotherProgramIsNotBoundAfterAStart)
{
    // The client that maps the bound window first, so that no client before
    // it leaves a lower slot free when it connects again. Its next window is
    // another program's.
    QTemporaryDir dir;
    const QString clientLog = dir.filePath(QStringLiteral("reuse.log"));
    Clients clients;
    const Clients::Window bound = clients.own(QStringLiteral("reuse"), QStringLiteral("bound window"),
        clientLog, QStringLiteral("bound window"),
        { QStringLiteral("firstprogram"), QStringLiteral("otherprogram") });
    ASSERT_FALSE(bound.id.isEmpty());
    KeyProbe probe(clients);

    DockRun run;
    bindThenHandTheNumberOn(run, probe, bound, clientLog);
    if (HasFatalFailure())
        return;
    expectDroppedAtTheNextStart(
        run, probe, bound, QStringLiteral("its window number now belongs to another application"));
}

TEST(WindowKeys, AWindowIdANewerProcessOfTheSameProgramGotIsNotBoundAfterAStart)
{
    // The tests' client stands for the bound xterm: its window closes while
    // the bar is not running, and a newer process of the same program (the
    // same WM_CLASS, another process id), as a new xterm would be, maps a
    // window under the same number.
    QTemporaryDir dir;
    const QString clientLog = dir.filePath(QStringLiteral("reuse.log"));
    Clients clients;
    const Clients::Window bound = clients.own(QStringLiteral("reuse"), QStringLiteral("bound window"),
        clientLog, QStringLiteral("bound window"),
        { QStringLiteral("sameprogram"), QStringLiteral("sameprogram"), QStringLiteral("another-process") });
    ASSERT_FALSE(bound.id.isEmpty());
    KeyProbe probe(clients);

    DockRun run;
    bindThenHandTheNumberOn(run, probe, bound, clientLog);
    if (HasFatalFailure())
        return;
    const QString newer = property(bound.id, QStringLiteral("_NET_WM_PID"));
    ASSERT_TRUE(newer.contains(QLatin1String(" = ")));
    ASSERT_FALSE(newer.endsWith(QStringLiteral(" = %1").arg(bound.pid))) << "not another process";
    expectDroppedAtTheNextStart(run, probe, bound,
        QStringLiteral("its window number now belongs to another process of its application"));
}
