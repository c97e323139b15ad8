// The hover preview's windows, rendered offscreen: one per painted piece,
// shaped to what it paints where nothing composites.
#include "dock/preview/HoverPreviewWidget.h"

#include <gtest/gtest.h>

namespace {

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
    for (const QWidget* window : { title, picture, usage }) {
        EXPECT_TRUE(window->isWindow() && window->isVisible());
        EXPECT_TRUE(window->mask().isEmpty()) << "a compositor blends every pixel: no shape";
    }
    EXPECT_EQ(title->geometry(), pieces.title.toAlignedRect());
    EXPECT_EQ(usage->geometry(), pieces.usage.toAlignedRect());
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

    for (const QWidget* window : { title, picture })
        EXPECT_EQ(window->mask().boundingRect(), window->rect()) << "no empty row or column at an edge";
    // The picture without its soft shadow, which would show black.
    const QRect shown = preview.pieces().picture.toAlignedRect();
    EXPECT_TRUE(shown.contains(picture->geometry()));
    EXPECT_TRUE(picture->geometry().contains(shown.adjusted(1, 1, -1, -1)));

    // The capsule: its straight edges, not the corners of its rectangle.
    const QRegion chip = title->mask();
    const QRect box = title->rect();
    EXPECT_TRUE(chip.contains(QPoint(box.center().x(), 1)));
    EXPECT_TRUE(chip.contains(QPoint(box.center().x(), box.bottom() - 1)));
    EXPECT_TRUE(chip.contains(QPoint(2, box.center().y())));
    for (const QPoint corner : { box.topLeft(), box.topRight(), box.bottomLeft(), box.bottomRight() })
        EXPECT_FALSE(chip.contains(corner)) << corner.x() << "," << corner.y();
}

} // namespace
