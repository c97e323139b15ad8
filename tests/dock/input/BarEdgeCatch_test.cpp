// The rows between the bar and its screen's edge, over a scripted platform:
// where they take the pointer as the bar grows, shrinks and hides, and what
// a move or a click there hands to the bar.
#include "dock/input/BarEdgeCatch.h"
#include "dock/windows/ScreensSettling.h"
#include "platform/HoverArea.h"
#include "platform/Services.h"
#include "platform/fake/FakeHoverAreas.h"
#include "platform/fake/FakeServices.h"
#include "platform/fake/FakeWindowInFront.h"

#include <QApplication>
#include <QMouseEvent>
#include <QWidget>

#include <gtest/gtest.h>

#include <vector>

namespace {

// A bar that writes down the pointer events it gets.
class RecordingBar final : public QWidget {
public:
    struct Seen {
        QEvent::Type type;
        QPointF at;
        Qt::MouseButton button;
    };
    std::vector<Seen> seen;

protected:
    bool event(QEvent* event) override
    {
        switch (event->type()) {
        case QEvent::MouseMove:
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonRelease: {
            const auto* mouse = static_cast<QMouseEvent*>(event);
            seen.push_back({ event->type(), mouse->position(), mouse->button() });
            return true;
        }
        case QEvent::Leave:
            seen.push_back({ event->type(), {}, Qt::NoButton });
            return true;
        default:
            return QWidget::event(event);
        }
    }
};

class BarEdgeCatchTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        platform::Services services = platform::fake::services(nullptr);
        services.hoverAreas = areas.factory();
        platform::install(std::move(services));
        // As the bar: it hears the pointer's moves without a button held.
        bar.setMouseTracking(true);
    }
    void TearDown() override
    {
        ScreensSettling::shared().setSettling(false);
        platform::uninstall();
    }

    platform::fake::FakeHoverAreas areas;
    RecordingBar bar;
};

TEST_F(BarEdgeCatchTest, TakesTheWholeBandAsTheBarChangesAndHandsItsClicksToTheBarAbove)
{
    BarEdgeCatch edge(bar, QStringLiteral("Optional(S)"), [] { return false; });
    // A bar of two buttons, 2 rows off the edge of a window at 0,580.
    const QPoint origin(0, 580);
    edge.set(QRectF(896, 498, 128, 2), origin, QRectF(896, 448, 128, 50), QStringLiteral("bottom"), false);
    ASSERT_EQ(areas.alive().size(), 1u);
    const auto area = areas.alive().front();
    EXPECT_EQ(area->spec.geometry, QRect(896, 1078, 128, 2));
    EXPECT_EQ(area->inputRegion, QRegion(0, 0, 128, 2));

    // The windows' buttons come in: the band grows with the bar, and takes
    // the pointer over all of it, not only where it first reached.
    const QRectF grown(840, 448, 240, 50);
    edge.set(QRectF(840, 498, 240, 2), origin, grown, QStringLiteral("bottom"), false);
    EXPECT_EQ(area->spec.geometry, QRect(840, 1078, 240, 2));
    EXPECT_EQ(area->inputRegion, QRegion(0, 0, 240, 2));
    ASSERT_EQ(areas.alive().size(), 1u) << "one band, moved";

    // A click on the last row, under the bar's x 987, is the bar's there.
    using Kind = platform::HoverAreaPointer::Kind;
    for (const Kind kind : { Kind::move, Kind::press, Kind::release })
        EXPECT_TRUE(area->point({ kind, QPoint(147, 1), kind == Kind::move ? Qt::NoButton : Qt::LeftButton,
            kind == Kind::press ? Qt::LeftButton : Qt::NoButton }));
    ASSERT_EQ(bar.seen.size(), 3u);
    EXPECT_EQ(bar.seen[1].type, QEvent::MouseButtonPress);
    EXPECT_EQ(bar.seen[1].button, Qt::LeftButton);
    for (const auto& seen : bar.seen) {
        EXPECT_DOUBLE_EQ(seen.at.x(), 987);
        EXPECT_TRUE(grown.contains(seen.at)) << seen.at.y() << ": inside the bar, on its last row";
    }
    // Leaving for somewhere other than the bar leaves the bar.
    area->cross(false);
    EXPECT_EQ(bar.seen.back().type, QEvent::Leave);

    // Hidden (or touching the edge), the bar has no band: nothing is taken.
    edge.set(QRectF(), origin, QRectF(), QStringLiteral("bottom"), false);
    EXPECT_TRUE(area->inputRegion.isEmpty());
    EXPECT_FALSE(area->point({ Kind::press, QPoint(147, 1), Qt::LeftButton, Qt::LeftButton }));
    edge.set(QRectF(840, 498, 240, 2), origin, grown, QStringLiteral("bottom"), false);
    EXPECT_EQ(area->inputRegion, QRegion(0, 0, 240, 2)) << "shown again";
}

// A window in front gone full screen keeps the screen's last row: the band
// steps aside as the platform tells, with no pointer near (a touch clicks at
// once), and takes the edge again once that window left full screen.
TEST_F(BarEdgeCatchTest, StepsAsideAsAWindowInFrontGoesFullScreenAndBackAsItLeaves)
{
    platform::fake::FakePlatform fake;
    platform::fake::FakeWindowInFront front;
    platform::Services services = platform::fake::services(&fake);
    services.hoverAreas = areas.factory();
    services.dockWindowHints.watchWindowInFront = front.watch();
    platform::install(std::move(services));
    // Maximised above the bar's reserve.
    const quint32 film = fake.addWindow(4242, QStringLiteral("film"), QRect(0, 0, 1920, 1028));
    const quint32 other = fake.addWindow(4243, QStringLiteral("notes"), QRect(100, 100, 800, 600));

    BarEdgeCatch edge(bar, QStringLiteral("Optional(S)"), [] { return false; });
    edge.set(
        QRectF(840, 498, 240, 2), QPoint(0, 580), QRectF(840, 448, 240, 50), QStringLiteral("bottom"), false);
    ASSERT_EQ(areas.alive().size(), 1u);
    const struct {
        const char* name;
        bool fullScreen;
        int height;
        quint32 active;
        bool takes;
    } steps[] = {
        { "some window managers write the state before they resize", true, 1028, film, true },
        { "full screen, its last row is its own", true, 1080, film, false },
        { "another window in front", true, 1080, other, true },
        { "out of full screen", false, 1028, film, true },
    };
    for (const auto& step : steps) {
        fake.updateWindow(film, [&step](platform::ServerWindow& w) {
            w.fullScreen = step.fullScreen;
            w.frame = QRect(0, 0, 1920, step.height);
        });
        fake.setActiveWindow(step.active);
        emit front.changed();
        EXPECT_EQ(areas.alive().front()->inputRegion, step.takes ? QRegion(0, 0, 240, 2) : QRegion())
            << step.name;
    }
    platform::uninstall();
}

// Between a change of the screens and the bars rebuilt on it, the band
// takes nothing and no place the bar computes meanwhile moves it.
TEST_F(BarEdgeCatchTest, TakesNothingAndStaysPutWhileTheScreensSettle)
{
    BarEdgeCatch edge(bar, QStringLiteral("Optional(S)"), [] { return false; });
    const QPoint origin(0, 580);
    edge.set(QRectF(896, 498, 128, 2), origin, QRectF(896, 448, 128, 50), QStringLiteral("bottom"), false);
    ASSERT_EQ(areas.alive().size(), 1u);
    const auto area = areas.alive().front();

    ScreensSettling::shared().setSettling(true);
    EXPECT_TRUE(area->inputRegion.isEmpty());
    edge.set(QRectF(840, 498, 240, 2), origin, QRectF(840, 448, 240, 50), QStringLiteral("bottom"), false);
    EXPECT_EQ(area->spec.geometry, QRect(896, 1078, 128, 2)) << "not moved meanwhile";
    EXPECT_TRUE(area->inputRegion.isEmpty());

    // Settled (here as the bar stood), it takes the pointer where the bar last put it.
    ScreensSettling::shared().setSettling(false);
    EXPECT_EQ(area->spec.geometry, QRect(840, 1078, 240, 2));
    EXPECT_EQ(area->inputRegion, QRegion(0, 0, 240, 2));
    EXPECT_EQ(areas.alive().size(), 1u);
}

} // namespace
