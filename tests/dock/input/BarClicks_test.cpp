// The bar's click router: what each button of the mouse does on each kind of
// item and when, and the menus and lists it opens on an offscreen bar.
#include "dock/input/BarClicks.h"

#include "dock/DockView.h"
#include "dock/buttons/StackWindowList.h"
#include "dock/layout/DockEdges.h"
#include "tests/dock/DockTestSupport.h"

#include <QApplication>
#include <QMenu>
#include <QMouseEvent>

#include <gtest/gtest.h>

namespace {

TEST(BarClickRules, EachButtonOnEachItem)
{
    using Kind = DockBarItem::Kind;
    using enum BarClickAnswer;
    constexpr auto press = BarClickMoment::Press;
    constexpr auto release = BarClickMoment::Release;
    const struct {
        Kind kind;
        BarClickRule left;
        BarClickRule right;
    } rows[] = {
        { Kind::MainButton, { press, ToolHub }, { press, SettingsMenu } },
        { Kind::Launchpad, { release, Launcher }, { press, SettingsMenu } },
        { Kind::Tool, { release, ToolTile }, { release, ToolTileMenu } },
        { Kind::PinnedApp, { release, OpenPinnedApp }, { release, PinnedAppMenu } },
        { Kind::Window, { release, ActivateWindow }, { release, WindowMenu } },
        { Kind::App, { release, StackList }, { release, WindowMenu } },
        { Kind::Pomodoro, {}, {} },
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(int(row.kind));
        EXPECT_EQ(barClickRule(row.kind, Qt::LeftButton), row.left);
        EXPECT_EQ(barClickRule(row.kind, Qt::RightButton), row.right);
        EXPECT_EQ(barClickRule(row.kind, Qt::MiddleButton).answer, None) << "the middle button does nothing";
    }
}

const QString kClicksScreen = QStringLiteral("Optional(K)");

class BarClicksOnABar : public StateTest {
protected:
    void SetUp() override
    {
        mainDockScreenID() = kClicksScreen;
        state.settings.setStackAppLimit(3);
        state.settings.setPinedPlugins({ { "Pomodoro", "" } });
        addRunningApp(state, 20, 4, 10); // stacked
        addRunningApp(state, 30, 1, 20);
        view = std::make_unique<DockView>(state, true, 1920, 1080, kClicksScreen);
        view->resize(1920, 500);
        view->refreshPicture();
    }
    void TearDown() override
    {
        for (QWidget* widget : QApplication::topLevelWidgets())
            if (qobject_cast<StackWindowList*>(widget))
                widget->close();
        view.reset();
        mainDockScreenID().clear();
    }

    QPointF centreOf(DockBarItem::Kind kind) const
    {
        for (const DockBarItem& item : view->picture().items)
            if (item.kind == kind)
                return item.rect.center();
        ADD_FAILURE() << "no item of kind " << int(kind);
        return {};
    }
    void click(QEvent::Type type, const QPointF& at, Qt::MouseButton button)
    {
        QMouseEvent event(type, at, view->mapToGlobal(at), button,
            type == QEvent::MouseButtonPress ? button : Qt::NoButton, Qt::NoModifier);
        QCoreApplication::sendEvent(view.get(), &event);
    }
    QMenu* shownMenu() const
    {
        for (QMenu* menu : view->findChildren<QMenu*>())
            if (menu->isVisible())
                return menu;
        return nullptr;
    }
    static int shownLists()
    {
        int shown = 0;
        for (QWidget* widget : QApplication::topLevelWidgets())
            shown += qobject_cast<StackWindowList*>(widget) && widget->isVisible();
        return shown;
    }

    std::unique_ptr<DockView> view;
};

TEST_F(BarClicksOnABar, RightClicksOpenTheirItemsMenuOnTheRelease)
{
    const struct {
        DockBarItem::Kind kind;
        const char* firstTitle;
    } rows[] = {
        { DockBarItem::Kind::Tool, "UnPin" },
        { DockBarItem::Kind::Window, "-" }, // the window menu opens with a divider
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(int(row.kind));
        const QPointF at = centreOf(row.kind);
        click(QEvent::MouseButtonPress, at, Qt::RightButton);
        EXPECT_FALSE(shownMenu()) << "nothing on the press";
        click(QEvent::MouseButtonRelease, at, Qt::RightButton);
        QMenu* menu = shownMenu();
        ASSERT_TRUE(menu);
        const QAction* first = menu->actions().first();
        EXPECT_EQ(first->isSeparator() ? QStringLiteral("-") : first->text(), row.firstTitle);
        menu->close();
    }
    // The main button's settings menu comes with the press.
    click(QEvent::MouseButtonPress, centreOf(DockBarItem::Kind::MainButton), Qt::RightButton);
    ASSERT_TRUE(shownMenu());
    EXPECT_EQ(shownMenu()->actions().first()->text(), "Dock Position");
    shownMenu()->close();
}

TEST_F(BarClicksOnABar, StackedButtonOpensItsListAndASecondClickClosesIt)
{
    const QPointF at = centreOf(DockBarItem::Kind::App);
    click(QEvent::MouseButtonPress, at, Qt::MiddleButton);
    click(QEvent::MouseButtonRelease, at, Qt::MiddleButton);
    EXPECT_EQ(shownLists(), 0) << "the middle button does nothing";
    click(QEvent::MouseButtonPress, at, Qt::LeftButton);
    click(QEvent::MouseButtonRelease, at, Qt::LeftButton);
    EXPECT_EQ(shownLists(), 1);
    click(QEvent::MouseButtonPress, at, Qt::LeftButton);
    click(QEvent::MouseButtonRelease, at, Qt::LeftButton);
    EXPECT_EQ(shownLists(), 0);
}

} // namespace
