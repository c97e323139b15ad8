// Hiding the bar: the strip's hover, full-screen windows, and the toast
// over a full-screen window, rendered offscreen and checked by pixels.
#include "apps/DockVisibility.h"
#include "dock/input/DockAutoHide.h"
#include "dock/windows/FullScreenToast.h"
#include "platform/KeyCodes.h"
#include "state/KeyNames.h"
#include "tests/dock/DockTestSupport.h"

#include <gtest/gtest.h>

namespace {

struct HoverRow {
    const char* name;
    bool entered;
    std::optional<QString> autoHide;
    double opacityBefore;
    bool showDock;
    double opacityAfter;
};

TEST(DockAutoHide, StripHover)
{
    const HoverRow rows[] = {
        { "entering an auto-hidden dock's strip shows it", true, QString("true"), 0, true, 0.2 },
        { "entering with no entry changes nothing", true, std::nullopt, 0, false, 0 },
        { "entering with \"false\" changes nothing", true, QString("false"), 0, false, 0 },
        { "entering with another text changes nothing", true, QString("TRUE"), 0, false, 0 },
        { "leaving dims the strip, the dock stays", false, QString("true"), 0.2, false, 0 },
        { "leaving a plain strip", false, std::nullopt, 0, false, 0 },
    };
    for (const HoverRow& row : rows) {
        SCOPED_TRACE(row.name);
        const StripHoverOutcome outcome = stripHoverOutcome(row.entered, row.autoHide, row.opacityBefore);
        EXPECT_EQ(outcome.showDock, row.showDock);
        EXPECT_DOUBLE_EQ(outcome.opacity, row.opacityAfter);
    }
}

struct FullScreenRow {
    const char* name;
    bool enabled;
    QMap<qint64, bool> hidden;
    QMap<QString, QString> saved;
    qint64 window;
    std::optional<bool> decision;
};

TEST(DockAutoHide, FullScreenAutoHide)
{
    const QString screen = "Optional(A)";
    const FullScreenRow rows[] = {
        { "setting off never changes a dock", false, { { 7, true } }, {}, 7, std::nullopt },
        { "no full-screen window noted (H key emptied the map)", true, {}, { { screen, "false" } }, 7,
            std::nullopt },
        { "focusing the full-screen window hides the dock", true, { { 7, true } }, {}, 7, true },
        { "another window restores the saved auto-hide", true, { { 7, true } }, { { screen, "true" } }, 8,
            true },
        { "another window restores a shown dock", true, { { 7, true } }, { { screen, "false" } }, 8, false },
        { "with no saved state the dock is shown", true, { { 7, true } }, {}, 8, false },
        { "a window that left full screen restores", true, { { 7, false } }, { { screen, "true" } }, 7,
            true },
        { "another screen's saved state is not used", true, { { 7, true } }, { { "Optional(B)", "true" } }, 8,
            false },
    };
    for (const FullScreenRow& row : rows) {
        SCOPED_TRACE(row.name);
        const FullScreenAutoHideFlags flags { row.saved, row.hidden };
        EXPECT_EQ(fullScreenAutoHideDecision(row.enabled, flags, row.window, screen), row.decision);
    }
}

TEST(DockAutoHide, OpacityAndShownFlag)
{
    EXPECT_EQ(dockOpacity(QString("true"), false), 0.0);
    EXPECT_EQ(dockOpacity(QString("true"), true), 1.0);
    EXPECT_EQ(dockOpacity(QString("true"), std::nullopt), 1.0);
    EXPECT_EQ(dockOpacity(QString("false"), false), 1.0);
    EXPECT_EQ(dockOpacity(std::nullopt, false), 1.0);

    EXPECT_FALSE(showSpaceDockOnAppear(QString("true")));
    EXPECT_TRUE(showSpaceDockOnAppear(QString("false")));
    EXPECT_TRUE(showSpaceDockOnAppear(std::nullopt));
}

TEST(FullScreenToastCard, ADarkCardAtTheBottomCentreWithTheHintAndNothingElse)
{
    FullScreenToast toast("Optional(A)", 42, 1344, 756);
    EXPECT_EQ(toast.cardRect(), QRectF(472, 0, 400, 756));
    EXPECT_EQ(toast.backdropRect(), QRectF(422, 536, 500, 220));
    EXPECT_EQ(toast.focusPolicy(), Qt::NoFocus);
    EXPECT_EQ(toast.property("winnum").toLongLong(), 42);

    const QImage image = renderWidget(toast);
    // Outside the card the toast is clear; the screen shows through.
    EXPECT_EQ(qAlpha(image.pixel(100, 100)), 0);
    EXPECT_EQ(qAlpha(image.pixel(672, 100)), 0) << "the top of the card has no backdrop";
    // The backdrop: black at half opacity, inside the card only.
    const QRgb backdrop = image.pixel(480, 545);
    EXPECT_NEAR(qAlpha(backdrop), 128, 2);
    EXPECT_EQ(qRed(backdrop), 0);
    EXPECT_EQ(qAlpha(image.pixel(440, 700)), 0) << "the backdrop is clipped to the card";
    // White text lies somewhere in the bottom of the card.
    int white = 0;
    for (int y = 536; y < 756; ++y)
        for (int x = 472; x < 872; ++x)
            white += qRed(image.pixel(x, y)) > 200 && qAlpha(image.pixel(x, y)) > 200;
    EXPECT_GT(white, 100);
}

// The shortcut row's key cap, for every key text the Shortcut page can give
// the hide shortcut, lies whole inside the card, its text whole inside the
// cap; the rest of the card stands where it always does.
TEST(FullScreenToastCard, TheKeyCapIsWholeInsideTheCardForEveryShortcut)
{
    const QRectF reference = fullScreenToastLayout(QSizeF(1344, 756), QFont(), "ShortCut: ", "None").title;
    for (const char* option : { "option", "control", "cmd", "shift", "alpha" }) {
        const auto flags = fixedHotKeyFlags(FixedHotKey::Autohide, QString::fromLatin1(option));
        const QString key = flags ? keyComboText(platform::keycode::h, *flags) : QStringLiteral("None");
        SCOPED_TRACE(key.toStdString());
        const FullScreenToastLayout l = fullScreenToastLayout(QSizeF(1344, 756), QFont(), "ShortCut: ", key);
        EXPECT_EQ(l.painted, QRectF(472, 536, 400, 220));
        // The cap's border is drawn 2 px wide around its rectangle.
        EXPECT_TRUE(l.card.adjusted(10, 10, -10, -10).contains(l.cap.adjusted(-1, -1, 1, 1)));
        EXPECT_TRUE(l.painted.contains(l.label) && l.painted.contains(l.title) && l.painted.contains(l.icon));
        EXPECT_LE(l.label.right(), l.cap.left());
        EXPECT_LE(QFontMetricsF(l.rowFont).horizontalAdvance(key), l.cap.width());
        EXPECT_EQ(l.title, reference) << "the title and the icon do not move";
        if (key.size() <= 9) {
            EXPECT_EQ(l.rowFont.pixelSize(), 26) << "a row that fits keeps its size";
        }
    }
    FullScreenToast toast("Optional(A)", 1, 1344, 756);
    const QImage image = renderWidget(toast);
    const QRect painted = toast.paintedRect();
    EXPECT_EQ(painted, QRect(472, 536, 400, 220));
    // Nothing is painted outside what the toast's window shows.
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (qAlpha(image.pixel(x, y)) != 0 && !painted.contains(x, y))
                FAIL() << "painted at " << x << "," << y;
}

TEST(FullScreenToastCard, TheScreenAndWindowDoNotChangeThePicture)
{
    FullScreenToast a("Optional(A)", 1, 900, 600);
    FullScreenToast b("nil", 987654321, 900, 600);
    EXPECT_EQ(renderWidget(a), renderWidget(b));
}

} // namespace
