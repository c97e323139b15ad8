// What the hover preview of a window button shows and where.
#include "dock/preview/HoverPreviewLayout.h"
#include "state/TextFormats.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

const QLocale english(QLocale::English, QLocale::UnitedStates);

HoverPreviewInput hovered(uint32_t number = 7)
{
    HoverPreviewInput input;
    input.hoveredNumber = number;
    input.windowNumber = number;
    input.title = QStringLiteral("xterm");
    return input;
}

struct PlacementCase {
    const char* name;
    QString position;
    bool disablePreview;
    QSize thumbnail;
    double width, offsetX, offsetY;
    bool picture;
};

TEST(HoverPreviewLayout, PlacementFollowsEdgePreviewSettingAndPicture)
{
    const PlacementCase cases[] = {
        { "wide picture on a bottom bar keeps its aspect at 200 high", "bottom", false, { 1600, 1000 }, 320,
            0, -150, true },
        { "previews off on a bottom bar: 50 above the centre", "bottom", true, { 0, 0 }, 200, 0, -50, false },
        { "previews off on a right bar: level, moved left by (50-10)+100", "right", true, { 0, 0 }, 200, -140,
            0, false },
        { "previews off on a left bar: level, moved right", "left", true, { 0, 0 }, 200, 140, 0, false },
        { "picture on a right bar: (50-10) + half of its width", "right", false, { 800, 1000 }, 160, -120,
            -100, true },
        { "no capture: frame stays 200 wide, no picture", "bottom", false, { 0, 0 }, 200, 0, -150, false },
        { "a picture without height is not drawn (no division by zero)", "bottom", false, { 640, 0 }, 200, 0,
            -150, false },
    };
    for (const PlacementCase& c : cases) {
        HoverPreviewInput input = hovered();
        input.position = c.position;
        input.disablePreview = c.disablePreview;
        input.thumbnailSize = c.thumbnail;
        const HoverPreviewLayout layout = hoverPreviewLayout(input, english);
        EXPECT_TRUE(layout.visible) << c.name;
        EXPECT_DOUBLE_EQ(layout.previewWidth, c.width) << c.name;
        EXPECT_DOUBLE_EQ(layout.offsetX, c.offsetX) << c.name;
        EXPECT_DOUBLE_EQ(layout.offsetY, c.offsetY) << c.name;
        EXPECT_EQ(layout.showPicture, c.picture) << c.name;
    }
}

TEST(HoverPreviewLayout, APictureLowerThanTheFrameIsShownAtItsOwnSize)
{
    HoverPreviewInput input = hovered();
    input.thumbnailSize = QSize(250, 70); // a terminal of five lines
    HoverPreviewLayout layout = hoverPreviewLayout(input, english);
    EXPECT_DOUBLE_EQ(layout.previewWidth, 250);
    EXPECT_DOUBLE_EQ(layout.previewHeight, 70);
    input.thumbnailSize = QSize(300, 200);
    layout = hoverPreviewLayout(input, english);
    EXPECT_DOUBLE_EQ(layout.previewWidth, 300);
    EXPECT_DOUBLE_EQ(layout.previewHeight, 200);
}

TEST(HoverPreviewLayout, ShowsOnlyForTheHoveredNumberedWindow)
{
    HoverPreviewInput input = hovered();
    EXPECT_TRUE(hoverPreviewLayout(input).visible);
    input.hoveredNumber = 8;
    EXPECT_FALSE(hoverPreviewLayout(input).visible) << "another window is hovered";
    input.hoveredNumber.reset();
    EXPECT_FALSE(hoverPreviewLayout(input).visible) << "nothing hovered";
    input.windowNumber.reset();
    EXPECT_FALSE(hoverPreviewLayout(input).visible) << "a window without number never previews";
}

TEST(HoverPreviewLayout, UsageChipNeedsStatisticsAndNonZeroCpu)
{
    HoverPreviewInput input = hovered();
    input.showProcessInfo = true;
    input.usage = { 12.3456f, 3.1f };
    EXPECT_EQ(
        hoverPreviewLayout(input, english).usageText, QStringLiteral("Average CPU: 12.35% | MEM: 3.10%"));

    input.usage = { 0.0f, 4.5f };
    EXPECT_FALSE(hoverPreviewLayout(input, english).usageText) << "zero CPU, non-zero memory: no chip";

    input.usage = { std::nanf(""), 1.0f };
    EXPECT_TRUE(hoverPreviewLayout(input, english).usageText) << "NaN is not equal to zero";

    input.usage = { 12.0f, 3.0f };
    input.showProcessInfo = false;
    EXPECT_FALSE(hoverPreviewLayout(input, english).usageText) << "statistics off";
}

TEST(HoverPreviewLayout, NumbersFollowTheLocale)
{
    EXPECT_EQ(processUsageText(12.3456f, 3.1f, QLocale(QLocale::German, QLocale::Germany)),
        QStringLiteral("Average CPU: 12,35% | MEM: 3,10%"));
    EXPECT_EQ(formatFloat(1234.5f, 2, english), QStringLiteral("1234.50")) << "no grouping";
    EXPECT_EQ(formatFloat(0.0f, 2, english), QStringLiteral("0.00"));
}

TEST(HoverPreviewLayout, TitleIsCutAtFortyCharacters)
{
    const QString forty(40, QLatin1Char('a'));
    HoverPreviewInput input = hovered();
    input.title = forty;
    EXPECT_EQ(hoverPreviewLayout(input).title, forty);
    input.title = forty + QStringLiteral("b");
    EXPECT_EQ(hoverPreviewLayout(input).title, forty);
    input.title.reset();
    EXPECT_EQ(hoverPreviewLayout(input).title, QString()) << "no title: an empty chip";

    // Characters as people count them: a flag is one, never cut in half.
    QString flags;
    for (int i = 0; i < 41; ++i)
        flags += QStringLiteral("\U0001F1E9\U0001F1EA");
    EXPECT_EQ(truncatedTitle(flags), flags.left(40 * 4));
}

TEST(HoverPreviewPieces, StackCentredOnTheButtonEachPieceAtItsOwnWidth)
{
    const QRectF screen(0, 0, 1920, 1080);
    const QSizeF title(60, 22), usage(240, 22);
    HoverPreviewInput input = hovered();
    input.thumbnailSize = QSize(1600, 1000);
    input.showProcessInfo = true;
    input.usage = { 12.0f, 3.0f };
    HoverPreviewLayout layout = hoverPreviewLayout(input, english);

    HoverPreviewPieces pieces = hoverPreviewPieces(layout, title, usage, 17, QPointF(960, 1050), screen);
    EXPECT_EQ(pieces.picture.size(), QSizeF(320, 200));
    for (const QRectF& piece : { pieces.title, pieces.picture, pieces.usage })
        EXPECT_DOUBLE_EQ(piece.center().x(), 960) << "each centred, none widened to the stack";
    EXPECT_DOUBLE_EQ(pieces.picture.top() - pieces.title.bottom(), 5);
    EXPECT_DOUBLE_EQ(pieces.usage.top() - pieces.picture.bottom(), 5);
    const double stackTop = pieces.title.top(), stackBottom = pieces.usage.bottom();
    EXPECT_DOUBLE_EQ((stackTop + stackBottom) / 2, 1050 - 150) << "the stack's centre takes the offset";

    // Previews off: the picture row is an empty line; only the chips show.
    input.disablePreview = true;
    layout = hoverPreviewLayout(input, english);
    pieces = hoverPreviewPieces(layout, title, usage, 17, QPointF(960, 1050), screen);
    EXPECT_TRUE(pieces.picture.isEmpty());
    EXPECT_DOUBLE_EQ(pieces.usage.top() - pieces.title.bottom(), 5 + 17 + 5);
    EXPECT_EQ(pieces.title.size(), title);

    // At the screen's left end the stack moves in whole, the picture's
    // shadow still on the screen.
    input.disablePreview = false;
    layout = hoverPreviewLayout(input, english);
    pieces = hoverPreviewPieces(layout, title, usage, 17, QPointF(30, 1050), screen);
    EXPECT_DOUBLE_EQ(pieces.picture.left(), 8);
    EXPECT_GE(previewPictureWithShadow(pieces.picture).left(), 0);
    EXPECT_DOUBLE_EQ(pieces.title.center().x(), pieces.picture.center().x());
}

} // namespace
