// Every page, menu and window as a user meets it, with the program's table of
// shown texts installed: no text names another system, its dock, launcher or
// file manager, or a key this keyboard does not have, and every character of
// every text has a font that draws it (no empty boxes).
//
// A new page or window is one more row in `surfaces()`; a text that is
// painted rather than held by a widget is one more row in `paintedTexts()`.
#include "state/Persistence.h"
#include "state/AppState.h"
#include "state/ShownTexts.h"
#include "state/UserDefaults.h"
#include "apps/ModelSettings.h"
#include "apps/Windows.h"
#include "dock/buttons/HotKeyBadge.h"
#include "dock/menus/AppContextMenu.h"
#include "dock/menus/DockSettingsMenu.h"
#include "dock/menus/MenuWidget.h"
#include "dock/menus/WindowTagEditorForm.h"
#include "settings/GeneralConfig.h"
#include "settings/QuitView.h"
#include "settings/ScreensView.h"
#include "settings/ShortCutView.h"
#include "shell/OnboardingWindow.h"
#include "switcher/FloatDockView.h"
#include "switcher/HotKeySettings.h"
#include "switcher/WindowHotKeyBinding.h"
#include "tests/support/TempStores.h"
#include "tools/FastFinderView.h"
#include "tools/NoteView.h"
#include "tools/PasteBoardView.h"
#include "tools/PomodoroView.h"
#include "tools/SettingView.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QApplication>
#include <QComboBox>
#include <QFontDatabase>
#include <QFontMetrics>
#include <QGroupBox>
#include <QGuiApplication>
#include <QHash>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPainter>
#include <QPlainTextEdit>
#include <QTabBar>
#include <QTabWidget>
#include <QTextDocumentFragment>
#include <QTextEdit>

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <ostream>

// Failures name the texts, not their bytes.
QT_BEGIN_NAMESPACE
inline void PrintTo(const QString& text, std::ostream* out)
{
    *out << '"' << text.toStdString() << '"';
}
QT_END_NAMESPACE

namespace {

// What a user can read on a widget tree: titles, labels, buttons, tabs,
// menus, list entries, hints and tool tips.
void collectTexts(QWidget* widget, QStringList& out)
{
    const auto add = [&out](const QString& text) {
        if (!text.trimmed().isEmpty())
            out << text;
    };
    if (widget->isWindow())
        add(widget->windowTitle());
    add(widget->toolTip());
    add(widget->statusTip());
    if (auto* label = qobject_cast<QLabel*>(widget))
        add(label->textFormat() == Qt::PlainText
                ? label->text()
                : QTextDocumentFragment::fromHtml(label->text()).toPlainText());
    if (auto* button = qobject_cast<QAbstractButton*>(widget))
        add(button->text());
    if (auto* group = qobject_cast<QGroupBox*>(widget))
        add(group->title());
    if (auto* line = qobject_cast<QLineEdit*>(widget))
        add(line->placeholderText());
    if (auto* edit = qobject_cast<QPlainTextEdit*>(widget)) {
        add(edit->placeholderText());
        add(edit->toPlainText());
    }
    if (auto* edit = qobject_cast<QTextEdit*>(widget))
        add(edit->placeholderText());
    if (auto* combo = qobject_cast<QComboBox*>(widget)) {
        for (int i = 0; i < combo->count(); ++i)
            add(combo->itemText(i));
    }
    if (auto* view = qobject_cast<QAbstractItemView*>(widget); view && view->model()) {
        const QAbstractItemModel* model = view->model();
        for (int row = 0; row < model->rowCount(); ++row) {
            add(model->index(row, 0).data(Qt::DisplayRole).toString());
            add(model->index(row, 0).data(Qt::ToolTipRole).toString());
        }
    }
    if (auto* tabs = qobject_cast<QTabBar*>(widget)) {
        for (int i = 0; i < tabs->count(); ++i) {
            add(tabs->tabText(i));
            add(tabs->tabToolTip(i));
        }
    }
    for (QAction* action : widget->actions()) {
        add(action->text());
        add(action->toolTip() == action->text() ? QString() : action->toolTip());
        if (QMenu* sub = action->menu())
            collectTexts(sub, out);
    }
    for (QObject* child : widget->children()) {
        if (auto* w = qobject_cast<QWidget*>(child))
            collectTexts(w, out);
    }
}

// Whether some installed font draws `ucs4`, as Qt's font fallback would find
// one. Joiners and variation selectors draw nothing of their own.
bool hasFont(char32_t ucs4)
{
    if (ucs4 < 0x20 || ucs4 == 0x200d || (ucs4 >= 0xfe00 && ucs4 <= 0xfe0f) || ucs4 == 0x2028
        || ucs4 == 0x2029)
        return true;
    static QHash<char32_t, bool> known;
    const auto it = known.constFind(ucs4);
    if (it != known.constEnd())
        return *it;
    bool found = QFontMetrics(QApplication::font()).inFontUcs4(ucs4);
    for (const QString& family : QFontDatabase::families()) {
        if (found)
            break;
        found = QFontMetrics(QFont(family)).inFontUcs4(ucs4);
    }
    known.insert(ucs4, found);
    return found;
}

QStringList glyphsWithoutFont(const QString& text)
{
    QStringList missing;
    for (const char32_t c : text.toUcs4()) {
        if (!hasFont(c))
            missing << QStringLiteral("U+%1").arg(uint(c), 4, 16, QLatin1Char('0')).toUpper();
    }
    return missing;
}

struct Surface {
    const char* name;
    std::function<std::unique_ptr<QWidget>()> make;
};

std::unique_ptr<QWidget> menuHost(const std::function<QMenu*(QWidget*)>& makeMenu)
{
    auto host = std::make_unique<QWidget>();
    QMenu* menu = makeMenu(host.get());
    host->addAction(menu->menuAction());
    return host;
}

std::vector<Surface> surfaces()
{
    return {
        { "OnboardingWindow", [] { return makeOnboardingWindow(); } },
        { "SettingsWindow", [] { return std::make_unique<GeneralConfig>(); } },
        { "CalibrationDialog",
            [] { return std::make_unique<CalibrationDialog>(QGuiApplication::primaryScreen()); } },
        { "QuitWindow", [] { return std::make_unique<QuitView>(); } },
        { "BarSettingsMenu",
            [] {
                return menuHost([](QWidget* host) {
                    return buildMenu(dockSettingsMenu(DockSettingsMenuInput {}), host, {});
                });
            } },
        { "BarSettingsMenuAsHeld",
            [] {
                return menuHost([](QWidget* host) {
                    DockSettingsMenuInput input;
                    const HotKeyMenuTexts held = hotKeyMenuTexts();
                    input.hotKeyLines = QStringList { held.autoHide } + held.shortcuts;
                    return buildMenu(dockSettingsMenu(input), host, {});
                });
            } },
        { "ShortcutPage", [] { return std::make_unique<ShortCutView>(); } },
        { "WindowButtonMenu",
            [] {
                return menuHost([](QWidget* host) {
                    AppMenuInputs inputs;
                    inputs.appBundleName = QStringLiteral("xterm");
                    return buildMenu(
                        appContextMenu(inputs, dockSettingsMenu(DockSettingsMenuInput {})), host, {});
                });
            } },
        { "TagEditor",
            [] {
                static InMemoryModelSettings settings;
                auto window = std::make_shared<Windows>();
                window->num = 7;
                window->title = QStringLiteral("notes");
                return std::make_unique<WindowTagEditorForm>(AppState::shared(), settings, window, [] {});
            } },
        { "ClipboardPanel",
            [] {
                return std::unique_ptr<QWidget>(makePasteBoardView(AppState::shared(), std::nullopt, 40));
            } },
        { "FolderBrowser",
            [] {
                return std::unique_ptr<QWidget>(
                    makeFastFinderView(AppState::shared(), FastFinderPlacement { false, 1440 }));
            } },
        { "Pomodoro", [] { return std::unique_ptr<QWidget>(makePomodoroView(AppState::shared())); } },
        { "Notes", [] { return std::unique_ptr<QWidget>(makeNoteView(AppState::shared())); } },
        { "ToolHub", [] { return std::unique_ptr<QWidget>(makeSettingView(AppState::shared())); } },
    };
}

// Texts the program paints itself, gathered by the functions that make them.
std::vector<std::pair<const char*, std::function<QStringList()>>> paintedTexts()
{
    return {
        { "SwitcherHints", [] { return switcherHintTexts(); } },
        { "BarHotKeyBadge", [] { return QStringList { hotKeyBadgeText(QStringLiteral("f")) }; } },
        { "TagEditorHotKeys",
            [] {
                return QStringList { hotKeyChoiceLabel(QStringLiteral("a")),
                    hotKeyChoiceLabel(QStringLiteral("disable")) };
            } },
        { "ShortcutChoices",
            [] {
                QStringList texts;
                for (FixedHotKey key : { FixedHotKey::Tab, FixedHotKey::Pasteboard, FixedHotKey::Autohide,
                         FixedHotKey::HideWindow }) {
                    for (const HotKeyChoice& choice : hotKeyChoicesFor(key))
                        texts << choice.label;
                }
                return texts;
            } },
    };
}

class ShownTexts : public ::testing::Test {
protected:
    // As main installs it; taken away again for the tests that follow in
    // the same process.
    static ShownTextTranslator& translator()
    {
        static ShownTextTranslator table;
        return table;
    }
    static void TearDownTestSuite() { QCoreApplication::removeTranslator(&translator()); }
    static void SetUpTestSuite()
    {
        QCoreApplication::installTranslator(&translator());
        if (!PersistenceController::hasShared()) {
            ASSERT_FALSE(PersistenceController::openShared());
        }
    }
    void SetUp() override { AppState::shared().settings.setFirstInstalled(false); }

    static void expectTrueHere(const char* where, const QStringList& texts)
    {
        ASSERT_FALSE(texts.isEmpty()) << where << " shows no text at all: the walk missed it";
        for (const QString& text : texts) {
            EXPECT_EQ(falseWordsIn(text), QStringList()) << where << ": \"" << text.toStdString() << "\"";
            EXPECT_EQ(glyphsWithoutFont(text), QStringList())
                << where << ": \"" << text.toStdString() << "\" has characters no font draws";
        }
    }

    orbitshelf::test::TempUserDefaults defaults;
};

} // namespace

TEST_F(ShownTexts, EveryPageMenuAndWindow)
{
    for (const Surface& surface : surfaces()) {
        SCOPED_TRACE(surface.name);
        std::unique_ptr<QWidget> widget = surface.make();
        ASSERT_TRUE(widget);
        QStringList texts;
        collectTexts(widget.get(), texts);
        expectTrueHere(surface.name, texts);
    }
}

TEST_F(ShownTexts, PaintedTexts)
{
    for (const auto& [name, texts] : paintedTexts())
        expectTrueHere(name, texts());
}

// Every place a key is shown names the modifier the user chose, under every
// choice, in this keyboard's names.
TEST_F(ShownTexts, KeyTextsFollowTheChosenModifier)
{
    struct Choice {
        const char* option;
        const char* tab; // the Tab row's key, and the switcher's hints
        const char* autoHide; // the H row's
        const char* w; // the W row's, and a window bound to "w"
    };
    const Choice choices[] = {
        { "option", "Alt + Tab", "Alt + Shift + H", "Alt + W" },
        { "control", "Super + Tab", "Super + Shift + H", "Super + W" },
        { "cmd", "Alt + Tab", "Ctrl + Shift + H", "Ctrl + W" }, // the Tab row has no Ctrl
        { "shift", "Shift + Tab", "Alt + Shift + H", "Alt + W" }, // the H and W rows have no Shift
    };
    CustomSettings& settings = AppState::shared().settings;
    for (const Choice& choice : choices) {
        SCOPED_TRACE(choice.option);
        const QString option = QString::fromLatin1(choice.option);
        const QString tabOption = option == QLatin1String("cmd") ? QStringLiteral("option") : option;
        settings.setShortcutOptionForOpenFloatWindow(tabOption);
        const QString rowOption = option == QLatin1String("shift") ? QStringLiteral("option") : option;
        settings.setShortcutOptionForOpenAutohide(rowOption);
        settings.setShortcutOptionForHideWindow(rowOption);
        const QString tab = QString::fromLatin1(choice.tab);

        EXPECT_EQ(switcherHintTexts().value(0), tab);
        EXPECT_EQ(switcherHintTexts().value(1), tab.left(tab.size() - 3) + QLatin1Char('`'));
        const HotKeyMenuTexts menu = hotKeyMenuTexts();
        EXPECT_TRUE(menu.shortcuts.value(0).startsWith(tab + QLatin1Char(' ')))
            << menu.shortcuts.value(0).toStdString();
        EXPECT_TRUE(menu.autoHide.startsWith(QString::fromLatin1(choice.autoHide)))
            << menu.autoHide.toStdString();
        EXPECT_EQ(hotKeyBadgeText(QStringLiteral("w")), QString::fromLatin1(choice.w));
        EXPECT_EQ(hotKeyChoiceLabel(QStringLiteral("w")), QString::fromLatin1(choice.w));
        EXPECT_EQ(hotKeyBadgeText(QStringLiteral("f")), QStringLiteral("Alt + F"));

        ShortCutView page;
        QStringList checked;
        for (const QAbstractButton* button : page.findChildren<QAbstractButton*>())
            if (button->isChecked())
                checked << button->text();
        EXPECT_EQ(checked.value(0), tab) << "the Tab row's choice";
        EXPECT_EQ(checked.value(2), QString::fromLatin1(choice.autoHide)) << "the H row's choice";
    }
}

TEST_F(ShownTexts, TheTableSpeaksLinuxAndDrawsEveryGlyph)
{
    for (const ShownText& row : shownTextTable()) {
        const QString source = QString::fromUtf8(row.source);
        const QString shown = QString::fromUtf8(row.shown);
        EXPECT_NE(source, shown) << row.source;
        EXPECT_EQ(shownText(source), shown);
        EXPECT_EQ(falseWordsIn(shown), QStringList()) << row.shown;
        EXPECT_EQ(glyphsWithoutFont(shown), QStringList()) << row.shown;
        EXPECT_EQ(QCoreApplication::translate("AnyContext", row.source), shown) << "reached through tr()";
    }
    EXPECT_EQ(QCoreApplication::translate("AnyContext", "Quit"), QStringLiteral("Quit"))
        << "others pass as written";
}

TEST(FalseWords, KeyNamesAndOtherSystems)
{
    struct Case {
        const char* text;
        QStringList expected;
    };
    const Case cases[] = {
        { "Option + Tab", { "Option +" } },
        { "4 Powerfull Option-Tab Replace Command-Tab", { "Option-", "Command-" } },
        { "Shift + Command", { "+ Command" } },
        { "Option A", { "Option A" } },
        { "Press the Option key", { "Option key" } },
        { "Contrl + W", { "Contrl" } },
        { "⌥ + P (Pasteboard)", { "⌥" } },
        { "⌘W", { "⌘" } },
        { "⇧ + H", { "⇧" } },
        { "\u2303 + tab", { "⌃" } },
        { "^ + tab", { "^" } },
        { "the native macOS Dock", { "macOS" } },
        { "Open in Finder", { "Finder" } },
        { "FastFinder", { "Finder" } },
        { "Add Launchpad Button", { "Launchpad" } },
        { "Options", {} },
        { "Pick an option: the command runs", {} },
        { "Command line options", {} },
        { "Alt + Tab", {} },
        { "Ctrl + Shift + H", {} },
    };
    for (const Case& c : cases)
        EXPECT_EQ(falseWordsIn(QString::fromUtf8(c.text)), c.expected) << c.text;
}

// What the glyph check promises, as pixels: the pictures before the steps
// and switches come out in colour, where a missing glyph is a grey box.
TEST(ShownTextsPixels, EmojiAreDrawnInColour)
{
    for (const char* emoji : { "🔥", "🦄", "💫" }) {
        QImage image(64, 64, QImage::Format_ARGB32);
        image.fill(Qt::white);
        QPainter painter(&image);
        QFont font = QApplication::font();
        font.setPixelSize(32);
        painter.setFont(font);
        painter.setPen(Qt::black);
        painter.drawText(image.rect(), Qt::AlignCenter, QString::fromUtf8(emoji));
        painter.end();
        int coloured = 0;
        for (int y = 0; y < image.height(); ++y) {
            for (int x = 0; x < image.width(); ++x)
                coloured += image.pixelColor(x, y).hsvSaturation() > 100 ? 1 : 0;
        }
        EXPECT_GT(coloured, 50) << emoji << " is not drawn in colour";
    }
}
