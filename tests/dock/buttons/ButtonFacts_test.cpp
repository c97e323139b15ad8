// Where the window buttons meet the bar: the order of its applications, the
// state their pictures are read from and the window list of a stacked button.
#include "apps/AppOrder.h"
#include "dock/DockViewState.h"
#include "dock/buttons/ButtonFacts.h"
#include "dock/buttons/StackWindowList.h"
#include "dock/drawing/AppIconButtonStyle.h"
#include "dock/layout/DockLayoutPass.h"
#include "tests/dock/DockTestSupport.h"

#include <QImage>
#include <QPainter>
#include <QPointer>
#include <QToolButton>

#include <gtest/gtest.h>

#include <functional>

namespace {

const QString kButtonsScreen = QStringLiteral("Optional(B)");

class DockBarButtons : public StateTest {
protected:
    void SetUp() override
    {
        state.spaceScreenWidth.insert(kButtonsScreen, 1920);
        state.spaceScreenHeight.insert(kButtonsScreen, 1080);
    }
    void addApp(int32_t pid, int windows) { addRunningApp(state, pid, windows); }
};

TEST_F(DockBarButtons, BarOrderFollowsTheOrderValuesAndMovesWithADrop)
{
    addApp(300, 0);
    addApp(100, 1);
    addApp(200, 3);
    state.appOrders = { { 100, 15 }, { 200, 5 }, { 300, 10 } };
    EXPECT_EQ(barAppPids(state), (QList<int32_t> { 200, 300, 100 }));
    EXPECT_EQ(dockLayoutInput(state).appWindowCounts, (std::vector<int> { 3, 0, 1 }));

    moveAppOrder(state.appOrders, 200, 100);
    EXPECT_EQ(barAppPids(state), (QList<int32_t> { 300, 100, 200 }));

    // An application without an order value yet still gets its button, last.
    addApp(50, 1);
    state.appOrders.remove(50);
    EXPECT_EQ(barAppPids(state).last(), 50);
    // Orders of applications that are gone show nothing.
    state.appOrders.insert(999, 1);
    EXPECT_FALSE(barAppPids(state).contains(999));
}

TEST(DockBarItems, NameTheirRunningApplication)
{
    using Kind = DockBarItem::Kind;
    const QList<int32_t> pids { 7, 8 };
    EXPECT_EQ(itemProcessId({ Kind::Window, {}, {}, 1 }, pids), 8);
    EXPECT_EQ(itemProcessId({ Kind::Launchpad, {}, {}, 0 }, pids), std::nullopt);
    EXPECT_EQ(itemProcessId({ Kind::PinnedApp, {}, {}, 0 }, pids), std::nullopt)
        << "nothing is dropped onto a pinned button";
    EXPECT_EQ(itemProcessId({ Kind::Window, {}, {}, 2 }, pids), std::nullopt)
        << "an application that quit since the picture";
}

// The button of the first application's window `row`, one row per window.
DockBarItem windowItem(int row)
{
    DockBarItem item;
    item.kind = DockBarItem::Kind::Window;
    item.appIndex = 0;
    item.windowIndex = row;
    item.rect = QRectF(0, 60 * row, 186, 56);
    item.iconRect = QRectF(0, 60 * row + 5, 46, 46);
    return item;
}

TEST_F(DockBarButtons, PaintedButtonsReadFocusAndTagColourFromTheState)
{
    addApp(1, 2); // windows 10 and 11
    state.settings.setOpenIndicatorColor(QStringLiteral("ff0000"));
    state.focusedWindow.insert(10, true);
    state.setWindowtagColorCache({ { (*state.allApps.value(1)->windows)[1]->tagKey(), "0000ff" } });
    const DockViewState view(true, 1920, 1080, kButtonsScreen);
    QImage image(200, 120, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    for (int row = 0; row < 2; ++row)
        paintDockBarItem(painter, state, view, windowItem(row), { 1 }, 0, std::nullopt);
    painter.end();
    EXPECT_EQ(image.pixelColor(50, 28), QColor(56, 60, 68)) << "the focused window's chip";
    EXPECT_EQ(image.pixelColor(93 + 18, 48), QColor(255, 0, 0)) << "its focus indicator";
    EXPECT_EQ(image.pixelColor(50, 88), QColor(0, 0, 255)) << "the other window's tag colour";
    state.setWindowtagColorCache({});
}

TEST_F(DockBarButtons, AnItemsLookChangesExactlyWhenItsDrawingWould)
{
    addApp(1, 2); // windows 10 and 11
    const DockViewState view(true, 1920, 1080, kButtonsScreen);
    auto looks = [&] {
        return std::pair(dockBarItemLook(state, view, windowItem(0), { 1 }, 0, std::nullopt),
            dockBarItemLook(state, view, windowItem(1), { 1 }, 0, std::nullopt));
    };
    const struct {
        const char* name;
        std::function<void()> change;
        bool first, second; // whose look changes
    } rows[] = {
        { "nothing", [] {}, false, false },
        { "the first window takes the focus", [this] { state.focusedWindow.insert(10, true); }, true, false },
        { "the focus moves to the second",
            [this] {
                state.focusedWindow.insert(10, false);
                state.focusedWindow.insert(11, true);
            },
            true, true },
        { "the second is renamed",
            [this] { (*state.allApps.value(1)->windows)[1]->title = QStringLiteral("renamed"); }, false,
            true },
        { "the indicator colour", [this] { state.settings.setOpenIndicatorColor(QStringLiteral("00ff00")); },
            false, true },
    };
    for (const auto& row : rows) {
        const auto before = looks();
        row.change();
        const auto after = looks();
        EXPECT_EQ(before.first != after.first, row.first) << row.name;
        EXPECT_EQ(before.second != after.second, row.second) << row.name;
    }
}

TEST_F(DockBarButtons, StackedWindowListActivatesTheClickedWindowAndCloses)
{
    addApp(5, 8);
    std::vector<uint32_t> activated;
    QPointer<StackWindowList> list = openStackWindowList(state, *state.allApps.value(5),
        QRect(100, 100, 46, 46), [&](const std::shared_ptr<Windows>& w) { activated.push_back(*w->num); });
    ASSERT_TRUE(list);
    EXPECT_TRUE(list->isVisible());
    EXPECT_EQ(list->width(), 300);
    ASSERT_EQ(list->windows().size(), 8u);
    EXPECT_EQ(*list->windows().front()->num, 50u) << "in display order";
    list->activateRow(2);
    EXPECT_EQ(activated, std::vector<uint32_t> { 52 });
    EXPECT_TRUE(!list || !list->isVisible());
}

TEST_F(DockBarButtons, AnOpenStackedListShowsTheNewTitleOfARenamedWindow)
{
    addApp(5, 3);
    QPointer<StackWindowList> list
        = openStackWindowList(state, *state.allApps.value(5), QRect(100, 100, 46, 46), {});
    ASSERT_TRUE(list);
    const auto rowTexts = [&] {
        QStringList texts;
        for (const QToolButton* row : list->findChildren<QToolButton*>())
            texts << row->toolTip();
        return texts;
    };
    ASSERT_EQ(rowTexts(), (QStringList { "window 0", "window 1", "window 2" }));
    // The model writes the title into its window, then tells the views.
    list->windows()[1]->title = QStringLiteral("renamed");
    state.publishTitle(51);
    list->windows()[2]->title = QStringLiteral("not announced");
    state.publishTitle(77); // another application's window
    EXPECT_EQ(rowTexts(), (QStringList { "window 0", "renamed", "window 2" }));
    list->close();
}

TEST(AppIconButtonStyle, RowsLookTheSamePressedAndReleased)
{
    QPixmap icon(64, 64);
    icon.fill(QColor(200, 30, 30));
    QToolButton button;
    button.setStyle(AppIconButtonStyle::shared());
    button.setIcon(QIcon(icon));
    button.setIconSize(QSize(32, 32));
    button.setText(QStringLiteral("Files"));
    button.setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
    button.resize(80, 60);
    const QImage released = button.grab().toImage();
    button.setDown(true);
    EXPECT_EQ(button.grab().toImage(), released);
}

} // namespace
