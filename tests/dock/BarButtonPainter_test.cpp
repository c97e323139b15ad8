// The placeholder painter draws what the rows decided: the badge only when
// there is a count, the hot-key mark only for a bound window.
#include "dock/BarButtonPainter.h"

#include "app/AppState.h"
#include "widgets/Badge.h"
#include "apps/Windows.h"
#include "dock/BarEntries.h"
#include "dock/DockBarGeometry.h"
#include "tests/support/TempStores.h"

#include <QImage>
#include <QPainter>

#include <gtest/gtest.h>

namespace {

QImage render(const BarEntry& entry, const DockBarItem& item, const AppState& state)
{
    QImage image(300, 120, QImage::Format_ARGB32);
    image.fill(Qt::black);
    QPainter painter(&image);
    barButtonPainter().paint(painter, entry, item, state, false);
    return image;
}

TEST(BarButtonPainter, BadgeIsRedOnlyWithACount)
{
    orbitshelf::test::TempUserDefaults defaults;
    AppState state;
    BarEntry entry;
    entry.kind = BarEntry::Kind::WindowButton;
    entry.window = std::make_shared<Windows>();
    DockBarItem item;
    item.rect = QRectF(10, 40, 186, 56);
    item.iconRect = QRectF(15, 45, 46, 46);
    const QPoint badgeCentre = Badge("5").rect(item.iconRect).center().toPoint();

    EXPECT_NE(render(entry, item, state).pixelColor(badgeCentre), QColor(Qt::red)) << "no count, no badge";
    entry.badge = "5";
    const QImage withBadge = render(entry, item, state);
    const QRect box = Badge("5").rect(item.iconRect).toAlignedRect();
    int red = 0;
    for (int x = box.left(); x <= box.right(); ++x) {
        for (int y = box.top(); y <= box.bottom(); ++y)
            red += withBadge.pixelColor(x, y) == QColor(Qt::red) ? 1 : 0;
    }
    EXPECT_GT(red, box.width() * box.height() / 2) << "the badge's red block";
}

TEST(BarButtonPainter, TagAreaUsesTheDockColourAndSideBarsHaveNone)
{
    orbitshelf::test::TempUserDefaults defaults;
    AppState state;
    state.settings.setDockColor("ff0000");
    BarEntry entry;
    entry.kind = BarEntry::Kind::WindowButton;
    entry.window = std::make_shared<Windows>();
    entry.enableWindowTag = true;
    DockBarItem item;
    item.rect = QRectF(10, 40, 186, 56);
    item.iconRect = QRectF(15, 45, 46, 46);
    const QPoint inTag(150, 68);
    const QColor tag = render(entry, item, state).pixelColor(inTag);
    EXPECT_GT(tag.red(), 150);
    EXPECT_LT(tag.green(), 40);

    entry.enableWindowTag = false;
    EXPECT_EQ(render(entry, item, state).pixelColor(inTag), QColor(Qt::black));
}

} // namespace
