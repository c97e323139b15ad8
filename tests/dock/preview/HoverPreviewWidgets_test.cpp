// The widgets of the hover preview, the settings menu and the tag editor,
// rendered offscreen.
#include "app/AppState.h"
#include "apps/ModelSettings.h"
#include "apps/Windows.h"
#include "dock/menus/DockSettingsMenu.h"
#include "dock/menus/EditWindowForm.h"
#include "dock/menus/MenuWidget.h"
#include "dock/preview/WindowHoverPreview.h"
#include "tests/support/TempStores.h"

#include <QLineEdit>
#include <QMenu>
#include <QPushButton>

#include <gtest/gtest.h>

namespace {

TEST(WindowHoverPreviewWidget, DrawsThePictureWhereTheLayoutSays)
{
    QWidget bar;
    bar.resize(1200, 600);
    WindowHoverPreview preview(&bar);

    QImage picture(1600, 1000, QImage::Format_ARGB32);
    picture.fill(QColor(20, 200, 40));
    HoverPreviewInput input;
    input.hoveredNumber = input.windowNumber = 9;
    input.title = QStringLiteral("xterm");
    input.thumbnailSize = picture.size();
    preview.present(hoverPreviewLayout(input), picture, QPointF(600, 550));

    EXPECT_TRUE(preview.isVisible());
    EXPECT_TRUE(preview.isWindow()) << "a window of its own above the bar";
    EXPECT_EQ(preview.pictureRect().size(), QSizeF(320, 200));
    EXPECT_NEAR(preview.geometry().center().x(), 600, 1);
    EXPECT_NEAR(preview.geometry().center().y(), 550 - 150, 1);
    const QImage shown = preview.grab().toImage();
    EXPECT_EQ(QColor(shown.pixel(preview.pictureRect().center().toPoint())), QColor(20, 200, 40));

    preview.dismiss();
    EXPECT_FALSE(preview.isVisible());

    input.thumbnailSize = QSize(300, 0);
    preview.present(hoverPreviewLayout(input), QImage(300, 1, QImage::Format_ARGB32), QPointF(400, 500));
    EXPECT_TRUE(preview.pictureRect().isEmpty()) << "no picture for a window of no height";
}

TEST(DockMenuWidget, MenuFromDataRunsTheChosenId)
{
    DockSettingsMenuInput input;
    input.screenID = QStringLiteral("Optional(A)");
    QWidget parent;
    QStringList chosen;
    QMenu* menu = buildMenu(dockSettingsMenu(input), &parent, [&](const QString& id) { chosen << id; });

    QStringList titles;
    for (QAction* action : menu->actions())
        titles << (action->isSeparator() ? QStringLiteral("-") : action->text());
    EXPECT_EQ(titles,
        QStringList({ "Dock Position", "-", "Auto Hide", "-", "Settings", "-", "Check for Updates", "-",
            "Shortcuts", "-", "What's New", "-", "Restart", "-", "Quit" }));

    QMenu* position = menu->actions()[0]->menu();
    ASSERT_TRUE(position);
    position->actions()[1]->trigger();
    EXPECT_EQ(chosen, QStringList { DockMenuAction::dockRight });

    QMenu* shortcuts = menu->actions()[8]->menu();
    ASSERT_TRUE(shortcuts);
    for (QAction* line : shortcuts->actions())
        EXPECT_FALSE(line->isEnabled()) << "help lines are not commands";
}

TEST(EditWindowFormWidget, PrefillsAndStoresThroughItsButtons)
{
    orbitshelf::test::TempUserDefaults defaults;
    AppState state;
    InMemoryModelSettings settings;
    auto window = std::make_shared<Windows>();
    window->num = 12;
    window->title = QStringLiteral("build log");
    int closes = 0;

    EditWindowForm form(state, settings, window, [&] { ++closes; });
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
    EditWindowForm form(state, settings, window, [&] { ++closes; });
    form.show();
    form.close();
    EXPECT_EQ(closes, 1);
}

} // namespace
