#include "tests/switcher/SwitcherFixture.h"

#include "apps/DockVisibility.h"
#include "apps/ScreenIdentifier.h"
#include "apps/WindowActivationRecord.h"
#include "network/FeatureViewTracker.h"
#include "switcher/HotKeySettings.h"
#include "switcher/WindowHotKeyBinding.h"

#include <QElapsedTimer>
#include <QGuiApplication>
#include <QScreen>

using namespace orbitshelf::test;

namespace {

// Runs the event loop until `condition` holds, for at most 3 s.
bool processEventsUntil(const std::function<bool()>& condition)
{
    QElapsedTimer timer;
    timer.start();
    while (!condition() && timer.elapsed() < 3000)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    return condition();
}

} // namespace

using Kind = platform::fake::FakeAction::Kind;

TEST(HotkeyTables, KeyCodesCharactersAndModifiers)
{
    EXPECT_EQ(fourCharCode(QStringLiteral("swat")), kHotKeySignature);
    EXPECT_EQ(fourCharCode(QStringLiteral("sw\u00e9t")), 0u);
    EXPECT_EQ(keyCodeCharacters().size(), 34);

    const struct {
        const char* text;
        std::optional<quint16> code;
    } characters[] = { { "a", 0 }, { "w", 13 }, { "0", 29 }, { "h", 4 }, { "p", 35 }, { "ab", std::nullopt },
        { "", std::nullopt }, { "A", std::nullopt }, { "?", std::nullopt } };
    for (const auto& row : characters)
        EXPECT_EQ(keyCodeForCharacter(QString::fromLatin1(row.text)), row.code) << row.text;

    EXPECT_EQ(carbonModifiers(0x80000 | 0x20000 | 0x1), 0xa00u);
    EXPECT_EQ(carbonModifiers(0x40000 | 0x100000 | 0x10000), 0x1000u | 0x100u | 0x400u);
}

TEST_F(SwitcherTest, StartRegistersTheKeysWithTheirStoredOptions)
{
    const QString seven = QString::number(fake.addWindow(100, QStringLiteral("seven")));
    const QString eight = QString::number(fake.addWindow(100, QStringLiteral("eight")));
    AppState::shared().setWindowHotkeyCache(
        { { QStringLiteral("b"), seven }, { QStringLiteral("ab"), eight } });
    startHotKeys(HotKeyModifier::Option);
    EXPECT_EQ(registered(), QStringList({ "48/0x800", "53/0x800", "11/0x800" }))
        << "a damaged cache key grabs nothing; W waits for a window bound to it, Space is never held";

    startHotKeys(HotKeyModifier::Option, HotKeyModifier::Shift);
    EXPECT_EQ(registered().mid(3), QStringList({ "4/0xa00", "35/0xa00" }));
    EXPECT_EQ(hotKeys.registrations().size(), 5u) << "held combinations give their reference back";

    // Stored choices are kept through a rebuild of the bar.
    resetHotKeysForTesting();
    hotKeys.clear();
    CustomSettings& settings = AppState::shared().settings;
    settings.setShortcutOptionForOpenFloatWindow(QStringLiteral("cmd"));
    settings.setShortcutOptionForHideWindow(QStringLiteral("alpha"));
    settings.setShortcutOptionForOpenAutohide(QStringLiteral("control"));
    settings.setShortcutOptionForPasteboardWindow(QStringLiteral("alpha"));
    AppState::shared().setWindowHotkeyCache({});
    startHotKeys(HotKeyModifier::Option, HotKeyModifier::Shift);
    EXPECT_EQ(registered(), QStringList({ "4/0x1200", "48/0x100", "53/0x800" }));
    EXPECT_FALSE(switcherHotKeyRefs().contains(13));
    EXPECT_FALSE(toolHotKeyRefs().contains(35));
}

TEST_F(SwitcherTest, ATakenKeyIsReportedAndKeepsItsEarlierReference)
{
    startHotKeys(HotKeyModifier::Option);
    const quint32 tab = switcherHotKeyRefs().value(48);
    hotKeys.unregisterHotKey(tab);
    hotKeys.taken.insert({ 48, 0x800 });
    hotKeys.taken.insert({ 53, 0x800 });
    startHotKeys(HotKeyModifier::Option);
    EXPECT_EQ(switcherHotKeyRefs().value(48), tab);
    EXPECT_EQ(takenHotKeys(), QStringList({ "Alt + Tab", "Alt + Escape" }));
}

namespace {

QStringList& loggedWarnings()
{
    static QStringList lines;
    return lines;
}

} // namespace

TEST_F(SwitcherTest, ATakenKeyIsLoggedOncePerChangeOfItsState)
{
    loggedWarnings().clear();
    const QtMessageHandler previous
        = qInstallMessageHandler([](QtMsgType type, const QMessageLogContext&, const QString& message) {
              if (type == QtWarningMsg && message.contains(QLatin1String("is taken")))
                  loggedWarnings() << message;
          });
    hotKeys.taken.insert({ 48, 0x800 });
    // Every rebuild of the bar asks again; the retries ask on their own.
    for (int i = 0; i < 3; ++i)
        startHotKeys(HotKeyModifier::Option, HotKeyModifier::Shift);
    EXPECT_EQ(loggedWarnings(), QStringList { "hot key Alt + Tab is taken by another program" });

    // Held for a while, then taken again: one more line.
    hotKeys.taken.erase({ 48, 0x800 });
    ASSERT_TRUE(applyHotKeyOption(FixedHotKey::Tab, QStringLiteral("option")));
    hotKeys.taken.insert({ 48, 0x800 });
    EXPECT_FALSE(applyHotKeyOption(FixedHotKey::Tab, QStringLiteral("option")));
    EXPECT_FALSE(applyHotKeyOption(FixedHotKey::Tab, QStringLiteral("option")));
    qInstallMessageHandler(previous);
    EXPECT_EQ(loggedWarnings().size(), 2);
}

TEST_F(SwitcherTest, TabWithTheModifierHeldOpensTheSwitcherAfterTwentyMilliseconds)
{
    startHotKeys(HotKeyModifier::Option);
    switcherCycle().modifierChanged(58, true);
    hotKeys.press(48);
    queue->advance(0.019);
    EXPECT_TRUE(hotKeys.active().size() == 2 && !switcherPopupShown) << "acted on before its time";
    queue->advance(0.001);
    EXPECT_TRUE(switcherPopupShown);
    EXPECT_TRUE(hotKeys.keyboardGrabbed());
    EXPECT_FALSE(registered().contains(QStringLiteral("48/0x800")));
    EXPECT_TRUE(switcherHotKeyRefs().contains(48)) << "the entry stays";
    ASSERT_TRUE(floatPanel());
    EXPECT_TRUE(floatPanel()->isVisible());
    closeSwitcherPopup();
}

TEST_F(SwitcherTest, TabDoesNothingWithoutItsEntryAndStaysRegisteredWhenTheKeyboardIsHeld)
{
    switcherCycle().modifierChanged(58, true);
    handleHotKeyPress(48);
    queue->advance(0.02);
    EXPECT_FALSE(switcherPopupShown);

    startHotKeys(HotKeyModifier::Option);
    hotKeys.keyboardHeldElsewhere = true;
    hotKeys.press(48);
    queue->advance(0.02);
    EXPECT_FALSE(switcherPopupShown);
    EXPECT_TRUE(registered().contains(QStringLiteral("48/0x800")));
}

TEST_F(SwitcherTest, AQuickTabSwitchesToThePreviousWindow)
{
    auto editor = addApp(100, "Editor", { "A" });
    auto viewer = addApp(200, "Viewer", { "B" });
    const int32_t a = int32_t(*(*editor->windows)[0]->num);
    const int32_t b = int32_t(*(*viewer->windows)[0]->num);

    FeatureViewTracker::shared().pageViewsDict.clear();
    testing::internal::CaptureStdout();
    recordWindowActivation(a, QDateTime::currentDateTime());
    handleHotKeyPress(48);
    queue->advance(0.02);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "[custom] -  no previous window yet: 1\n");
    EXPECT_TRUE(
        FeatureViewTracker::shared().pageViewsDict.contains(QStringLiteral("ActivePreviousAppWindow")));

    recordWindowActivation(b, QDateTime::currentDateTime());
    switcherCycle().modifierChanged(58, true);
    switcherCycle().modifierChanged(58, false);
    handleHotKeyPress(48);
    queue->advance(0.02);
    EXPECT_EQ(fake.windowServer().activeWindow(), quint32(a));
    EXPECT_EQ(clickOrder(), std::vector<int32_t>({ a, b, a }));
    EXPECT_EQ(AppState::shared().previousAppWindow, WindowNumber(b));
}

TEST_F(SwitcherTest, LetterEscapeAndSpaceKeys)
{
    auto editor = addApp(100, "Editor", { "A", "B" });
    const int32_t a = int32_t(*(*editor->windows)[0]->num);
    const int32_t b = int32_t(*(*editor->windows)[1]->num);
    AppState::shared().setWindowHotkeyCache({ { QStringLiteral("w"), QString::number(b) } });

    handleHotKeyPress(13);
    EXPECT_EQ(fake.windowServer().activeWindow(), quint32(b));

    fake.clearActions();
    handleHotKeyPress(49);
    queue->advance(0.02);
    EXPECT_TRUE(fake.actions().empty()) << "Space does nothing";
    startHotKeys(HotKeyModifier::Option);
    EXPECT_TRUE(registered().filter(QStringLiteral("49/")).isEmpty()) << "and is left to the window manager";

    recordWindowActivation(a, QDateTime::currentDateTime());
    recordWindowActivation(b, QDateTime::currentDateTime());
    handleHotKeyPress(53);
    EXPECT_TRUE(fake.windowState(quint32(b))->minimized);
    EXPECT_FALSE(fake.windowState(quint32(a))->minimized);
    EXPECT_EQ((*editor->windows)[1]->opened, false);
}

TEST_F(SwitcherTest, POpensTheClipboardWindowAndHTogglesTheDockUnderThePointer)
{
    int shown = 0;
    hotKeyHooks().showPasteboardWindow = [&] { ++shown; };
    handleHotKeyPress(35);
    EXPECT_EQ(shown, 1);
    hotKeyHooks().showPasteboardWindow = nullptr;

    const QString id = screenIdentifierKey(QGuiApplication::primaryScreen());
    fullScreenAutoHideFlags().dockHiddenFlags.insert(5, true);
    handleHotKeyPress(4);
    EXPECT_EQ(AppState::shared().settings.autoHideSpaceDock().value(id), QStringLiteral("true"));
    EXPECT_EQ(AppState::shared().showSpaceDock.value(id), false);
    EXPECT_TRUE(fullScreenAutoHideFlags().dockHiddenFlags.isEmpty());
    handleHotKeyPress(4);
    EXPECT_EQ(AppState::shared().settings.autoHideSpaceDock().value(id), QStringLiteral("false"));
    EXPECT_EQ(AppState::shared().showSpaceDock.value(id), true);
}

TEST_F(SwitcherTest, WIsHeldOnlyWhileAWindowIsBoundToIt)
{
    // With its own stored modifier, once: the binding and the W row agree.
    const quint32 window = fake.addWindow(100, QStringLiteral("w"));
    AppState::shared().settings.setShortcutOptionForHideWindow(QStringLiteral("cmd"));
    AppState::shared().setWindowHotkeyCache({ { QStringLiteral("w"), QString::number(window) } });
    startHotKeys(HotKeyModifier::Option);
    EXPECT_EQ(registered().filter(QStringLiteral("13/")), QStringList { "13/0x100" });

    // Unbinding gives W back; the W row alone registers nothing.
    bindWindowHotKey(window, QStringLiteral("disable"));
    EXPECT_TRUE(registered().filter(QStringLiteral("13/")).isEmpty());
    EXPECT_TRUE(applyHotKeyOption(FixedHotKey::HideWindow, QStringLiteral("control")));
    EXPECT_TRUE(registered().filter(QStringLiteral("13/")).isEmpty());
    bindWindowHotKey(window, QStringLiteral("w"));
    EXPECT_EQ(registered().filter(QStringLiteral("13/")), QStringList { "13/0x1000" });
    AppState::shared().settings.setShortcutOptionForHideWindow(QStringLiteral("option"));
}

TEST_F(SwitcherTest, ABindingWhoseWindowClosedIsDroppedAndItsKeyGivenBack)
{
    const quint32 open = fake.addWindow(100, QStringLiteral("open"));
    AppState::shared().setWindowHotkeyCache({ { QStringLiteral("a"), QString::number(open) },
        { QStringLiteral("k"), QStringLiteral("4242") }, { QStringLiteral("m"), QStringLiteral("x") } });
    startHotKeys(HotKeyModifier::Option);
    EXPECT_EQ(AppState::shared().windowHotkeyCache(),
        (StringMap { { QStringLiteral("a"), QString::number(open) } }))
        << "at start, bindings of windows that are gone go";
    EXPECT_TRUE(registered().contains(QStringLiteral("0/0x800")));
    EXPECT_FALSE(registered().contains(QStringLiteral("40/0x800")));

    // The window closes while the bar runs: its key is given back.
    fake.removeWindow(open);
    dropClosedWindowHotKeys();
    EXPECT_TRUE(AppState::shared().windowHotkeyCache().isEmpty());
    EXPECT_FALSE(registered().contains(QStringLiteral("0/0x800")));
    EXPECT_FALSE(switcherHotKeyRefs().contains(0));
}

TEST_F(SwitcherTest, ARefusedKeyIsAskedForAgainForThreeSeconds)
{
    hotKeys.taken.insert({ 48, 0x800 });
    startHotKeys(HotKeyModifier::Option);
    EXPECT_FALSE(switcherHotKeyRefs().contains(48));
    EXPECT_TRUE(takenHotKeys().contains(QStringLiteral("Alt + Tab")));
    // The process that held it ends.
    hotKeys.taken.erase({ 48, 0x800 });
    EXPECT_TRUE(processEventsUntil([&] { return switcherHotKeyRefs().contains(48); }));
    EXPECT_TRUE(registered().contains(QStringLiteral("48/0x800")));
    EXPECT_FALSE(takenHotKeys().contains(QStringLiteral("Alt + Tab")));
}

TEST_F(SwitcherTest, ABindingFollowsItsWindowNotTheWindowNumber)
{
    platform::ServerWindow bound;
    bound.pid = 100;
    bound.title = QStringLiteral("notes");
    bound.instanceName = QStringLiteral("xterm");
    bound.className = QStringLiteral("XTerm");
    const quint32 id = fake.addWindow(bound);
    ASSERT_EQ(bindWindowHotKey(id, QStringLiteral("n")), QStringLiteral("n"));

    // The window closes while the bar is not running; the X server gives
    // its number to another program's window.
    resetHotKeysForTesting();
    hotKeys.clear();
    fake.removeWindow(id);
    platform::ServerWindow stranger = bound;
    stranger.id = id;
    stranger.pid = 200;
    stranger.instanceName = QStringLiteral("xclock");
    stranger.className = QStringLiteral("XClock");
    ASSERT_EQ(fake.addWindow(stranger), id);
    startHotKeys(HotKeyModifier::Option);
    EXPECT_TRUE(AppState::shared().windowHotkeyCache().isEmpty()) << "not bound after a start";
    EXPECT_TRUE(registered().filter(QStringLiteral("45/")).isEmpty());

    // While the bar runs: a press between the reuse and the next look at
    // the windows raises nothing and drops the binding.
    auto editor = addApp(300, "Editor", { "draft" });
    const quint32 draft = *(*editor->windows)[0]->num;
    ASSERT_EQ(bindWindowHotKey(draft, QStringLiteral("n")), QStringLiteral("n"));
    fake.removeWindow(draft);
    stranger.id = draft;
    ASSERT_EQ(fake.addWindow(stranger), draft);
    fake.clearActions();
    handleHotKeyPress(45);
    EXPECT_TRUE(actionsOf(Kind::activate).empty());
    EXPECT_TRUE(AppState::shared().windowHotkeyCache().isEmpty());
    EXPECT_TRUE(registered().filter(QStringLiteral("45/")).isEmpty()) << "the key goes back to the programs";

    // The same press for a binding that still matches brings its window up.
    fake.removeWindow(draft);
    stranger.instanceName.clear();
    stranger.className.clear();
    stranger.pid = 300;
    fake.addWindow(stranger);
    ASSERT_EQ(bindWindowHotKey(draft, QStringLiteral("n")), QStringLiteral("n"));
    handleHotKeyPress(45);
    EXPECT_FALSE(actionsOf(Kind::activate).empty());
}

TEST_F(SwitcherTest, ABindingStoredWithTheNumberAloneKeepsWorkingAndLearnsItsOwner)
{
    platform::ServerWindow window;
    window.pid = 100;
    window.title = QStringLiteral("notes");
    window.instanceName = QStringLiteral("mousepad");
    window.className = QStringLiteral("Mousepad");
    const quint32 id = fake.addWindow(window);
    AppState::shared().setWindowHotkeyCache({ { QStringLiteral("n"), QString::number(id) } });
    startHotKeys(HotKeyModifier::Option);
    EXPECT_TRUE(registered().contains(QStringLiteral("45/0x800")));
    EXPECT_TRUE(windowBindingStillMatches(QStringLiteral("n")));

    // From now on it is that program's window's binding.
    fake.removeWindow(id);
    window.id = id;
    window.className = QStringLiteral("Other");
    fake.addWindow(window);
    EXPECT_FALSE(windowBindingStillMatches(QStringLiteral("n")));
    dropClosedWindowHotKeys();
    EXPECT_TRUE(AppState::shared().windowHotkeyCache().isEmpty());
}

TEST_F(SwitcherTest, RefusedKeysAreAskedForTogetherUntilALastTryAtThreeSeconds)
{
    QElapsedTimer started;
    started.start();
    const auto runUntil = [&](qint64 ms) {
        while (started.elapsed() < ms)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    };
    hotKeys.taken.insert({ 48, 0x800 });
    hotKeys.taken.insert({ 53, 0x800 });
    startHotKeys(HotKeyModifier::Option);
    EXPECT_EQ(takenHotKeys(), QStringList({ "Alt + Tab", "Alt + Escape" }));

    // Held until shortly before the last try: still taken back within 3 s.
    runUntil(2400);
    EXPECT_FALSE(switcherHotKeyRefs().contains(48));
    hotKeys.taken.erase({ 48, 0x800 });
    EXPECT_TRUE(processEventsUntil([&] { return switcherHotKeyRefs().contains(48); }));
    EXPECT_LE(started.elapsed(), 3300);

    // Freed after the last try: no one asks any more, the key stays told.
    runUntil(3300);
    hotKeys.taken.erase({ 53, 0x800 });
    runUntil(4300);
    EXPECT_FALSE(switcherHotKeyRefs().contains(53));
    EXPECT_EQ(takenHotKeys(), QStringList({ "Alt + Escape" }));
}

TEST_F(SwitcherTest, ABindingIsKeptOnlyForItsOwnProcessAfterAStart)
{
    // The window bound in an earlier run (xterm, process 100) closed while
    // the bar was not running; a window is there now under its number.
    const struct {
        const char* what;
        const char* kept; // the owner as stored, "%1" the number
        qint32 pid;
        const char* instance;
        bool keptAfterAStart;
        const char* ownerAfter;
    } cases[] = {
        { "the same window", "%1 100 xterm.XTerm", 100, "xterm", true, "%1 100 xterm.XTerm" },
        { "a newer xterm", "%1 100 xterm.XTerm", 200, "xterm", false, "" },
        { "another program", "%1 100 xterm.XTerm", 100, "xclock", false, "" },
        { "a process read as none", "%1 100 xterm.XTerm", 0, "xterm", false, "" },
        // Kept before processes were: its program is all there is to go by
        // once, and its process is learnt for the next look.
        { "an older entry's program", "%1 xterm.XTerm", 200, "xterm", true, "%1 200 xterm.XTerm" },
        { "an older entry's other program", "%1 xterm.XTerm", 200, "xclock", false, "" },
        // A window that names no process is kept without one.
        { "a window without a process", "%1 xterm.XTerm", 0, "xterm", true, "%1 xterm.XTerm" },
    };
    for (const auto& c : cases) {
        resetHotKeysForTesting();
        hotKeys.clear();
        platform::ServerWindow window;
        window.pid = c.pid;
        window.title = QStringLiteral("notes");
        window.instanceName = QString::fromLatin1(c.instance);
        window.className = window.instanceName == QLatin1String("xterm") ? QStringLiteral("XTerm")
                                                                         : QStringLiteral("XClock");
        const QString id = QString::number(fake.addWindow(window));
        AppState::shared().setWindowHotkeyCache({ { QStringLiteral("n"), id } });
        writeStoredMap(QStringLiteral("windowHotkeyOwners"),
            { { QStringLiteral("n"), QString::fromLatin1(c.kept).arg(id) } });

        startHotKeys(HotKeyModifier::Option);
        EXPECT_EQ(AppState::shared().windowHotkeyCache().contains(QStringLiteral("n")), c.keptAfterAStart)
            << c.what;
        EXPECT_EQ(registered().contains(QStringLiteral("45/0x800")), c.keptAfterAStart) << c.what;
        EXPECT_EQ(readStoredMap(QStringLiteral("windowHotkeyOwners")).value(QStringLiteral("n")),
            QString::fromLatin1(c.ownerAfter).arg(id))
            << c.what;
        fake.removeWindow(id.toUInt());
    }
}

TEST_F(SwitcherTest, APressForAWindowOfTheSameProgramRaisesNothing)
{
    // Bound while the bar runs, then the window's number taken by a newer
    // window of its program before the bar looked again.
    auto editor = addApp(300, "Editor", { "draft" });
    const quint32 draft = *(*editor->windows)[0]->num;
    ASSERT_EQ(bindWindowHotKey(draft, QStringLiteral("n")), QStringLiteral("n"));
    EXPECT_EQ(readStoredMap(QStringLiteral("windowHotkeyOwners")).value(QStringLiteral("n")),
        QStringLiteral("%1 300 editor.Editor").arg(draft));
    platform::ServerWindow newer = *fake.windowServer().window(draft);
    fake.removeWindow(draft);
    newer.pid = 301;
    ASSERT_EQ(fake.addWindow(newer), draft);
    fake.clearActions();
    handleHotKeyPress(45);
    EXPECT_TRUE(actionsOf(Kind::activate).empty());
    EXPECT_TRUE(AppState::shared().windowHotkeyCache().isEmpty());
    EXPECT_TRUE(registered().filter(QStringLiteral("45/")).isEmpty());
}
