// Where each piece of a bar button draws: a repaint of the reach must cover
// every pixel its painter touches, or a changed button leaves a stale edge
// of glow, shadow or badge behind. Checked by painting each piece alone and
// looking for any pixel outside.
#include "app/AppState.h"
#include "dock/buttons/BarButtonPainter.h"
#include "dock/buttons/ButtonLooks.h"
#include "dock/buttons/HotKeyBadge.h"
#include "dock/drawing/DockIcons.h"
#include "dock/layout/BarEntries.h"
#include "dock/layout/DockBarGeometry.h"
#include "dock/tiles/DockMainButton.h"
#include "widgets/Badge.h"

#include <QImage>
#include <QPainter>
#include <QPixmap>

#include <gtest/gtest.h>

#include <functional>

namespace {

const QRectF kItem(100.5, 20.25, 186, 56);
const QRectF kIconSlot(105.5, 25.25, 46, 46);

QIcon solidIcon(QSize size, QColor colour)
{
    QPixmap pixmap(size);
    pixmap.fill(colour);
    return QIcon(pixmap);
}

AppButtonFacts facts(int windowCount)
{
    AppButtonFacts f;
    AppButtonInput& in = f.input;
    in.windowNumber = 100;
    in.hasTitle = true;
    in.windowCount = windowCount;
    in.appRunning = true;
    in.appWindowCount = windowCount;
    in.listMode = QStringLiteral("list");
    in.screenWindowTagWidth = 140;
    f.icon = solidIcon(QSize(64, 64), Qt::blue);
    f.dockColour = QStringLiteral("00ff00");
    f.dockTitleColour = QStringLiteral("ffffff");
    f.tag = QStringLiteral("build");
    f.title = QStringLiteral("make: building the whole tree");
    return f;
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

TEST(PaintReach, EveryPieceOfAButtonDrawsInsideItsReach)
{
    auto app = [](std::function<void(AppButtonFacts&)> change) {
        AppButtonFacts f = facts(3);
        change(f);
        const AppButtonLook look = appButtonLook(f, kItem, kIconSlot);
        return std::pair<std::function<void(QPainter&)>, QRectF>(
            [look](QPainter& p) { paintAppButton(p, look); }, appButtonReach(look, 1.0));
    };
    BarEntry badged;
    badged.badge = QStringLiteral("12");
    DockBarItem item;
    item.rect = kItem;
    item.iconRect = kIconSlot;
    BarEntry tile;
    tile.kind = BarEntry::Kind::PomodoroTile;
    const QIcon small = solidIcon(QSize(16, 16), Qt::red);
    const QIcon tall = solidIcon(QSize(20, 40), Qt::red);
    const StackButtonLook stack = stackButtonLook(solidIcon(QSize(64, 64), Qt::red), kIconSlot);
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
            { [&](QPainter& p) { paintIconFilling(p, small, kIconSlot, true); },
                iconFillingReach(small, kIconSlot, true, 1.0) } },
        { "icon taller than wide",
            { [&](QPainter& p) { paintIconFilling(p, tall, kIconSlot, true); },
                iconFillingReach(tall, kIconSlot, true, 1.0) } },
        { "count badge",
            { [&](QPainter& p) { paintWindowButtonOverlays(p, badged, item); },
                windowButtonOverlaysReach(badged, item) } },
        { "hot-key badge",
            { [&](QPainter& p) {
                 p.setFont(font);
                 paintHotKeyBadge(p, kIconSlot, QStringLiteral("page down"), QRectF(95, 15, 300, 70));
             },
                hotKeyBadgeReach(kIconSlot, QStringLiteral("page down"), QRectF(95, 15, 300, 70), font) } },
        { "main button label",
            { [&](QPainter& p) { paintMainButtonLabel(p, kIconSlot, QSizeF(40, 40), QImage()); },
                mainButtonLabelReach(kIconSlot, QSizeF(40, 40)) } },
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
