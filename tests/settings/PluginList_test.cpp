// The "Plugins" page's rules over a store of its own and scripted hot keys.
#include "settings/PluginList.h"
#include "settings/PluginsView.h"
#include "settings/ShortCutView.h"

#include "platform/HotKeys.h"
#include "platform/KeyCodes.h"
#include "platform/fake/FakeHotKeys.h"
#include "platform/fake/FakeServices.h"
#include "state/AppState.h"
#include "state/ShownTexts.h"
#include "state/UserDefaults.h"
#include "switcher/Hotkey.h"
#include "tests/support/ChangeCounter.h"
#include "tests/support/TempStores.h"

#include <QCheckBox>
#include <QCoreApplication>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace orbitshelf::test;

namespace {

class PluginListTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        QString error;
        store = PersistenceController::open(dir.filePath(QStringLiteral("Favorite.sqlite")), &error);
        ASSERT_TRUE(store) << error.toStdString();
        platform::Services services = platform::fake::services();
        services.hotKeys = platform::fake::lent(hotKeys);
        platform::install(std::move(services));
        resetHotKeysForTesting();
        state.installedPlugins.clear();
        CustomSettings().setFirstInstalled(false);
    }
    void TearDown() override
    {
        resetHotKeysForTesting();
        platform::uninstall();
        state.installedPlugins.clear();
    }

    int records(const QString& name) const
    {
        int n = 0;
        for (const Record& r : store->fetchAll(Entity::Plugins))
            n += r.text(QStringLiteral("name")) == name;
        return n;
    }
    void plant(const QString& name)
    {
        ASSERT_TRUE(store->insert(Entity::Plugins, { { "name", name }, { "installed", true } }));
        ASSERT_TRUE(store->save());
    }

    TempUserDefaults defaults;
    QTemporaryDir dir;
    std::unique_ptr<PersistenceController> store;
    platform::fake::FakeHotKeys hotKeys;
    AppState& state = AppState::shared();
    const quint32 optionShift = platform::carbon::option | platform::carbon::shift;
};

} // namespace

TEST_F(PluginListTest, ListStartsOnPasteboardUnpinnedAndLabelsFollowTheStore)
{
    QStringList names;
    for (const Plugin& p : pluginList())
        names << p.name;
    EXPECT_EQ(names, QStringList({ "Pasteboard", "FastFinder", "Pomodoro", "Todo", "Note" }));
    EXPECT_FALSE(pluginNamed(QStringLiteral("Todo"))->active);

    PluginsController page(state, *store);
    EXPECT_EQ(page.currentPlugin().name, QStringLiteral("Pasteboard"));
    EXPECT_FALSE(page.pinPlugin());
    EXPECT_EQ(page.installButtonTitle(), QStringLiteral("Install"));
    EXPECT_EQ(page.pinTitle(), QStringLiteral("Pin On Dock (after Install)"));

    CustomSettings().setPinedPlugins({ { "Note", "true" }, { "Pomodoro", "false" } });
    plant(QStringLiteral("Note"));
    plant(QStringLiteral("Pomodoro"));
    page.selectPlugin(QStringLiteral("Note"));
    EXPECT_TRUE(page.pinPlugin());
    EXPECT_TRUE(page.pinSwitch().checked);
    page.selectPlugin(QStringLiteral("Pomodoro"));
    EXPECT_FALSE(page.pinPlugin()) << "only the text \"true\" pins";
    EXPECT_FALSE(page.pinSwitch().checked);
    page.selectPlugin(QStringLiteral("Calendar"));
    EXPECT_EQ(page.currentPlugin().name, QStringLiteral("Pomodoro")) << "an unknown name selects nothing";
}

TEST_F(PluginListTest, InstallingPasteboardBindsItsTwoKeysAndCaptureFollowsInstallAndRemoveAtOnce)
{
    CustomSettings().setShortcutOptionForPasteboardWindow(QStringLiteral("hyper"));
    // An earlier registration of P, as the bar's start makes it.
    toolHotKeyRefs().insert(35, *hotKeys.registerHotKey(35, platform::carbon::command));

    PluginsController page(state, *store);
    int changes = 0;
    QObject::connect(&page, &PluginsController::changed, [&] { ++changes; });
    page.toggleInstall(QStringLiteral("Pasteboard"));
    EXPECT_EQ(records(QStringLiteral("Pasteboard")), 1);
    EXPECT_TRUE(state.isPluginInstalled(QStringLiteral("Pasteboard"))) << "capture runs from now on";
    EXPECT_EQ(page.installButtonTitle(), QStringLiteral("Remove"));
    EXPECT_GE(changes, 1);
    EXPECT_EQ(CustomSettings().shortcutOptionForPasteboardWindow(), QStringLiteral("option"));

    // The tool's two keys at once, P and H with Alt+Shift (no switcher
    // keys); the earlier P let go.
    const auto active = [this] {
        QStringList keys;
        for (const auto& r : hotKeys.active())
            keys << QStringLiteral("%1/0x%2").arg(r.keyCode).arg(r.modifiers, 0, 16);
        return keys;
    };
    EXPECT_EQ(active(), QStringList({ "35/0xa00", "4/0xa00" })) << "the earlier P is released";
    EXPECT_EQ(toolHotKeyRefs().value(35), hotKeys.active()[0].reference);
    EXPECT_FALSE(page.pasteboardKeyRefused());

    page.toggleInstall(QStringLiteral("Pasteboard"));
    EXPECT_EQ(records(QStringLiteral("Pasteboard")), 0);
    EXPECT_FALSE(state.isPluginInstalled(QStringLiteral("Pasteboard"))) << "capture stops now";
    EXPECT_EQ(page.installButtonTitle(), QStringLiteral("Install"));
    EXPECT_EQ(active(), QStringList()) << "a removed tool holds no key";
    EXPECT_TRUE(toolHotKeyRefs().isEmpty());
}

TEST_F(PluginListTest, AKeyHeldElsewhereLeavesNoEntryAndIsReported)
{
    hotKeys.taken.insert({ 35, optionShift });
    PluginsController page(state, *store);
    page.toggleInstall(QStringLiteral("Pasteboard"));
    EXPECT_FALSE(toolHotKeyRefs().contains(35));
    EXPECT_TRUE(page.pasteboardKeyRefused());
    EXPECT_TRUE(takenHotKeys().contains(QStringLiteral("Alt + Shift + P")));
    EXPECT_EQ(records(QStringLiteral("Pasteboard")), 1) << "the tool is installed all the same";

    PluginsView view(state, *store);
    view.controller().toggleInstall(QStringLiteral("Pasteboard"));
    view.controller().toggleInstall(QStringLiteral("Pasteboard"));
    auto* refused = view.findChild<QLabel*>(QStringLiteral("keyRefused"));
    ASSERT_TRUE(refused);
    EXPECT_FALSE(refused->isHidden());
    EXPECT_TRUE(refused->text().startsWith(QStringLiteral("Alt + Shift + P ")))
        << refused->text().toStdString();
}

TEST_F(PluginListTest, FirstRunBringsOnePomodoroAndRemoveTakesEveryRecordOfTheName)
{
    PluginsController page(state, *store);
    page.appear();
    EXPECT_EQ(records(QStringLiteral("Pomodoro")), 0) << "not a first run: nothing changes";

    CustomSettings().setFirstInstalled(true);
    page.appear();
    page.appear();
    EXPECT_EQ(records(QStringLiteral("Pomodoro")), 1);

    plant(QStringLiteral("Pomodoro")); // an older version's second record
    page.selectPlugin(QStringLiteral("Pomodoro"));
    EXPECT_EQ(page.installButtonTitle(), QStringLiteral("Remove"));
    page.toggleInstall(QStringLiteral("Pomodoro"));
    EXPECT_EQ(records(QStringLiteral("Pomodoro")), 0);
    EXPECT_FALSE(state.isPluginInstalled(QStringLiteral("Pomodoro")));
    EXPECT_EQ(page.installButtonTitle(), QStringLiteral("Install"));
}

TEST_F(PluginListTest, PinSwitchAndReplaceFinderStoreAndStamp)
{
    plant(QStringLiteral("FastFinder"));
    PluginsController page(state, *store);
    const struct {
        const char* what;
        std::function<void()> act;
        StringMap pinned;
        bool replaceFinder;
        bool pinSwitch;
    } steps[] = {
        { "FastFinder pinned",
            [&] {
                page.selectPlugin(QStringLiteral("FastFinder"));
                page.applyPinChange(true);
            },
            { { "FastFinder", "true" } }, false, true },
        { "unpin removes the key", [&] { page.applyPinChange(false); }, {}, false, false },
        { "pinned again", [&] { page.applyPinChange(true); }, { { "FastFinder", "true" } }, false, true },
        { "Replace Finder on while pinned keeps it pinned", [&] { page.applyReplaceFinderChange(true); },
            { { "FastFinder", "true" } }, true, true },
        { "Replace Finder off changes only itself", [&] { page.applyReplaceFinderChange(false); },
            { { "FastFinder", "true" } }, false, true },
        { "Replace Finder on while unpinned pins it",
            [&] {
                page.applyPinChange(false);
                page.applyReplaceFinderChange(true);
            },
            { { "FastFinder", "true" } }, true, true },
    };
    for (const auto& step : steps) {
        const QDateTime before = state.lastUpdateTime;
        ChangeCounter changes(state);
        step.act();
        EXPECT_EQ(CustomSettings().pinedPlugins(), step.pinned) << step.what;
        EXPECT_EQ(CustomSettings().replaceFinder(), step.replaceFinder) << step.what;
        EXPECT_EQ(page.pinPlugin(), step.pinSwitch) << step.what;
        EXPECT_GE(changes.count, 1) << step.what << ": stamped";
        EXPECT_TRUE(state.lastUpdateTime.isValid() && state.lastUpdateTime >= before) << step.what;
    }
    EXPECT_EQ(page.pinTitle(), QStringLiteral("Pin On Dock"));
}

TEST_F(PluginListTest, PageShowsWaitingForTodoAndColoursTheButtonByInstallation)
{
    PluginsView view(state, *store);
    auto* install = view.findChild<QPushButton*>(QStringLiteral("installButton"));
    auto* pin = view.findChild<QCheckBox*>(QStringLiteral("pinSwitch"));
    ASSERT_TRUE(install && pin);
    EXPECT_EQ(install->text(), QStringLiteral("Install"));
    EXPECT_EQ(install->property("backgroundColor").value<QColor>(), QColor::fromRgb(16, 172, 132));
    install->click();
    EXPECT_EQ(install->text(), QStringLiteral("Remove"));
    EXPECT_EQ(install->property("backgroundColor").value<QColor>(), QColor(Qt::red));

    view.controller().selectPlugin(QStringLiteral("Todo"));
    EXPECT_TRUE(install->isHidden());
    bool waiting = false;
    for (QLabel* label : view.findChildren<QLabel*>())
        waiting = waiting || (label->text() == QStringLiteral("waiting") && !label->isHidden());
    EXPECT_TRUE(waiting);
    // A tool that cannot be installed cannot be pinned either.
    EXPECT_FALSE(pin->isEnabled());
    pin->click();
    EXPECT_FALSE(CustomSettings().pinedPlugins().contains(QStringLiteral("Todo")));
    EXPECT_EQ(pin->text(), QStringLiteral("Pin On Dock"));
}

// The switch's label says what ticking does, in every state; until the tool
// is installed there is nothing to pin, and the switch says why.
TEST_F(PluginListTest, PinSwitchLabelAndStateFollowInstallationAndTheStoredPin)
{
    const Plugin clipboard = *pluginNamed(QStringLiteral("Pasteboard"));
    const Plugin todo = *pluginNamed(QStringLiteral("Todo"));
    const struct {
        const char* what;
        const Plugin& plugin;
        bool installed;
        bool pinned;
        PinSwitchLook look;
    } rows[] = {
        { "not installed", clipboard, false, false, { "Pin On Dock (after Install)", false, false } },
        { "installed, not pinned", clipboard, true, false, { "Pin On Dock", false, true } },
        { "installed and pinned", clipboard, true, true, { "Pin On Dock", true, true } },
        { "a pin left after Remove can be taken off", clipboard, false, true,
            { "Pin On Dock (after Install)", true, true } },
        { "a tool that cannot be installed yet", todo, false, false, { "Pin On Dock", false, false } },
    };
    for (const auto& row : rows) {
        const PinSwitchLook look = pinSwitchLook(row.plugin, row.installed, row.pinned);
        EXPECT_EQ(look.title, row.look.title) << row.what;
        EXPECT_EQ(look.checked, row.look.checked) << row.what;
        EXPECT_EQ(look.enabled, row.look.enabled) << row.what;
    }

    // Before Install a pin is refused; after it the same tick pins.
    PluginsController page(state, *store);
    page.selectPlugin(QStringLiteral("Note"));
    page.applyPinChange(true);
    EXPECT_FALSE(CustomSettings().pinedPlugins().contains(QStringLiteral("Note")));
    EXPECT_FALSE(page.pinSwitch().checked);
    page.toggleInstall(QStringLiteral("Note"));
    EXPECT_TRUE(page.pinSwitch().enabled);
    page.applyPinChange(true);
    EXPECT_EQ(CustomSettings().pinedPlugins().value(QStringLiteral("Note")), QStringLiteral("true"));
    EXPECT_TRUE(page.pinSwitch().checked);
}

// The tiles are 100 wide; the names shown on this desktop ("Folder Browser")
// are longer than their sources and must still be read whole.
TEST_F(PluginListTest, EveryToolNameIsReadWholeOnItsTile)
{
    for (const bool shownTexts : { false, true }) {
        SCOPED_TRACE(shownTexts ? "texts as shown here" : "source texts");
        ShownTextTranslator translator;
        if (shownTexts)
            QCoreApplication::installTranslator(&translator);
        PluginsView view(state, *store);
        view.resize(780, 540);
        view.show();
        QCoreApplication::processEvents();
        const QList<QLabel*> names = view.findChildren<QLabel*>(QStringLiteral("pluginName"));
        EXPECT_EQ(names.size(), int(pluginList().size()));
        for (QLabel* name : names) {
            const std::string what = name->text().toStdString();
            const QRect inTile = name->parentWidget()->rect();
            EXPECT_TRUE(inTile.contains(name->geometry())) << what;
            const bool oneLine = name->width() >= name->fontMetrics().horizontalAdvance(name->text());
            const bool wrapsWhole = name->wordWrap() && name->height() >= name->heightForWidth(name->width());
            EXPECT_TRUE(oneLine || wrapsWhole) << what << " is cut";
        }
    }
}

TEST_F(PluginListTest, RemoveTakesTheToolOffTheBarAndClosesItsPanel)
{
    CustomSettings().setPinedPlugins({ { "Pomodoro", "true" }, { "Note", "true" } });
    PluginsController page(state, *store);
    page.selectPlugin(QStringLiteral("Pomodoro"));
    page.toggleInstall(QStringLiteral("Pomodoro"));
    state.popups[Tool::Pomodoro] = true;
    ChangeCounter published(state);

    page.toggleInstall(QStringLiteral("Pomodoro"));
    EXPECT_EQ(CustomSettings().pinedPlugins(), (StringMap { { "Note", "true" } }))
        << "only the removed tool leaves the bar";
    EXPECT_FALSE(page.pinPlugin());
    EXPECT_FALSE(page.pinSwitch().enabled) << "a removed tool is pinned again only after Install";
    EXPECT_FALSE(state.popups[Tool::Pomodoro]) << "its open panel closes";
    EXPECT_GE(published.count, 1) << "the bar hears it and drops the tile";
}

// A user who picks the clipboard window's key before installing the tool:
// the key stays the programs' until the install, which binds that key (and
// H as chosen), and the open Shortcut page follows both ways.
TEST_F(PluginListTest, AClipboardKeyChosenBeforeTheInstallIsTheOneTheInstallBinds)
{
    ShortCutView shortcuts;
    const QString row = QStringLiteral("Open the clipboard window");
    const auto choice = [&](const QString& label) -> QRadioButton* {
        for (QRadioButton* button : shortcuts.findChildren<QRadioButton*>())
            if (button->property("row") == row && button->text() == label)
                return button;
        return nullptr;
    };
    const auto waitingShown = [&] {
        for (const QLabel* label : shortcuts.findChildren<QLabel*>(QStringLiteral("waiting")))
            if (label->property("row") == row)
                return !label->isHidden();
        return false;
    };
    const auto active = [this] {
        QStringList keys;
        for (const auto& r : hotKeys.active())
            keys << QStringLiteral("%1/0x%2").arg(r.keyCode).arg(r.modifiers, 0, 16);
        return keys;
    };
    ASSERT_TRUE(choice(QStringLiteral("Ctrl + P")));
    choice(QStringLiteral("Ctrl + P"))->click();
    EXPECT_EQ(CustomSettings().shortcutOptionForPasteboardWindow(), QStringLiteral("cmd"));
    EXPECT_EQ(active(), QStringList()) << "nothing is grabbed before the install";
    EXPECT_TRUE(waitingShown());

    PluginsView plugins(state, *store);
    plugins.controller().toggleInstall(QStringLiteral("Pasteboard"));
    EXPECT_EQ(active(), QStringList({ "35/0x100", "4/0xa00" }));
    EXPECT_EQ(CustomSettings().shortcutOptionForPasteboardWindow(), QStringLiteral("cmd"))
        << "the choice is kept";
    EXPECT_TRUE(choice(QStringLiteral("Ctrl + P"))->isChecked());
    EXPECT_FALSE(waitingShown());

    plugins.controller().toggleInstall(QStringLiteral("Pasteboard"));
    EXPECT_EQ(active(), QStringList());
    EXPECT_TRUE(waitingShown());

    // Held elsewhere, the chosen key is the one the Plugins page names.
    hotKeys.taken.insert({ 35, platform::carbon::command });
    plugins.controller().toggleInstall(QStringLiteral("Pasteboard"));
    EXPECT_TRUE(plugins.controller().pasteboardKeyRefused());
    auto* refused = plugins.findChild<QLabel*>(QStringLiteral("keyRefused"));
    ASSERT_TRUE(refused);
    EXPECT_TRUE(refused->text().startsWith(QStringLiteral("Ctrl + P "))) << refused->text().toStdString();
    EXPECT_FALSE(waitingShown());

    // "None" chosen: the install binds no P at all and reports no refusal.
    plugins.controller().toggleInstall(QStringLiteral("Pasteboard"));
    choice(QStringLiteral("None"))->click();
    plugins.controller().toggleInstall(QStringLiteral("Pasteboard"));
    EXPECT_EQ(active(), QStringList({ "4/0xa00" }));
    EXPECT_FALSE(plugins.controller().pasteboardKeyRefused());
    EXPECT_EQ(CustomSettings().shortcutOptionForPasteboardWindow(), QStringLiteral("alpha"));
}
