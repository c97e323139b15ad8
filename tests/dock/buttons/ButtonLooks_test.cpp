// A bar button's rules, what it draws worked out from its facts, and the
// painters drawing it: checked by rectangles, colours and texts, and by
// pixels where the painter itself could go wrong.
#include "state/AppState.h"
#include "dock/buttons/BarButtonPainter.h"
#include "dock/buttons/ButtonDragDrop.h"
#include "dock/buttons/ButtonLooks.h"
#include "dock/buttons/HotKeyBadge.h"
#include "dock/drawing/DockIcons.h"
#include "dock/layout/BarEntries.h"
#include "dock/layout/DockBarGeometry.h"
#include "dock/tiles/DockMainButton.h"
#include "tests/dock/DockTestSupport.h"
#include "widgets/Badge.h"

#include <QFontMetricsF>
#include <QImage>
#include <QPainter>
#include <QPixmap>

#include <gtest/gtest.h>

#include <functional>

namespace {

// A bar item at (100, 0), 56 high, its icon slot 46 square 5 points in.
const QRectF kItem(100, 0, 186, 56);
const QRectF kIconSlot(105, 5, 46, 46);

// A titled window of a running application on a horizontal list-mode bar,
// icon 46, tags 140 wide; its `input` alone is what the rules read.
AppButtonFacts windowFacts(int windowCount)
{
    AppButtonFacts facts;
    AppButtonInput& in = facts.input;
    in.windowNumber = 100;
    in.hasTitle = true;
    in.windowCount = windowCount;
    in.appRunning = true;
    in.appWindowCount = windowCount;
    in.listMode = QStringLiteral("list");
    in.screenWindowTagWidth = 140;
    facts.dockColour = QStringLiteral("00ff00");
    facts.dockTitleColour = QStringLiteral("ffffff");
    facts.tag = QStringLiteral("build");
    facts.title = QStringLiteral("make: building the whole tree");
    return facts;
}

AppButtonLook lookOf(const AppButtonFacts& facts)
{
    return appButtonLook(facts, kItem, kIconSlot);
}

QImage canvas(QSize size = QSize(320, 70))
{
    QImage image(size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    return image;
}

QImage painted(const AppButtonLook& look)
{
    QImage image = canvas();
    QPainter painter(&image);
    paintAppButton(painter, look);
    return image;
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
        AppButtonInput in = windowFacts(row.windowCount).input;
        in.screenWindowTagWidth = row.screenWidth;
        in.enableWindowTag = row.tags;
        in.theme = row.theme;
        EXPECT_EQ(windowTagWidth(in), row.tagWidth);
        EXPECT_EQ(windowTagSize(in), row.size);
    }
    AppButtonInput grid = windowFacts(3).input;
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
        { "grid, several windows", QStringLiteral("grid"), 4, 6, false, true, 18, 18 },
        { "stack mode, several windows", QStringLiteral("stack"), 4, 6, false, true, 46, 46 },
        { "no mode yet, one window", std::nullopt, 1, 6, false, true, 40, 46 },
        { "application not running", QStringLiteral("grid"), 1, 6, false, false, 46, 46 },
        { "pinned: no lower bound", QStringLiteral("list"), 1, 20, true, false, 26, 46 },
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        AppButtonInput in = windowFacts(row.appWindows).input;
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
        AppButtonInput in = windowFacts(row.windowCount).input;
        in.theme = row.theme;
        in.enableWindowTag = row.tags;
        in.order = row.order;
        EXPECT_DOUBLE_EQ(indicatorOffset(in), row.offset);
    }
}

TEST(AppButtonRules, HoverScale)
{
    AppButtonInput in = windowFacts(1).input;
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
        { "noIcon without order", ButtonTheme::NoIcon, std::nullopt, false, QStringLiteral("list"), true },
        { "noIcon second window in list", ButtonTheme::NoIcon, 2, false, QStringLiteral("list"), false },
        { "noIcon second window in grid", ButtonTheme::NoIcon, 2, false, QStringLiteral("grid"), true },
        { "noIcon second window, no mode", ButtonTheme::NoIcon, 2, false, std::nullopt, true },
        { "noIcon on a side bar", ButtonTheme::NoIcon, 2, true, QStringLiteral("list"), true },
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        AppButtonInput in = windowFacts(3).input;
        in.theme = row.theme;
        in.order = row.order;
        in.dockVertical = row.vertical;
        in.listMode = row.mode;
        EXPECT_EQ(showIconOnAppear(in), row.showsIcon);
    }
}

TEST(AppButtonRules, ShownWidthKeepsAPlaceholderForAHiddenIcon)
{
    AppButtonInput in = windowFacts(2).input;
    EXPECT_DOUBLE_EQ(appButtonWidth(in, showIconOnAppear(in)), 46 + 140);
    in.theme = ButtonTheme::NoIcon;
    in.order = 2;
    EXPECT_DOUBLE_EQ(appButtonWidth(in, showIconOnAppear(in)), 2 + 140)
        << "a hidden icon keeps a 2-point placeholder";
    AppButtonInput pinned;
    pinned.isPinned = true;
    pinned.windowCount = 1;
    EXPECT_DOUBLE_EQ(appButtonWidth(pinned, showIconOnAppear(pinned)), 46);
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

struct PlaceRow {
    const char* name;
    int windowCount;
    ButtonTheme theme;
    std::optional<int> order;
    bool tags;
    bool pinned;
    bool hasTitle;
    QRectF frame;
    std::optional<QRectF> icon;
    std::optional<QRectF> chip;
    int chipFontSize;
};

TEST(AppButtonDrop, ADropGoesBesideTheButtonItFellOnOrFirstFromTheItemsAhead)
{
    using Kind = DockBarItem::Kind;
    // Main button, launcher, then the windows of applications 0 and 1.
    DockBarPicture bar;
    bar.barRect = QRectF(0, 0, 300, 50);
    const auto add = [&](Kind kind, double x, int app) {
        DockBarItem item;
        item.kind = kind;
        item.rect = QRectF(x, 0, 56, 50);
        item.appIndex = app;
        bar.items.push_back(item);
    };
    add(Kind::MainButton, 8, -1);
    add(Kind::Launchpad, 64, -1);
    add(Kind::Window, 120, 0);
    add(Kind::Window, 176, 1);
    const QList<int32_t> pids { 100, 200 };
    struct Row {
        const char* meaning;
        QPointF at;
        std::optional<AppDropPlace> place;
    };
    const Row rows[] = {
        { "trailing half: after it", { 170, 25 }, AppDropPlace { 100, false } },
        { "leading half: before it", { 125, 25 }, AppDropPlace { 100, true } },
        { "the second's leading half", { 180, 25 }, AppDropPlace { 200, true } },
        { "the main button: before the first", { 30, 25 }, AppDropPlace { 100, true } },
        { "the launcher: before the first", { 90, 25 }, AppDropPlace { 100, true } },
        { "the panel's end, no button", { 280, 25 }, std::nullopt },
        { "off the bar", { 150, 80 }, std::nullopt },
    };
    for (const Row& row : rows)
        EXPECT_EQ(appDropPlace(bar, pids, row.at), row.place) << row.meaning;
    EXPECT_EQ(appDropPlace(bar, {}, QPointF(30, 25)), std::nullopt) << "no running application";
}

TEST(AppButtonLook, PlacesIconAndChipInTheItem)
{
    const ButtonTheme big = ButtonTheme::BigIcon;
    const PlaceRow rows[] = {
        { "one window: the icon alone", 1, big, 1, true, false, true, { 105, 5, 46, 46 },
            QRectF(105, 5, 46, 46), std::nullopt, 0 },
        { "three windows: the chip follows the icon", 3, big, 1, true, false, true, { 105, 5, 186, 46 },
            QRectF(105, 5, 46, 46), QRectF(151, 10, 140, 36), 12 },
        { "eleven windows: a tiny chip", 11, big, 1, true, false, true, { 105, 5, 126, 46 },
            QRectF(105, 5, 46, 46), QRectF(151, 20.5, 80, 15), 9 },
        { "noIcon, second window: the chip alone", 3, ButtonTheme::NoIcon, 2, true, false, true,
            { 105, 5, 142, 46 }, std::nullopt, QRectF(106, 10, 140, 36), 12 },
        { "onlyIcon: no chip", 3, ButtonTheme::OnlyIcon, 1, true, false, true, { 105, 5, 46, 46 },
            QRectF(105, 5, 46, 46), std::nullopt, 0 },
        { "tags off: no chip", 3, big, 1, false, false, true, { 105, 5, 46, 46 }, QRectF(105, 5, 46, 46),
            std::nullopt, 0 },
        { "untitled window: room kept, no chip", 3, big, 1, true, false, false, { 105, 5, 186, 46 },
            QRectF(175, 5, 46, 46), std::nullopt, 0 },
        { "pinned, shrunk by 6: centred on the slot", 1, big, std::nullopt, true, true, true,
            { 108, 5, 40, 46 }, QRectF(108, 5, 40, 46), std::nullopt, 0 },
    };
    for (const PlaceRow& row : rows) {
        SCOPED_TRACE(row.name);
        AppButtonFacts facts = windowFacts(row.windowCount);
        facts.input.theme = row.theme;
        facts.input.order = row.order;
        facts.input.enableWindowTag = row.tags;
        facts.input.hasTitle = row.hasTitle;
        if (row.pinned) {
            facts.input.isPinned = true;
            facts.input.appRunning = false;
            facts.input.buttonScale = 6;
        }
        const AppButtonLook look = lookOf(facts);
        EXPECT_EQ(look.frame, row.frame);
        EXPECT_EQ(look.iconRect, row.icon);
        ASSERT_EQ(look.chip.has_value(), row.chip.has_value());
        if (look.chip) {
            EXPECT_EQ(look.chip->rect, *row.chip);
            EXPECT_EQ(look.chip->textRect, row.chip->adjusted(8, 0, -8, 0));
            EXPECT_EQ(look.chip->font.pixelSize(), row.chipFontSize);
        }
        EXPECT_EQ(look.pinStar.has_value(), row.pinned);
    }
}

struct ColourRow {
    const char* name;
    bool focused;
    QString tagColour;
    QString dockColour;
    QColor chip;
};

TEST(AppButtonLook, ChipColourFromFocusTagAndDock)
{
    const QColor amber(0xf5, 0xbc, 0x53);
    const ColourRow rows[] = {
        { "no tag colour: the dock colour", false, QString(), "00ff00", QColor(0, 255, 0) },
        { "the tag colour wins", false, "0000ff", "00ff00", QColor(0, 0, 255) },
        { "a tag colour that is not hex: amber", false, "#0000ff", "00ff00", amber },
        { "a dock colour that is not hex: amber", false, QString(), "green", amber },
        { "a short hex text is a number", false, QString(), "ff", QColor(0, 0, 255) },
        { "upper-case digits", false, QString(), "FFEAA7", QColor(0xff, 0xea, 0xa7) },
        { "no 0x prefix", false, QString(), "0x00ff00", amber },
        { "no blanks", false, QString(), " 00ff00", amber },
        { "the focused window: dark grey", true, "0000ff", "00ff00", QColor(56, 60, 68) },
    };
    for (const ColourRow& row : rows) {
        SCOPED_TRACE(row.name);
        AppButtonFacts facts = windowFacts(2);
        facts.focused = row.focused;
        facts.tagColour = row.tagColour;
        facts.dockColour = row.dockColour;
        const AppButtonLook look = lookOf(facts);
        ASSERT_TRUE(look.chip);
        EXPECT_EQ(look.chip->fill, row.chip);
        EXPECT_EQ(painted(look).pixelColor(QPoint(151 + 4, 28)), row.chip) << "inside the chip's padding";
    }
}

TEST(AppButtonLook, ChipTextEndsInAnEllipsisInsideItsPadding)
{
    AppButtonFacts facts = windowFacts(2);
    EXPECT_EQ(lookOf(facts).chip->text, "build");
    facts.tag = QString(200, QLatin1Char('w'));
    const ButtonLabel chip = *lookOf(facts).chip;
    EXPECT_TRUE(chip.text.endsWith(QChar(0x2026)));
    EXPECT_LE(QFontMetricsF(chip.font).horizontalAdvance(chip.text), chip.textRect.width());
}

TEST(AppButtonLook, IndicatorsUnderTheContentWithTheirColours)
{
    AppButtonFacts facts = windowFacts(3);
    facts.previous = true;
    facts.focused = true;
    facts.previousIndicatorColour = QStringLiteral("00ff00");
    facts.openIndicatorColour = QStringLiteral("ff0000");
    AppButtonLook look = lookOf(facts);
    ASSERT_EQ(look.indicators.size(), 2u);
    EXPECT_EQ(look.indicators[0].colour, QColor(0, 255, 0)) << "the previous window's first";
    EXPECT_EQ(look.indicators[1].colour, QColor(255, 0, 0)) << "focus drawn over it";
    // 20 below the middle of icon and chip, 18 to the right with a chip.
    EXPECT_EQ(look.indicators[1].bar.center(), QPointF(105 + 93 + 18, 48));
    EXPECT_EQ(painted(look).pixelColor(QPoint(216, 48)), QColor(255, 0, 0));

    facts = windowFacts(1);
    facts.focused = true;
    facts.openIndicatorColour = QStringLiteral("not a colour");
    look = lookOf(facts);
    ASSERT_EQ(look.indicators.size(), 1u);
    EXPECT_EQ(look.indicators[0].bar.center(), QPointF(128, 48));
    EXPECT_EQ(look.indicators[0].colour, QColor(Qt::white));

    facts.input.isPinned = true;
    EXPECT_TRUE(lookOf(facts).indicators.empty()) << "a pinned application has no window to mark";
}

TEST(AppButtonLook, LabelOverTheIconForOnlyIconOrWithTagsOff)
{
    AppButtonFacts facts = windowFacts(2);
    facts.input.theme = ButtonTheme::OnlyIcon;
    facts.tagColour = QStringLiteral("ff00ff");
    facts.tag = QStringLiteral("w");
    AppButtonLook look = lookOf(facts);
    ASSERT_TRUE(look.overlay);
    const QRectF label = look.overlay->rect;
    EXPECT_EQ(label.width(), 38);
    EXPECT_EQ(label.center().x(), 128);
    EXPECT_EQ(label.bottom(), 51 - 4) << "4 points above the icon's bottom";
    EXPECT_EQ(look.overlay->fill, QColor(255, 0, 255));
    EXPECT_EQ(look.overlay->text, "w") << "the tag, not the title";
    EXPECT_EQ(painted(look).pixelColor(QPoint(115, 45)), QColor(255, 0, 255)) << "clear of the text";

    facts.tagColour = QStringLiteral("nope");
    EXPECT_EQ(lookOf(facts).overlay->fill, QColor(0xf5, 0xbc, 0x53));

    facts.input.theme = ButtonTheme::BigIcon;
    facts.input.enableWindowTag = false;
    look = lookOf(facts);
    ASSERT_TRUE(look.overlay);
    EXPECT_EQ(look.overlay->fill, QColor(0, 122, 255));
    // The title cut at 17, then elided to the label at a readable size.
    EXPECT_GE(look.overlay->font.pixelSize(), 9);
    EXPECT_TRUE(look.overlay->text.startsWith("ma") && look.overlay->text.endsWith(QChar(0x2026)))
        << look.overlay->text.toStdString();
    EXPECT_LE(
        QFontMetricsF(look.overlay->font).horizontalAdvance(look.overlay->text), look.overlay->rect.width());
    EXPECT_EQ(look.overlay->rect.bottom(), 51);

    facts.input.buttonScale = 38;
    EXPECT_FALSE(lookOf(facts).overlay) << "no room left over a shrunk icon";
    facts = windowFacts(1);
    facts.input.theme = ButtonTheme::OnlyIcon;
    EXPECT_FALSE(lookOf(facts).overlay) << "a lone window shows no label";
}

TEST(AppButtonLook, DropHighlightFollowsTheChip)
{
    AppButtonFacts facts = windowFacts(3);
    facts.dropTarget = true;
    const AppButtonLook look = lookOf(facts);
    // Icon, chip and the 40-point highlight, 226 wide, centred on the frame.
    EXPECT_EQ(look.iconRect, QRectF(85, 5, 46, 46));
    EXPECT_EQ(look.dropHighlight, QRectF(271, 10, 40, 36));
    EXPECT_EQ(look.dropFill, QColor(Qt::white));
    EXPECT_EQ(painted(look).pixelColor(290, 28), QColor(Qt::white));
}

TEST(AppButtonLook, AnIconNeverOutgrowsASqueezedSlot)
{
    // A hundred windows: the bar squeezes each button to 26 points, its icon
    // slot to 20.8; the smallest icon the rules allow is 33.
    const QRectF item(100, 0, 26, 56);
    const QRectF slot(102.6, 17.6, 20.8, 20.8);
    for (const char* mode : { "list", "grid" }) {
        SCOPED_TRACE(mode);
        AppButtonFacts facts = windowFacts(100);
        facts.input.listMode = QString::fromLatin1(mode);
        facts.input.buttonScale = 30;
        const AppButtonLook look = appButtonLook(facts, item, slot);
        ASSERT_TRUE(look.iconRect);
        EXPECT_LE(look.iconRect->width(), slot.width() + 1e-9);
        EXPECT_LE(look.iconRect->height(), slot.height() + 1e-9);
        EXPECT_GE(look.iconRect->left(), item.left());
        EXPECT_LE(look.iconRect->right(), item.right());
    }
}

TEST(AppButtonLook, HoveredButtonIsMagnifiedAboutItsCentre)
{
    AppButtonFacts facts = windowFacts(1);
    QPixmap blue(64, 64);
    blue.fill(Qt::blue);
    facts.icon = QIcon(blue);
    const QImage rest = painted(lookOf(facts));
    facts.input.hoveredWindowNumber = facts.input.windowNumber;
    const AppButtonLook hovered = lookOf(facts);
    const QImage grown = painted(hovered);
    // 23 × 1.2 = 27.6 points from the centre: outside the icon at rest.
    EXPECT_EQ(rest.pixelColor(128, 28), QColor(Qt::blue));
    EXPECT_NE(rest.pixelColor(102, 28), QColor(Qt::blue));
    EXPECT_EQ(grown.pixelColor(102, 28), QColor(Qt::blue));
}

TEST(StackButtonLook, FourIconsInATwoByTwoGridInsideAnOutline)
{
    QPixmap red(64, 64);
    red.fill(Qt::red);
    const StackButtonLook look = stackButtonLook(QIcon(red), QRectF(0, 0, 46, 46));
    EXPECT_EQ(look.outline, QRectF(7.5 - 3, 5 - 3, 31 + 6, 36 + 6)) << "a 31 × 36 grid frame, 3 inside";
    QImage image = canvas(QSize(46, 46));
    {
        QPainter painter(&image);
        paintStackButton(painter, look);
    }
    // The last tile's middle, the gap between tiles, the half-white outline.
    EXPECT_EQ(image.pixelColor(31, 31), QColor(255, 0, 0));
    EXPECT_LT(image.pixelColor(22, 14).alpha(), 250);
    const QColor outline = image.pixelColor(4, 23);
    EXPECT_GT(outline.alpha(), 40);
    EXPECT_EQ(outline.red(), outline.blue());
    EXPECT_EQ(image.pixelColor(6, 23).alpha(), 0) << "between outline and grid";
}

TEST(ButtonLooks, ShortTitleCutsWholeCharactersAt17)
{
    const QString family
        = QString::fromUtf8("\xF0\x9F\x91\xA8\xE2\x80\x8D\xF0\x9F\x91\xA9\xE2\x80\x8D\xF0\x9F\x91\xA7");
    const struct {
        const char* name;
        QString title;
        QString shown;
    } rows[] = {
        { "empty", QString(), QString() },
        { "exactly 17", QStringLiteral("abcdefghijklmnopq"), QStringLiteral("abcdefghijklmnopq") },
        { "18 cut to 17", QStringLiteral("abcdefghijklmnopqr"), QStringLiteral("abcdefghijklmnopq") },
        { "joined emoji count once", family + QStringLiteral("abcdefghijklmnopqrst"),
            family + QStringLiteral("abcdefghijklmnop") },
        { "combining accent at the cut", QStringLiteral("abcdefghijklmnope\u0301xyz"),
            QStringLiteral("abcdefghijklmnope\u0301") },
    };
    for (const auto& row : rows)
        EXPECT_EQ(shortTitle(row.title), row.shown) << row.name;
}

TEST(BarButtonPainter, CountBadgeIsRedOnlyWithACount)
{
    BarEntry entry;
    DockBarItem item;
    item.iconRect = QRectF(15, 15, 46, 46);
    const QPoint corner = Badge("5").rect(item.iconRect).toAlignedRect().topLeft() + QPoint(1, 1);
    auto painted = [&] {
        QImage image(120, 80, QImage::Format_ARGB32);
        image.fill(Qt::black);
        QPainter painter(&image);
        paintWindowButtonOverlays(painter, entry, item);
        painter.end();
        return image.pixelColor(corner);
    };
    EXPECT_EQ(painted(), QColor(Qt::black)) << "no count, no badge";
    entry.badge = "5";
    EXPECT_EQ(painted(), QColor(Qt::red));
}

TEST(BarButtonPainter, TheKeptIndicatorLooksAsTheOneDrawnEachTime)
{
    AppButtonFacts facts = windowFacts(2);
    facts.focused = true;
    facts.previous = true;
    facts.openIndicatorColour = QStringLiteral("ff8000");
    facts.previousIndicatorColour = QStringLiteral("20c0ff");
    auto painted = [&](const QRectF& item, bool afresh) {
        QImage bar(320, 110, QImage::Format_ARGB32_Premultiplied);
        bar.fill(QColor(30, 40, 50));
        QPainter painter(&bar);
        // Anything but full opacity is drawn afresh every time.
        if (afresh)
            painter.setOpacity(0.9999);
        paintAppButton(painter, appButtonLook(facts, item, item.adjusted(5, 5, -135, -5)));
        return bar;
    };
    const struct {
        const char* name;
        QRectF item;
    } rows[] = {
        { "whole pixels", QRectF(100, 0, 186, 56) },
        { "part-pixel offset", QRectF(100.5, 10.25, 186, 56) },
        { "moved after a reuse", QRectF(60.5, 30.25, 186, 56) },
    };
    for (const auto& row : rows) {
        const QImage afresh = painted(row.item, true);
        painted(row.item, false); // draws the copy
        const QImage kept = painted(row.item, false);
        // Ten faint rings composed in a picture first round a little
        // differently from ten composed on the bar: a few 255ths.
        EXPECT_LE(largestChannelDifference(afresh, kept), 5) << row.name;
        EXPECT_NE(afresh, painted(row.item.translated(3, 0), false)) << row.name << ": the glow moves along";
    }
}

// Where each piece of a bar button draws: a repaint of the reach must cover
// every pixel its painter touches, or a changed button leaves a stale edge
// of glow, shadow or badge behind. Checked by painting each piece alone, at
// a part-pixel place, and looking for any pixel outside.
const QRectF kPartPixelItem(100.5, 20.25, 186, 56);
const QRectF kPartPixelIconSlot(105.5, 25.25, 46, 46);

QIcon solidIcon(QSize size, QColor colour)
{
    QPixmap pixmap(size);
    pixmap.fill(colour);
    return QIcon(pixmap);
}

// The smallest rectangle holding every pixel `paint` touched.
QRect touched(const std::function<void(QPainter&)>& paint)
{
    QImage image(420, 140, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    {
        QPainter painter(&image);
        painter.setRenderHint(QPainter::Antialiasing);
        paint(painter);
    }
    QRect box;
    for (int y = 0; y < image.height(); ++y) {
        const auto* line = reinterpret_cast<const QRgb*>(image.constScanLine(y));
        for (int x = 0; x < image.width(); ++x)
            if (qAlpha(line[x]) != 0)
                box |= QRect(x, y, 1, 1);
    }
    return box;
}

// A hovered button's icon grows past the panel, its shadow stays on the
// panel: the window's shape would cut a shadow there to a grey box.
TEST(BarButtonPainter, AMagnifiedIconCastsItsShadowOnThePanelOnly)
{
    AppButtonFacts facts = windowFacts(1);
    facts.icon = solidIcon(QSize(64, 64), Qt::blue);
    facts.input.hoveredWindowNumber = facts.input.windowNumber;
    const AppButtonLook look = appButtonLook(facts, QRectF(100, 20, 56, 50), QRectF(105, 22, 46, 46));
    ASSERT_GT(look.scale, 1.0);
    const QRectF panel(60, 20, 200, 50);
    for (const bool bounded : { true, false }) {
        QImage image(320, 110, QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::transparent);
        QPainter painter(&image);
        paintAppButton(painter, look, bounded ? panel : QRectF());
        painter.end();
        int shadedAbove = 0; // pixels above the panel painted other than the icon's blue
        for (int y = 0; y < int(panel.top()); ++y)
            for (int x = 0; x < image.width(); ++x)
                shadedAbove += image.pixelColor(x, y).alpha() > 0 && image.pixelColor(x, y).blue() < 240;
        EXPECT_EQ(shadedAbove > 0, !bounded) << (bounded ? "bounded by the panel" : "unbounded");
        EXPECT_GT(image.pixelColor(QPoint(125, 18)).alpha(), 0) << "the icon itself rises past the panel";
        EXPECT_GT(image.pixelColor(QPoint(102, 45)).alpha(), 0)
            << "beside the icon, on the panel: its shadow";
    }
}

TEST(PaintReach, EveryPieceOfAButtonDrawsInsideItsReach)
{
    auto app = [](std::function<void(AppButtonFacts&)> change) {
        AppButtonFacts f = windowFacts(3);
        f.icon = solidIcon(QSize(64, 64), Qt::blue);
        change(f);
        const AppButtonLook look = appButtonLook(f, kPartPixelItem, kPartPixelIconSlot);
        return std::pair<std::function<void(QPainter&)>, QRectF>(
            [look](QPainter& p) { paintAppButton(p, look); }, appButtonReach(look, 1.0));
    };
    BarEntry badged;
    badged.badge = QStringLiteral("12");
    DockBarItem item;
    item.rect = kPartPixelItem;
    item.iconRect = kPartPixelIconSlot;
    BarEntry tile;
    tile.kind = BarEntry::Kind::PomodoroTile;
    const QIcon small = solidIcon(QSize(16, 16), Qt::red);
    const QIcon tall = solidIcon(QSize(20, 40), Qt::red);
    const StackButtonLook stack = stackButtonLook(solidIcon(QSize(64, 64), Qt::red), kPartPixelIconSlot);
    const QFont font;

    const struct {
        const char* name;
        std::pair<std::function<void(QPainter&)>, QRectF> piece;
    } rows[] = {
        { "plain window button", app([](AppButtonFacts&) {}) },
        { "focused: the glow rings", app([](AppButtonFacts& f) { f.focused = true; }) },
        { "previous and focused", app([](AppButtonFacts& f) { f.focused = f.previous = true; }) },
        { "hovered: magnified", app([](AppButtonFacts& f) {
             f.focused = true;
             f.input.hoveredWindowNumber = f.input.windowNumber;
         }) },
        { "drop target", app([](AppButtonFacts& f) { f.dropTarget = true; }) },
        { "label over the icon", app([](AppButtonFacts& f) {
             f.input.theme = ButtonTheme::BigIcon;
             f.input.enableWindowTag = false;
         }) },
        { "pinned, not running: the star", app([](AppButtonFacts& f) { f.input.isPinned = true; }) },
        { "stacked button", { [&](QPainter& p) { paintStackButton(p, stack); }, stackButtonReach(stack) } },
        { "icon smaller than its frame: a wider shadow",
            { [&](QPainter& p) { paintIconFilling(p, small, kPartPixelIconSlot, true); },
                iconFillingReach(small, kPartPixelIconSlot, true, 1.0) } },
        { "icon taller than wide",
            { [&](QPainter& p) { paintIconFilling(p, tall, kPartPixelIconSlot, true); },
                iconFillingReach(tall, kPartPixelIconSlot, true, 1.0) } },
        { "count badge",
            { [&](QPainter& p) { paintWindowButtonOverlays(p, badged, item); },
                windowButtonOverlaysReach(badged, item) } },
        { "hot-key badge",
            { [&](QPainter& p) {
                 p.setFont(font);
                 paintHotKeyBadge(
                     p, kPartPixelIconSlot, QStringLiteral("page down"), QRectF(95, 15, 300, 70));
             },
                hotKeyBadgeReach(
                    kPartPixelIconSlot, QStringLiteral("page down"), QRectF(95, 15, 300, 70), font) } },
        { "main button label",
            { [&](QPainter& p) { paintMainButtonLabel(p, kPartPixelIconSlot, QSizeF(40, 40), QImage()); },
                mainButtonLabelReach(kPartPixelIconSlot, QSizeF(40, 40)) } },
        { "placeholder tile",
            { [&](QPainter& p) { paintPlaceholderButton(p, tile, item, AppState::shared()); },
                placeholderButtonReach(tile, item, AppState::shared()) } },
    };
    for (const auto& row : rows) {
        const QRect drawn = touched(row.piece.first);
        const QRect reach = row.piece.second.toAlignedRect();
        EXPECT_FALSE(drawn.isEmpty()) << row.name;
        EXPECT_TRUE(reach.contains(drawn))
            << row.name << ": drew " << drawn.x() << "," << drawn.y() << " " << drawn.width() << "x"
            << drawn.height() << ", reach " << reach.x() << "," << reach.y() << " " << reach.width() << "x"
            << reach.height();
        // Not loose: a reach far larger than the drawing repaints for nothing
        // (a shadow's faded rim stays in it).
        EXPECT_LE(reach.width() * reach.height(), 2 * (drawn.width() + 4) * (drawn.height() + 4)) << row.name;
    }
}

} // namespace
