#include "tests/switcher/SwitcherFixture.h"

#include "apps/WindowActivationRecord.h"
#include "switcher/FloatDock.h"
#include "switcher/FloatDockView.h"

#include <QFontMetricsF>

using namespace orbitshelf::test;

namespace {

// Rows of the given lengths; the window at (r, c) has the number 10r + c + 1.
WindowGrid gridOf(std::initializer_list<int> lengths)
{
    WindowGrid grid;
    int r = 0;
    for (int length : lengths) {
        grid.emplace_back();
        for (int c = 0; c < length; ++c) {
            auto window = std::make_shared<Windows>();
            window->num = uint32_t(10 * r + c + 1);
            grid.back().push_back(window);
        }
        ++r;
    }
    return grid;
}

} // namespace

TEST(FloatDockKeys, MoveTheFocusAndSelectTheFocusedCell)
{
    const struct {
        std::initializer_list<int> rows;
        int row, column;
        const char* key;
        int toRow, toColumn;
    } cases[] = {
        { { 3, 3, 1 }, 0, 2, "48", 1, 0 },
        { { 3, 3, 1 }, 2, 0, "48", 0, 0 },
        { { 3, 3, 1 }, 0, 0, "48", 0, 1 },
        { { 3, 3, 1 }, 0, 0, "50", 2, 0 },
        { { 3, 3, 1 }, 1, 0, "50", 0, 2 },
        { { 3, 3, 1 }, 1, 2, "50", 1, 1 },
        { { 3, 3, 1 }, 2, 0, "125", 0, 0 },
        { { 3, 3, 1 }, 0, 2, "125", 1, 0 },
        { { 3, 3, 1 }, 0, 1, "126", 2, 0 },
        { { 3, 3, 1 }, 1, 2, "126", 0, 0 },
        { { 3, 3, 1 }, 1, 0, "123", 1, 2 },
        { { 3, 3, 1 }, 1, 2, "124", 1, 0 },
        { { 3, 3, 1 }, 1, 1, "36", 1, 1 },
        { { 3, 3, 1 }, 0, 1, "0", 0, 1 },
        { { 1 }, 0, 0, "48", 0, 0 },
        { { 1 }, 0, 0, "124", 0, 0 },
        { { 1 }, 0, 0, "123", 0, 0 },
        { { 1 }, 0, 0, "125", 0, 0 },
        { { 1 }, 0, 0, "126", 0, 0 },
        { { 1 }, 0, 0, "50", 0, 0 },
        // A focus left from a larger grid is brought back inside first.
        { { 2 }, 3, 5, "36", 0, 1 },
        { { 3, 1 }, 1, 2, "48", 0, 0 },
    };
    for (const auto& c : cases) {
        FloatDock dock;
        dock.multiWindows = gridOf(c.rows);
        dock.focusRow = c.row;
        dock.focusColumn = c.column;
        dock.handleKeyDown(QString::fromLatin1(c.key));
        const auto where = QStringLiteral("key %1 from (%2,%3)").arg(c.key).arg(c.row).arg(c.column);
        EXPECT_EQ(dock.focusRow, c.toRow) << qPrintable(where);
        EXPECT_EQ(dock.focusColumn, c.toColumn) << qPrintable(where);
        ASSERT_TRUE(dock.currentWindow) << qPrintable(where);
        EXPECT_EQ(dock.currentWindow->num, uint32_t(10 * c.toRow + c.toColumn + 1)) << qPrintable(where);
    }
}

TEST(FloatDockKeys, AnEmptyGridIgnoresEveryKey)
{
    FloatDock dock;
    dock.focusRow = 2;
    dock.focusColumn = 1;
    for (const char* key : { "48", "50", "123", "124", "125", "126", "36" })
        dock.handleKeyDown(QString::fromLatin1(key));
    dock.focusPrevious();
    EXPECT_EQ(dock.focusRow, 2);
    EXPECT_EQ(dock.focusColumn, 1);
    EXPECT_FALSE(dock.currentWindow);
}

TEST(FloatDockSizes, CellsRowsAndPanelFollowTheScreenAndTheCount)
{
    const struct {
        bool disablePreview, permitted;
        qint32 count;
        double width, height;
    } cells[] = {
        { true, true, 10, 100, 60 },
        { false, false, 10, 100, 60 },
        { false, true, 50, 120, 60 },
        { false, true, 49, 140, 80 },
        { false, true, 40, 140, 80 },
        { false, true, 35, 160, 100 },
        { false, true, 29, 180, 130 },
    };
    for (const auto& c : cells) {
        const CellSize size = switcherCellSize(c.disablePreview, c.permitted, c.count);
        EXPECT_EQ(size.width, c.width) << c.count;
        EXPECT_EQ(size.height, c.height) << c.count;
    }
    EXPECT_EQ(switcherRowLength(1728 * 0.9, 180), 8);
    EXPECT_EQ(switcherRowLength(50, 180), 1) << "a row holds at least one cell";
    EXPECT_EQ(switcherPanelHeight(130, 7, 1000), 900);
    EXPECT_EQ(switcherPanelHeight(130, 2, 1000), 470);
}

TEST(FloatDockTitles, CutAtTheLimitInWholeCharacters)
{
    EXPECT_EQ(switcherShortTitle(QStringLiteral("0123456789abcdef"), 12), QStringLiteral("0123456789abcde…"));
    EXPECT_EQ(switcherShortTitle(QStringLiteral("0123456789abcde"), 12), QStringLiteral("0123456789abcde"));
    EXPECT_EQ(switcherShortTitle(QStringLiteral("0123456789abcdef"), 35), QStringLiteral("0123456789…"));
    EXPECT_EQ(switcherShortTitle(QString(), 35), QString());
    // Ten flags of two code points each, then more: none is split.
    QString flags;
    for (int i = 0; i < 12; ++i)
        flags += QStringLiteral("\U0001F1EB\U0001F1F7");
    EXPECT_EQ(switcherShortTitle(flags, 35), flags.left(40) + QStringLiteral("…"));
}

class FloatDockTest : public SwitcherTest {
protected:
    void SetUp() override
    {
        SwitcherTest::SetUp();
        AppState::shared().totalAppCount = 20;
    }
    void TearDown() override
    {
        dock.tearDown();
        // The bus outlives this dock: nothing may call it afterwards.
        for (const char* name : { "onkeyDown", "option", "onInit", "onDestroy" })
            EventManager::shared().events.insert(QString::fromLatin1(name), {});
        SwitcherTest::TearDown();
    }
    int32_t numberOf(const std::shared_ptr<ActiveApp>& app, int i) const
    {
        return int32_t((*app->windows)[i]->num.value_or(0));
    }
    FloatDock dock;
};

TEST_F(FloatDockTest, SetUpSizesTheGridAndSelectsTheNewestWindow)
{
    auto app = addApp(100, "term", { "A", "B", "C" });
    const QDateTime t0 = QDateTime::currentDateTimeUtc();
    (*app->windows)[0]->clickTime = t0.addSecs(-20);
    (*app->windows)[1]->clickTime = t0;
    (*app->windows)[2]->clickTime = t0.addSecs(-10);
    recordWindowActivation(numberOf(app, 0), t0.addSecs(-20));
    recordWindowActivation(numberOf(app, 1), t0);

    dock.setUp(QRect(0, 0, 1728, 1000));
    EXPECT_DOUBLE_EQ(dock.screenWidth, 1555.2);
    EXPECT_DOUBLE_EQ(dock.width, 1555.2);
    EXPECT_DOUBLE_EQ(dock.height, 160 + 150);
    ASSERT_EQ(dock.multiWindows.size(), 1u);
    QStringList titles;
    for (const auto& w : dock.multiWindows[0])
        titles << *w->title;
    EXPECT_EQ(titles, QStringList({ "B", "A", "C" })) << "activated first, newest first, then by time";
    ASSERT_TRUE(dock.currentWindow);
    EXPECT_EQ(dock.currentWindow->title, QStringLiteral("B"));
    EXPECT_EQ(dock.focusColumn, 0);
}

TEST_F(FloatDockTest, ActivationsOutweighStaleClickTimes)
{
    auto app = addApp(100, "term", { "A", "B", "C" });
    const QDateTime t0 = QDateTime::currentDateTimeUtc();
    (*app->windows)[2]->clickTime = t0.addSecs(60);
    recordWindowActivation(numberOf(app, 2), t0.addSecs(-20));
    recordWindowActivation(numberOf(app, 0), t0.addSecs(-10));
    recordWindowActivation(numberOf(app, 1), t0);
    dock.setUp(QRect(0, 0, 1728, 1000));
    ASSERT_EQ(dock.multiWindows.size(), 1u);
    QStringList titles;
    for (const auto& w : dock.multiWindows[0])
        titles << *w->title;
    EXPECT_EQ(titles, QStringList({ "B", "A", "C" }));
}

TEST_F(FloatDockTest, WithFewerThanTwoActivationsTheFirstCellIsSelected)
{
    addApp(100, "term", { "A", "B" });
    dock.focusRow = 4;
    dock.setUp(QRect(0, 0, 1000, 800));
    ASSERT_TRUE(dock.currentWindow);
    EXPECT_EQ(dock.currentWindow.get(), dock.multiWindows[0][0].get());
}

TEST_F(FloatDockTest, ReleasingOnTheActiveWindowOffersThePreviousOneThenActivatesIt)
{
    auto app = addApp(100, "term", { "A", "B" });
    const int32_t a = numberOf(app, 0), b = numberOf(app, 1);
    recordWindowActivation(a, QDateTime::currentDateTimeUtc().addSecs(-5));
    recordWindowActivation(b, QDateTime::currentDateTimeUtc());
    showSwitcherPopup();
    dock.setUp(QRect(0, 0, 1000, 800));
    ASSERT_TRUE(dock.currentWindow);
    EXPECT_EQ(dock.currentWindow->num, uint32_t(b));

    EventManager::shared().emitEvent(QStringLiteral("option"), 58);
    ASSERT_TRUE(dock.currentWindow);
    EXPECT_EQ(dock.currentWindow->num, uint32_t(a));
    EXPECT_TRUE(switcherPopupShown) << "nothing activated yet";
    EXPECT_TRUE(actionsOf(platform::fake::FakeAction::Kind::activate).empty());

    EventManager::shared().emitEvent(QStringLiteral("option"), 58);
    EXPECT_EQ(clickOrder().back(), a);
    EXPECT_FALSE(switcherPopupShown);
    EXPECT_EQ(switcherModifierState(), -1);
    EXPECT_TRUE(EventManager::shared().events.value(QStringLiteral("option")).isEmpty());
    EXPECT_TRUE(EventManager::shared().events.value(QStringLiteral("onDestroy")).isEmpty());
    EXPECT_FALSE(dock.images);
}

TEST_F(FloatDockTest, ACommitNeverMinimisesTheChosenWindow)
{
    auto app = addApp(100, "term", { "A", "B" });
    const int32_t a = numberOf(app, 0);
    recordWindowActivation(a, QDateTime::currentDateTimeUtc());
    (*app->windows)[0]->opened = true;
    showSwitcherPopup();
    dock.setUp(QRect(0, 0, 1000, 800));
    dock.selectWindow((*app->windows)[0]);
    dock.commitSelection();
    EXPECT_TRUE(actionsOf(platform::fake::FakeAction::Kind::minimize).empty());
    EXPECT_FALSE(switcherPopupShown) << "the switcher never stays up holding the keyboard";
}

TEST_F(FloatDockTest, TheEndOfACycleRearmsTabWithTheStoredModifier)
{
    const struct {
        const char* option;
        QStringList registered;
    } cases[] = {
        { "cmd", { "48/0x100" } },
        { "zz", { "48/0x800" } },
        { "alpha", {} },
    };
    for (const auto& c : cases) {
        AppState::shared().settings.setShortcutOptionForOpenFloatWindow(QString::fromLatin1(c.option));
        ASSERT_TRUE(installSwitcherKeyMonitors());
        closeSwitcherPopup();
        EXPECT_EQ(registered(), c.registered) << c.option;
        EXPECT_EQ(switcherHotKeyRefs().contains(48), !c.registered.isEmpty()) << c.option;
        resetHotKeysForTesting();
        hotKeys.clear();
    }
}

TEST_F(FloatDockTest, LayoutHighlightsTheSelectionAndListsTheHints)
{
    addApp(100, "term", { "A", "B", "C" });
    dock.setUp(QRect(0, 0, 1000, 800));
    dock.selectWindow(dock.multiWindows[0][1]);
    const QFontMetricsF font { QFont() };
    const SwitcherLayout icons = layoutSwitcher(dock, QSizeF(1000, 800), false, font);
    ASSERT_EQ(icons.cells.size(), 3u);
    EXPECT_EQ(icons.cells[0].frame.size(), QSizeF(90, 90)) << "an 80 × 80 icon padded by 5";
    EXPECT_FALSE(icons.cells[0].selected);
    EXPECT_TRUE(icons.cells[1].selected);
    EXPECT_LT(icons.cells[0].frame.right(), icons.cells[1].frame.left());
    ASSERT_EQ(icons.hints.size(), 3u);
    EXPECT_EQ(switcherHintTexts(), QStringList({ "Alt + Tab", "Alt + `", "Escape" }));
    EXPECT_NEAR(icons.hints[2].right(), icons.panel.right() - 20, 0.01) << "hints sit at the right";
    EXPECT_GT(icons.hints[0].top(), icons.cells[0].frame.bottom());

    const SwitcherLayout thumbs = layoutSwitcher(dock, QSizeF(1000, 800), true, font);
    EXPECT_GE(thumbs.cells[0].frame.width(), 180);
    EXPECT_GE(thumbs.cells[0].frame.height(), 130 + 34);
}

TEST_F(FloatDockTest, EveryCellAndTheHintsStayInsideThePanel)
{
    // A 1920 × 1080 screen less a 40-point bar, previews on; one application
    // per window, so the cells shrink as the model says.
    const QRect visible(0, 0, 1920, 1040);
    const QFontMetricsF font { QFont() };
    for (int count : { 3, 12, 32, 100, 300 }) {
        AppState::shared().allApps.clear();
        for (int i = 0; i < count; ++i)
            addApp(1000 + i, "app", { QStringLiteral("window %1").arg(i) });
        AppState::shared().totalAppCount = count;
        dock.setUp(visible);
        const QSizeF area(dock.width, dock.height);
        for (bool thumbnails : { true, false }) {
            const SwitcherLayout layout = layoutSwitcher(dock, area, thumbnails, font);
            ASSERT_EQ(layout.cells.size(), std::size_t(count));
            const QRectF inside = layout.panel.adjusted(-0.01, -0.01, 0.01, 0.01);
            for (const auto& cell : layout.cells)
                EXPECT_TRUE(inside.contains(cell.frame)) << count << " windows, cell " << cell.frame.x()
                                                         << "," << cell.frame.y() << " " << thumbnails;
            for (const QRectF& hint : layout.hints)
                EXPECT_TRUE(inside.contains(hint)) << count << " windows, hint at " << hint.y();
            for (std::size_t i = 1; i < layout.cells.size(); ++i)
                EXPECT_FALSE(layout.cells[i].frame.intersects(layout.cells[i - 1].frame)) << count;
            EXPECT_GT(layout.hints.front().top(), layout.cells.back().frame.bottom()) << count;
            // The panel's width is used before the cells shrink.
            double left = layout.panel.right(), right = layout.panel.left();
            for (const auto& cell : layout.cells) {
                left = std::min(left, cell.frame.left());
                right = std::max(right, cell.frame.right());
            }
            if (count >= 100) {
                EXPECT_GT(right - left, layout.panel.width() * 0.7) << count << " " << thumbnails;
            }
        }
    }
    AppState::shared().totalAppCount = 0;
}

TEST(SwitcherFitRowLength, MoreCellsPerRowBeforeTheyShrink)
{
    const CellSize small { 120, 60 };
    // Rows that fit keep the width's own count.
    EXPECT_EQ(switcherFitRowLength(20, 1555.2, 786, { 180, 130 }), 8);
    EXPECT_EQ(switcherFitRowLength(5, 1555.2, 786, small), 11);
    // 300 windows: 28 rows of 11 would be scaled to a third; 20 a row fill
    // the width and the height alike.
    const int perRow = switcherFitRowLength(300, 1555.2, 786, small);
    EXPECT_EQ(perRow, 20);
    EXPECT_EQ(switcherFitRowLength(300, 1555.2, 0, small), 11) << "no height known: the width's count";
}
