#include "dock/AppButtonRules.h"

#include <gtest/gtest.h>

namespace {

// A running application's window on a horizontal bar in list mode, icon 46.
AppButtonInput windowOf(int windowCount)
{
    AppButtonInput in;
    in.windowNumber = 100;
    in.hasTitle = true;
    in.windowCount = windowCount;
    in.appRunning = true;
    in.appWindowCount = windowCount;
    in.listMode = QStringLiteral("list");
    in.screenWindowTagWidth = 140;
    return in;
}

TEST(AppButtonRules, TagWidthAndSizeFollowTheWindowCountScreenAndTheme)
{
    const ButtonTheme big = ButtonTheme::BigIcon;
    const struct {
        const char* name;
        int windowCount;
        std::optional<int> screenWidth;
        bool tags;
        ButtonTheme theme;
        int tagWidth;
        WindowTagSize size;
    } rows[] = {
        { "two windows take the screen's width", 2, 110, true, big, 110, WindowTagSize::Normal },
        { "no width for the screen yet", 2, std::nullopt, true, big, 140, WindowTagSize::Normal },
        { "ten windows still the screen's width", 10, 140, true, big, 140, WindowTagSize::Normal },
        { "eleven windows", 11, 140, true, big, 80, WindowTagSize::Tiny },
        { "fifteen windows", 15, 140, true, big, 80, WindowTagSize::Tiny },
        { "sixteen windows", 16, 140, true, big, 60, WindowTagSize::Tiny },
        { "twenty windows", 20, 140, true, big, 60, WindowTagSize::Tiny },
        { "twenty-one windows", 21, 140, true, big, 40, WindowTagSize::Tiny },
        { "thirty windows", 30, 140, true, big, 40, WindowTagSize::Tiny },
        { "more than thirty: no chip room", 31, 140, true, big, 0, WindowTagSize::Tiny },
        { "tags off", 3, 140, false, big, 0, WindowTagSize::Normal },
        { "onlyIcon", 3, 140, true, ButtonTheme::OnlyIcon, 0, WindowTagSize::Normal },
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        AppButtonInput in = windowOf(row.windowCount);
        in.screenWindowTagWidth = row.screenWidth;
        in.enableWindowTag = row.tags;
        in.theme = row.theme;
        EXPECT_EQ(windowTagWidth(in), row.tagWidth);
        EXPECT_EQ(windowTagSize(in), row.size);
    }
    AppButtonInput grid = windowOf(3);
    grid.listMode = QStringLiteral("grid");
    EXPECT_EQ(windowTagSize(grid), WindowTagSize::Small);
}

TEST(AppButtonRules, IconSizeByModeAndWindows)
{
    const struct {
        const char* name;
        std::optional<QString> mode;
        int appWindows;
        double buttonScale;
        bool pinned;
        bool running;
        double width;
        double height;
    } rows[] = {
        { "list shrinks by the scale", QStringLiteral("list"), 3, 6, false, true, 40, 40 },
        { "list never below 33", QStringLiteral("list"), 3, 20, false, true, 33, 33 },
        { "grid, one window", QStringLiteral("grid"), 1, 6, false, true, 40, 46 * 0.8 },
        { "grid, one window, big scale", QStringLiteral("grid"), 1, 20, false, true, 33, 46 * 0.8 },
        { "grid, several windows", QStringLiteral("grid"), 4, 6, false, true, 18, 18 },
        { "stack mode, several windows", QStringLiteral("stack"), 4, 6, false, true, 46, 46 },
        { "no mode yet, one window", std::nullopt, 1, 6, false, true, 40, 46 },
        { "application not running", QStringLiteral("grid"), 1, 6, false, false, 46, 46 },
        { "pinned: no lower bound", QStringLiteral("list"), 1, 20, true, false, 26, 46 },
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        AppButtonInput in = windowOf(row.appWindows);
        in.listMode = row.mode;
        in.buttonScale = row.buttonScale;
        in.isPinned = row.pinned;
        in.appRunning = row.running;
        EXPECT_DOUBLE_EQ(appIconWidth(in), row.width);
        EXPECT_DOUBLE_EQ(appIconHeight(in), row.height);
    }
}

TEST(AppButtonRules, IndicatorOffset)
{
    const struct {
        const char* name;
        ButtonTheme theme;
        bool tags;
        int windowCount;
        std::optional<int> order;
        double offset;
    } rows[] = {
        { "one window is not shifted", ButtonTheme::BigIcon, true, 1, 1, 0 },
        { "several windows shift by 18", ButtonTheme::BigIcon, true, 2, 2, 18 },
        { "tags off", ButtonTheme::BigIcon, false, 3, 1, 0 },
        { "onlyIcon", ButtonTheme::OnlyIcon, true, 3, 1, 0 },
        { "noIcon, first window", ButtonTheme::NoIcon, true, 3, 1, 18 },
        { "noIcon, no order", ButtonTheme::NoIcon, true, 3, std::nullopt, 18 },
        { "noIcon, second window", ButtonTheme::NoIcon, true, 3, 2, 0 },
        { "noIcon, alone", ButtonTheme::NoIcon, true, 1, 1, 0 },
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        AppButtonInput in = windowOf(row.windowCount);
        in.theme = row.theme;
        in.enableWindowTag = row.tags;
        in.order = row.order;
        EXPECT_DOUBLE_EQ(indicatorOffset(in), row.offset);
    }
}

TEST(AppButtonRules, HoverScale)
{
    AppButtonInput in = windowOf(1);
    EXPECT_DOUBLE_EQ(hoverScale(in), 1.0) << "nothing hovered";
    in.hoveredWindowNumber = 100;
    EXPECT_DOUBLE_EQ(hoverScale(in), 1.2);
    in.windowCount = 2;
    EXPECT_DOUBLE_EQ(hoverScale(in), 1.1);
    in.hoveredWindowNumber = 101;
    EXPECT_DOUBLE_EQ(hoverScale(in), 1.0);
    // A window without number under a hover of no window counts as the same.
    in.windowNumber.reset();
    in.hoveredWindowNumber.reset();
    EXPECT_DOUBLE_EQ(hoverScale(in), 1.1);
}

TEST(AppButtonRules, IconShownOnAppear)
{
    const struct {
        const char* name;
        ButtonTheme theme;
        std::optional<int> order;
        bool vertical;
        std::optional<QString> mode;
        bool showsIcon;
    } rows[] = {
        { "bigIcon always", ButtonTheme::BigIcon, 3, false, QStringLiteral("list"), true },
        { "noIcon first window", ButtonTheme::NoIcon, 1, false, QStringLiteral("list"), true },
        { "noIcon order 0", ButtonTheme::NoIcon, 0, false, QStringLiteral("list"), true },
        { "noIcon without order", ButtonTheme::NoIcon, std::nullopt, false, QStringLiteral("list"), true },
        { "noIcon second window in list", ButtonTheme::NoIcon, 2, false, QStringLiteral("list"), false },
        { "noIcon second window in grid", ButtonTheme::NoIcon, 2, false, QStringLiteral("grid"), true },
        { "noIcon second window, no mode", ButtonTheme::NoIcon, 2, false, std::nullopt, true },
        { "noIcon on a side bar", ButtonTheme::NoIcon, 2, true, QStringLiteral("list"), true },
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        AppButtonInput in = windowOf(3);
        in.theme = row.theme;
        in.order = row.order;
        in.dockVertical = row.vertical;
        in.listMode = row.mode;
        EXPECT_EQ(showIconOnAppear(in), row.showsIcon);
    }
}

TEST(AppButtonRules, BarShareIsTheShownWidthPlusFive)
{
    AppButtonInput in = windowOf(2);
    EXPECT_DOUBLE_EQ(appButtonBarShare(in), 46 + 140 + 5);
    in.theme = ButtonTheme::NoIcon;
    in.order = 2;
    EXPECT_DOUBLE_EQ(appButtonBarShare(in), 2 + 140 + 5) << "a hidden icon keeps a 2-point placeholder";
    AppButtonInput pinned;
    pinned.isPinned = true;
    pinned.windowCount = 1;
    EXPECT_DOUBLE_EQ(appButtonBarShare(pinned), 46 + 5);
    // Theme texts other than the two exact names are the default.
    EXPECT_EQ(buttonThemeFromText("onlyIcon"), ButtonTheme::OnlyIcon);
    EXPECT_EQ(buttonThemeFromText("noIcon"), ButtonTheme::NoIcon);
    EXPECT_EQ(buttonThemeFromText("OnlyIcon"), ButtonTheme::BigIcon);
}

TEST(AppButtonDrop, OnlyOurPayloadNamingARunningApplicationMoves)
{
    const QList<int32_t> running { 100, 200 };
    const struct {
        const char* name;
        std::optional<QByteArray> payload;
        std::optional<int32_t> moved;
    } rows[] = {
        { "our payload of a running application", appButtonDragPayload(200), 200 },
        { "not our MIME type at all", std::nullopt, std::nullopt },
        { "empty text", QByteArray(), std::nullopt },
        { "not a number", QByteArray("firefox"), std::nullopt },
        { "a number with blanks", QByteArray(" 100"), std::nullopt },
        { "a decimal point", QByteArray("100.0"), std::nullopt },
        { "beyond 32 bits", QByteArray("4294967396"), std::nullopt },
        { "a process that is not running", QByteArray("300"), std::nullopt },
    };
    for (const auto& row : rows)
        EXPECT_EQ(droppedProcessId(row.payload, running), row.moved) << row.name;
}

} // namespace
