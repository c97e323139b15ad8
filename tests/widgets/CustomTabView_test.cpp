#include "widgets/CustomTabView.h"

#include <QLabel>
#include <QLayout>
#include <QPushButton>
#include <gtest/gtest.h>

namespace {

QList<CustomTabView::Tab> twoTabs()
{
    return { { "General", "gear", QColor(Qt::blue), new QLabel("first") },
        { "Über & <b>more</b>", "info", QColor(Qt::red), new QLabel("second") } };
}

TEST(CustomTabView, ButtonLooks)
{
    struct Case {
        const char* name;
        bool selected;
        TabButtonLook look;
    };
    for (const Case& c : { Case { "selected", true, { QColor(0, 0, 255, 204), QColor(Qt::white) } },
             Case { "other", false, { QColor(200, 214, 229, 128), QColor(0, 0, 0, 102) } } }) {
        const TabButtonLook look = tabButtonLook(QColor(Qt::blue), c.selected);
        EXPECT_EQ(look.background.rgba(), c.look.background.rgba()) << c.name;
        EXPECT_EQ(look.foreground.rgba(), c.look.foreground.rgba()) << c.name;
    }
}

TEST(CustomTabView, TabsSwitchContentAndKeepTitlesVerbatim)
{
    CustomTabView view(CustomTabView::TabBarPosition::top, twoTabs());
    ASSERT_EQ(view.tabButtons().size(), 2);
    EXPECT_EQ(view.tabButtons()[1]->text(), "Über & <b>more</b>");
    EXPECT_EQ(view.tabButtons()[0]->size(), QSize(150, 50));
    EXPECT_EQ(view.tabIconNames(), (QStringList { "gear", "info" }));
    EXPECT_EQ(view.selection(), 0);
    EXPECT_EQ(qobject_cast<QLabel*>(view.currentView())->text(), "first");
    view.tabButtons()[1]->click();
    EXPECT_EQ(view.selection(), 1);
    EXPECT_EQ(qobject_cast<QLabel*>(view.currentView())->text(), "second");
    EXPECT_TRUE(view.tabButtons()[1]->styleSheet().contains("rgba(255, 0, 0, 204)"));
    EXPECT_TRUE(view.tabButtons()[0]->styleSheet().contains("rgba(200, 214, 229, 128)"));
}

TEST(CustomTabView, BarPositionAndNoTabs)
{
    for (const auto position :
        { CustomTabView::TabBarPosition::top, CustomTabView::TabBarPosition::bottom }) {
        CustomTabView view(position, twoTabs());
        const int barAt = view.layout()->indexOf(view.tabBar());
        EXPECT_EQ(barAt, position == CustomTabView::TabBarPosition::top ? 0 : 1);
    }
    CustomTabView empty(CustomTabView::TabBarPosition::bottom, {});
    EXPECT_TRUE(empty.tabText().isEmpty());
    EXPECT_TRUE(empty.tabButtons().isEmpty());
    ASSERT_NE(empty.currentView(), nullptr) << "an empty placeholder, not tab 0";
    empty.setSelection(0);
    EXPECT_EQ(empty.selection(), 0);
}

} // namespace
