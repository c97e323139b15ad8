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

struct TagRow {
    const char* name;
    int windowCount;
    int tagWidth;
    WindowTagSize size;
};

TEST(AppButtonRules, TagWidthAndSizeFollowTheWindowCount)
{
    const TagRow rows[] = {
        { "two windows take the screen's width", 2, 140, WindowTagSize::Normal },
        { "ten windows still the screen's width", 10, 140, WindowTagSize::Normal },
        { "eleven windows", 11, 80, WindowTagSize::Tiny },
        { "fifteen windows", 15, 80, WindowTagSize::Tiny },
        { "sixteen windows", 16, 60, WindowTagSize::Tiny },
        { "twenty windows", 20, 60, WindowTagSize::Tiny },
        { "twenty-one windows", 21, 40, WindowTagSize::Tiny },
        { "thirty windows", 30, 40, WindowTagSize::Tiny },
        { "more than thirty: no chip room", 31, 0, WindowTagSize::Tiny },
    };
    for (const TagRow& row : rows) {
        SCOPED_TRACE(row.name);
        const AppButtonInput in = windowOf(row.windowCount);
        EXPECT_EQ(windowTagWidth(in), row.tagWidth);
        EXPECT_EQ(windowTagSize(in), row.size);
    }
}

TEST(AppButtonRules, TagWidthComesFromTheScreenOrDefaults)
{
    AppButtonInput in = windowOf(3);
    in.screenWindowTagWidth = 110;
    EXPECT_EQ(windowTagWidth(in), 110);
    in.screenWindowTagWidth.reset();
    EXPECT_EQ(windowTagWidth(in), 140);
    in.enableWindowTag = false;
    EXPECT_EQ(windowTagWidth(in), 0);
    in.enableWindowTag = true;
    in.theme = ButtonTheme::OnlyIcon;
    EXPECT_EQ(windowTagWidth(in), 0);
    in.theme = ButtonTheme::BigIcon;
    in.listMode = QStringLiteral("grid");
    EXPECT_EQ(windowTagSize(in), WindowTagSize::Small);

}

struct SizeRow {
    const char* name;
    std::optional<QString> mode;
    int appWindows;
    double buttonScale;
    bool pinned;
    bool running;
    double width;
    double height;
};

TEST(AppButtonRules, IconSizeByModeAndWindows)
{
    const SizeRow rows[] = {
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
    for (const SizeRow& row : rows) {
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

TEST(AppButtonRules, ButtonWidthAddsTheChipOnlyWhereOneIsShown)
{
    AppButtonInput in = windowOf(3);
    EXPECT_DOUBLE_EQ(appButtonWidth(in, true), 46 + 140);
    EXPECT_DOUBLE_EQ(appButtonWidth(in, false), 2 + 140);
    in.theme = ButtonTheme::OnlyIcon;
    EXPECT_DOUBLE_EQ(appButtonWidth(in, true), 46);
    in.theme = ButtonTheme::BigIcon;
    in.enableWindowTag = false;
    EXPECT_DOUBLE_EQ(appButtonWidth(in, true), 46);
    const AppButtonInput single = windowOf(1);
    EXPECT_DOUBLE_EQ(appButtonWidth(single, true), 46);
    EXPECT_FALSE(showsWindowTagChip(single));
}

TEST(AppButtonRules, ChipNeedsSeveralWindowsTagsATitleAndAnIconTheme)
{
    AppButtonInput in = windowOf(2);
    EXPECT_TRUE(showsWindowTagChip(in));
    in.hasTitle = false;
    EXPECT_FALSE(showsWindowTagChip(in));
    in = windowOf(2);
    in.theme = ButtonTheme::NoIcon;
    EXPECT_TRUE(showsWindowTagChip(in));
    in.theme = ButtonTheme::OnlyIcon;
    EXPECT_FALSE(showsWindowTagChip(in));
    in = windowOf(2);
    in.enableWindowTag = false;
    EXPECT_FALSE(showsWindowTagChip(in));
}

struct IndicatorRow {
    const char* name;
    ButtonTheme theme;
    bool tags;
    int windowCount;
    std::optional<int> order;
    double offset;
};

TEST(AppButtonRules, IndicatorOffset)
{
    const IndicatorRow rows[] = {
        { "one window is not shifted", ButtonTheme::BigIcon, true, 1, 1, 0 },
        { "several windows shift by 18", ButtonTheme::BigIcon, true, 2, 2, 18 },
        { "tags off", ButtonTheme::BigIcon, false, 3, 1, 0 },
        { "onlyIcon", ButtonTheme::OnlyIcon, true, 3, 1, 0 },
        { "noIcon, first window", ButtonTheme::NoIcon, true, 3, 1, 18 },
        { "noIcon, no order", ButtonTheme::NoIcon, true, 3, std::nullopt, 18 },
        { "noIcon, second window", ButtonTheme::NoIcon, true, 3, 2, 0 },
        { "noIcon, alone", ButtonTheme::NoIcon, true, 1, 1, 0 },
    };
    for (const IndicatorRow& row : rows) {
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

TEST(AppButtonRules, OverlayLabelByThemeAndTags)
{
    AppButtonInput in = windowOf(1);
    EXPECT_EQ(overlayLabel(in), OverlayLabel::None);
    in.theme = ButtonTheme::OnlyIcon;
    EXPECT_EQ(overlayLabel(in), OverlayLabel::None) << "one window gets no label";
    in.windowCount = 2;
    EXPECT_EQ(overlayLabel(in), OverlayLabel::DisplayTagOnTagColor);
    in.theme = ButtonTheme::BigIcon;
    EXPECT_EQ(overlayLabel(in), OverlayLabel::None);
    in.enableWindowTag = false;
    EXPECT_EQ(overlayLabel(in), OverlayLabel::TitleOnBlue);
}

struct AppearRow {
    const char* name;
    ButtonTheme theme;
    std::optional<int> order;
    bool vertical;
    std::optional<QString> mode;
    bool showsIcon;
};

TEST(AppButtonRules, IconShownOnAppear)
{
    const AppearRow rows[] = {
        { "bigIcon always", ButtonTheme::BigIcon, 3, false, QStringLiteral("list"), true },
        { "noIcon first window", ButtonTheme::NoIcon, 1, false, QStringLiteral("list"), true },
        { "noIcon order 0", ButtonTheme::NoIcon, 0, false, QStringLiteral("list"), true },
        { "noIcon without order", ButtonTheme::NoIcon, std::nullopt, false, QStringLiteral("list"), true },
        { "noIcon second window in list", ButtonTheme::NoIcon, 2, false, QStringLiteral("list"), false },
        { "noIcon second window in grid", ButtonTheme::NoIcon, 2, false, QStringLiteral("grid"), true },
        { "noIcon second window, no mode", ButtonTheme::NoIcon, 2, false, std::nullopt, true },
        { "noIcon on a side bar", ButtonTheme::NoIcon, 2, true, QStringLiteral("list"), true },
    };
    for (const AppearRow& row : rows) {
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
}

TEST(AppButtonDrop, OnlyOurPayloadNamingARunningApplicationMoves)
{
    const QList<int32_t> running { 100, 200 };
    struct Row {
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
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(droppedProcessId(row.payload, running), row.moved);
    }
}

TEST(AppButtonRules, UnknownThemeTextsAreTheDefault)
{
    EXPECT_EQ(buttonThemeFromText("onlyIcon"), ButtonTheme::OnlyIcon);
    EXPECT_EQ(buttonThemeFromText("noIcon"), ButtonTheme::NoIcon);
    EXPECT_EQ(buttonThemeFromText("bigIcon"), ButtonTheme::BigIcon);
    EXPECT_EQ(buttonThemeFromText("OnlyIcon"), ButtonTheme::BigIcon);
    EXPECT_EQ(buttonThemeFromText(""), ButtonTheme::BigIcon);
}

} // namespace
