// The tag editor's form, offscreen.
#include "state/AppState.h"
#include "apps/ModelSettings.h"
#include "apps/Windows.h"
#include "dock/menus/WindowTagEditorForm.h"
#include "tests/support/TempStores.h"

#include <QApplication>
#include <QColorDialog>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>

#include <gtest/gtest.h>

namespace {

TEST(EditWindowFormWidget, PrefillsAndStoresThroughItsButtons)
{
    orbitshelf::test::TempUserDefaults defaults;
    AppState state;
    InMemoryModelSettings settings;
    auto window = std::make_shared<Windows>();
    window->num = 12;
    window->title = QStringLiteral("build log");
    int closes = 0;

    WindowTagEditorForm form(state, settings, window, [&] { ++closes; });
    form.show();
    EXPECT_EQ(form.nameField()->text(), "build log");
    EXPECT_EQ(form.nameField()->placeholderText(), "Tag Name");

    form.pickColour(QColor(10, 20, 30, 100));
    EXPECT_EQ(settings.tagColors.value("Optional(12)"), "0A141E");

    form.nameField()->setText(QStringLiteral("CI"));
    QPushButton* ok = nullptr;
    for (QPushButton* button : form.findChildren<QPushButton*>())
        if (button->text() == "OK")
            ok = button;
    ASSERT_TRUE(ok);
    ok->click();
    EXPECT_EQ(settings.tagNames.value("Optional(12)"), "CI");
    EXPECT_EQ(closes, 1);
}

TEST(EditWindowFormWidget, ClosingTheWindowTellsTheBarToo)
{
    orbitshelf::test::TempUserDefaults defaults;
    AppState state;
    InMemoryModelSettings settings;
    auto window = std::make_shared<Windows>();
    window->num = 12;
    int closes = 0;
    // The window manager's close button and Escape end in reject(); the bar
    // would otherwise think the editor still open.
    WindowTagEditorForm form(state, settings, window, [&] { ++closes; });
    form.show();
    form.close();
    EXPECT_EQ(closes, 1);
}

TEST(EditWindowFormWidget, OneEditorAtATimeForTheWindowAskedForLast)
{
    orbitshelf::test::TempUserDefaults defaults;
    QWidget bar;
    auto first = std::make_shared<Windows>();
    first->num = 12;
    auto second = std::make_shared<Windows>();
    second->num = 13;
    int firstCloses = 0, secondCloses = 0;

    QPointer<WindowTagEditorForm> editor = showWindowTagEditor(
        first, [&] { ++firstCloses; }, &bar);
    ASSERT_TRUE(editor);
    EXPECT_EQ(showWindowTagEditor(
                  first, [&] { ++firstCloses; }, &bar),
        editor.data())
        << "asked again for its window: the same editor";
    EXPECT_EQ(firstCloses, 0);

    WindowTagEditorForm* other = showWindowTagEditor(
        second, [&] { ++secondCloses; }, &bar);
    EXPECT_NE(other, editor.data());
    EXPECT_EQ(firstCloses, 1) << "the first editor closed, and told its bar";
    EXPECT_FALSE(editor && editor->isVisible());
    EXPECT_TRUE(other->isVisible());
    other->reject();
    EXPECT_EQ(secondCloses, 1);
}

TEST(EditWindowFormWidget, PickingAColourLeavesTheBarAnswering)
{
    orbitshelf::test::TempUserDefaults defaults;
    QWidget bar;
    bar.show();
    auto window = std::make_shared<Windows>();
    window->num = 12;
    QPointer<WindowTagEditorForm> editor = showWindowTagEditor(
        window, [] {}, &bar);
    ASSERT_TRUE(editor);
    for (QPushButton* button : editor->findChildren<QPushButton*>())
        if (button->text().isEmpty()) // the colour's swatch
            button->click();
    auto* dialog = editor->findChild<QColorDialog*>();
    ASSERT_TRUE(dialog && dialog->isVisible());
    // Modal to the editor, it would be modal to the editor's bar as well.
    EXPECT_EQ(dialog->windowModality(), Qt::NonModal);
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
    editor->reject();
}

} // namespace
