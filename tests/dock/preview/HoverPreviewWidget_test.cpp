// The hover preview's windows, rendered offscreen: one per painted piece,
// shaped to what it paints where nothing composites; under a compositor the
// chips are shaped to their capsules and the picture's window is whole.
#include "dock/preview/HoverPreviewWidget.h"

#include <gtest/gtest.h>

namespace {

// The window stands on the piece's pixels and ends where they do: a rim
// too faint to keep costs it at most one pixel at each side.
void expectOnItsPixels(const QWidget* window, const QRectF& piece)
{
    const QRect pixels = piece.toAlignedRect();
    EXPECT_TRUE(pixels.contains(window->geometry()));
    EXPECT_TRUE(window->geometry().contains(pixels.adjusted(1, 1, -1, -1)));
}

// The capsule's straight edges are in the window's shape, the corners of
// its rectangle are not.
void expectCapsuleShape(const QWidget* chip)
{
    const QRegion shape = chip->mask();
    const QRect box = chip->rect();
    EXPECT_EQ(shape.boundingRect(), box) << "no empty row or column at an edge";
    EXPECT_TRUE(shape.contains(QPoint(box.center().x(), 1)));
    EXPECT_TRUE(shape.contains(QPoint(box.center().x(), box.bottom() - 1)));
    EXPECT_TRUE(shape.contains(QPoint(2, box.center().y())));
    for (const QPoint corner : { box.topLeft(), box.topRight(), box.bottomLeft(), box.bottomRight() })
        EXPECT_FALSE(shape.contains(corner)) << corner.x() << "," << corner.y();
}

HoverPreviewLayout hoveredLayout(QSize picture, bool usage = false)
{
    HoverPreviewInput input;
    input.hoveredNumber = input.windowNumber = 9;
    input.title = QStringLiteral("xterm");
    input.thumbnailSize = picture;
    input.showProcessInfo = usage;
    input.usage = { 12.5f, 3.0f };
    return hoverPreviewLayout(input);
}

QImage greenPicture()
{
    QImage picture(1600, 1000, QImage::Format_RGB32);
    picture.fill(QColor(20, 200, 40));
    return picture;
}

TEST(WindowHoverPreviewWidget, EachPieceIsAWindowOfItsOwnNoWiderThanWhatItPaints)
{
    QWidget bar;
    bar.resize(1200, 600);
    HoverPreviewWidget preview(&bar, [] { return true; });
    const auto [title, picture, usage] = preview.windows();

    preview.present(hoveredLayout(QSize(1600, 1000), true), greenPicture(), QPointF(600, 550));
    ASSERT_TRUE(preview.isVisible());
    const HoverPreviewPieces& pieces = preview.pieces();
    EXPECT_EQ(pieces.picture.size(), QSizeF(320, 200));
    for (const QWidget* window : { title, picture, usage })
        EXPECT_TRUE(window->isWindow() && window->isVisible());
    // A compositor draws its shadow inside a window's shape: round around
    // the chips, square around the picture, whose own soft shadow it blends.
    expectCapsuleShape(title);
    expectCapsuleShape(usage);
    EXPECT_TRUE(picture->mask().isEmpty());
    expectOnItsPixels(title, pieces.title);
    expectOnItsPixels(usage, pieces.usage);
    EXPECT_EQ(picture->geometry(), previewPictureWithShadow(pieces.picture).toAlignedRect());
    EXPECT_LT(title->width(), picture->width()) << "the title's window leaves the room beside it alone";
    const QImage shown = picture->grab().toImage();
    EXPECT_EQ(QColor(shown.pixel(shown.rect().center())), QColor(20, 200, 40));

    // Previews off: the title chip alone.
    preview.present(hoveredLayout(QSize()), QImage(), QPointF(600, 550));
    EXPECT_TRUE(title->isVisible());
    EXPECT_FALSE(picture->isVisible());
    EXPECT_FALSE(usage->isVisible());
    EXPECT_TRUE(preview.pictureRect().isEmpty());

    preview.dismiss();
    EXPECT_FALSE(preview.isVisible());
    EXPECT_FALSE(title->isVisible());
}

TEST(WindowHoverPreviewWidget, WithoutACompositorEachWindowShowsOnlyItsOpaquePixels)
{
    QWidget bar;
    bar.resize(1200, 600);
    HoverPreviewWidget preview(&bar, [] { return false; });
    const auto [title, picture, usage] = preview.windows();
    preview.present(hoveredLayout(QSize(1600, 1000)), greenPicture(), QPointF(600, 550));
    ASSERT_TRUE(preview.isVisible());

    EXPECT_EQ(picture->mask().boundingRect(), picture->rect()) << "no empty row or column at an edge";
    // The picture without its soft shadow, which would show black.
    expectOnItsPixels(picture, preview.pieces().picture);
    expectCapsuleShape(title);
}

} // namespace
