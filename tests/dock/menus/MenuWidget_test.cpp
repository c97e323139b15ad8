// A menu widget made from menu data, offscreen.
#include "dock/menus/DockSettingsMenu.h"
#include "dock/menus/MenuWidget.h"

#include <QMenu>
#include <QWidget>

#include <gtest/gtest.h>

namespace {

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

} // namespace
