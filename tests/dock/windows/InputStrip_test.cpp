// The auto-show strip that draws nothing, over a scripted platform: which
// strip a desktop gets, which row takes the pointer and when, and what
// reaching it does.
#include "apps/ScreenPlaces.h"
#include "dock/input/DockAutoHide.h"
#include "dock/windows/DockHostWidget.h"
#include "dock/windows/InputStrip.h"
#include "dock/windows/ScreensSettling.h"
#include "platform/Services.h"
#include "platform/fake/FakeHoverAreas.h"
#include "platform/fake/FakeServices.h"
#include "platform/fake/FakeWindowInFront.h"
#include "tests/dock/DockTestSupport.h"

#include <QApplication>
#include <QEnterEvent>

#include <gtest/gtest.h>

namespace {

const QString kStripScreen = QStringLiteral("Optional(S)");

class InputStripTest : public StateTest {
protected:
    void SetUp() override
    {
        install(false);
        primary = primaryScreenGeometry();
        ASSERT_FALSE(primary.isEmpty());
        // Along the bottom of the primary screen, 2 left of it.
        spec.kind = DockWindowSpec::Kind::Strip;
        spec.frame = { -2, 0, primary.width(), 20 };
        spec.screenID = kStripScreen;
        spec.width = primary.width();
        spec.height = 20;
        spec.screenFrame = QRectF(0, 0, primary.width(), primary.height());
        spec.visibleFrame = spec.screenFrame;
        spec.position = QStringLiteral("bottom");
    }
    void TearDown() override
    {
        ScreensSettling::shared().setSettling(false);
        platform::uninstall();
    }
    void install(bool translucent, platform::fake::FakePlatform* fake = nullptr)
    {
        platform::Services services = platform::fake::services(fake);
        services.hoverAreas = areas.factory();
        services.dockWindowHints.translucencyAvailable = [translucent] { return translucent; };
        services.dockWindowHints.setShapeOnServer
            = [this](QWindow*, const QRegion& input, const QRegion& shown) {
                  shape = { input, shown };
              };
        services.dockWindowHints.watchWindowInFront = front.watch();
        platform::install(std::move(services));
    }
    void autoHide(const QString& entry)
    {
        state.settings.setAutoHideSpaceDock({ { kStripScreen, entry } });
        state.publish();
    }
    void showDock(bool shown)
    {
        state.showSpaceDock[kStripScreen] = shown;
        state.publish();
    }

    platform::fake::FakeHoverAreas areas;
    platform::fake::FakeWindowInFront front;
    std::pair<QRegion, QRegion> shape; // the last set on a window of ours, on the root: input, shown
    QRect primary;
    DockWindowSpec spec;
};

TEST_F(InputStripTest, TakesTheEdgeRowOnlyWhileItsDockIsHidden)
{
    std::unique_ptr<InputStrip> strip = InputStrip::make(state, spec);
    ASSERT_TRUE(strip);
    ASSERT_EQ(areas.alive().size(), 1u);
    const auto area = areas.alive().front();
    // Inside the screen, on its bottom rows.
    const QRect at(0, primary.bottom() - 19, primary.width() - 2, 20);
    EXPECT_EQ(area->spec.geometry, at);
    EXPECT_EQ(area->spec.title, QStringLiteral("orbitShelf auto-show strip"));
    EXPECT_TRUE(area->inputRegion.isEmpty()) << "no auto-hide: clicks go through";

    // On the screen's edge only the last row: the pointer stops there, and
    // the windows along the edge keep the clicks of the rows above it.
    const QRegion edgeRow(0, 19, at.width(), 1);
    autoHide(QStringLiteral("true"));
    showDock(true);
    EXPECT_TRUE(area->inputRegion.isEmpty()) << "a bar that shows leaves the edge to what lies there";
    showDock(false);
    EXPECT_EQ(area->inputRegion, edgeRow);

    autoHide(QStringLiteral("false"));
    EXPECT_TRUE(area->inputRegion.isEmpty());
    const int changes = area->regionChanges;
    state.publish();
    EXPECT_EQ(area->regionChanges, changes) << "an unchanged region is not sent again";

    strip->close();
    EXPECT_FALSE(area->alive);
}

TEST_F(InputStripTest, ReachedItBringsTheDockBackLetsGoAndTellsTheBar)
{
    std::unique_ptr<InputStrip> strip = InputStrip::make(state, spec);
    ASSERT_TRUE(strip);
    const auto area = areas.alive().front();
    QStringList left;
    QObject receiver;
    QObject::connect(&AutoShowStrips::shared(), &AutoShowStrips::pointerLeft, &receiver,
        [&](const QString& screenID) { left << screenID; });

    autoHide(QStringLiteral("true"));
    showDock(false);
    ASSERT_TRUE(area->cross(true));
    EXPECT_TRUE(state.showSpaceDock[kStripScreen]);
    EXPECT_TRUE(area->inputRegion.isEmpty()) << "the clicks that follow go to what lies there";
    EXPECT_EQ(left, QStringList { kStripScreen }) << "the bar looks where the pointer goes from here";
    area->cross(false); // as the display tells when the strip lets go
    EXPECT_TRUE(state.showSpaceDock[kStripScreen]) << "hiding is the bar's business";
    EXPECT_EQ(left, QStringList { kStripScreen });

    // The pointer resting on the screen's edge counts as on it.
    EXPECT_TRUE(AutoShowStrips::shared().pointerOnStrip(kStripScreen, QPoint(10, primary.bottom())));
    EXPECT_FALSE(AutoShowStrips::shared().pointerOnStrip(kStripScreen, QPoint(10, primary.bottom() - 20)));

    showDock(false);
    EXPECT_FALSE(area->inputRegion.isEmpty()) << "hidden again, the edge brings it back again";
}

TEST_F(InputStripTest, BesideAPanelItTakesOnlyTheScreensLastRowOverThePanel)
{
    // A taskbar 26 high along the bottom.
    spec.visibleFrame = QRectF(0, 26, primary.width(), primary.height() - 26);
    spec.frame = mainDockTriggerFrame(spec.position, spec.visibleFrame);
    std::unique_ptr<InputStrip> strip = InputStrip::make(state, spec);
    ASSERT_TRUE(strip);
    // From the strip above the taskbar down to the screen's edge.
    EXPECT_EQ(areas.alive().front()->spec.geometry, QRect(0, primary.bottom() - 45, primary.width() - 2, 46));
    EXPECT_TRUE(AutoShowStrips::shared().pointerOnStrip(kStripScreen, QPoint(10, primary.bottom())))
        << "on the taskbar, below the strip";
    EXPECT_FALSE(AutoShowStrips::shared().pointerOnStrip(kStripScreen, QPoint(10, primary.bottom() - 46)));
    // A pointer on its way to a window's last rows above the taskbar takes
    // nothing; the screen's last row, on the taskbar, brings the bar back.
    autoHide(QStringLiteral("true"));
    showDock(false);
    EXPECT_EQ(areas.alive().front()->inputRegion, QRegion(0, 45, primary.width() - 2, 1));
}

TEST_F(InputStripTest, AFullScreenWindowInFrontKeepsItsClicksUntilItLeavesFullScreen)
{
    platform::fake::FakePlatform fake;
    install(false, &fake);
    platform::ServerWindow player;
    player.pid = 4242;
    player.title = QStringLiteral("film");
    player.frame = primary;
    const quint32 film = fake.addWindow(player);
    fake.setActiveWindow(film);
    const auto fullScreen
        = [&](bool on) { fake.updateWindow(film, [on](platform::ServerWindow& w) { w.fullScreen = on; }); };

    std::unique_ptr<InputStrip> strip = InputStrip::make(state, spec);
    ASSERT_TRUE(strip);
    const auto area = areas.alive().front();
    autoHide(QStringLiteral("true"));
    showDock(false);
    ASSERT_FALSE(area->inputRegion.isEmpty());

    // Full screen, heard of only as the pointer reaches the strip.
    fullScreen(true);
    ASSERT_TRUE(area->cross(true));
    EXPECT_FALSE(state.showSpaceDock[kStripScreen]) << "the bar would stand behind the film";
    EXPECT_TRUE(area->inputRegion.isEmpty()) << "the film's clicks are its own";
    state.publish();
    EXPECT_TRUE(area->inputRegion.isEmpty()) << "while the film stays in front, full screen";
    fake.setActiveWindow(std::nullopt);
    state.publish();
    EXPECT_TRUE(area->inputRegion.isEmpty()) << "no window active for a moment";
    fake.setActiveWindow(film);
    fullScreen(false);
    state.publish();
    ASSERT_FALSE(area->inputRegion.isEmpty());

    // Full screen again, told by the platform before the pointer comes: a
    // click right behind the pointer finds the film, not the strip.
    fullScreen(true);
    emit front.changed();
    EXPECT_TRUE(area->inputRegion.isEmpty()) << "the strip waited for the pointer to step aside";

    fullScreen(false);
    emit front.changed();
    ASSERT_FALSE(area->inputRegion.isEmpty());
    ASSERT_TRUE(area->cross(true));
    EXPECT_TRUE(state.showSpaceDock[kStripScreen]);
    platform::uninstall();
}

// Whether something composites or not, the strip draws nothing: a window
// of ours under a compositor stood above a panel along the edge, where a
// pointer pushed against the edge never came.
TEST_F(InputStripTest, WhereverThePlatformCanMakeOne)
{
    const std::unique_ptr<DockHostWindow> clear = makeDockHostWindow(state, spec);
    EXPECT_TRUE(clear);
    EXPECT_EQ(areas.alive().size(), 1u);

    install(true);
    const std::unique_ptr<DockHostWindow> composited = makeDockHostWindow(state, spec);
    EXPECT_TRUE(composited);
    EXPECT_EQ(areas.alive().size(), 2u);

    // No such area on this display: a window of ours.
    install(false);
    areas.refuse = true;
    EXPECT_FALSE(InputStrip::make(state, spec));
    EXPECT_TRUE(makeDockHostWindow(state, spec));
    EXPECT_EQ(areas.windows.size(), 2u);
}

// Where the platform makes no such area, the strip is a window of ours. It
// takes the pointer on the screen's last row alone, only while its dock is
// hidden and no full-screen window in front keeps that row; it shows whole
// where something composites (no shadow), that row alone elsewhere. At 2.5
// Qt rounds that row from 19.6 to 20, past the window's view: entered there,
// the window brings the bar back all the same.
TEST_F(InputStripTest, AStripWindowTakesOnlyTheEdgeRowWhileItsDockIsHiddenAndNoFullScreenWindowIsInFront)
{
    const QRect whole(0, primary.bottom() - 19, primary.width() - 2, 20);
    const QRegion edgeRow(QRect(0, primary.bottom(), primary.width() - 2, 1));
    QStringList left;
    QObject receiver;
    QObject::connect(&AutoShowStrips::shared(), &AutoShowStrips::pointerLeft, &receiver,
        [&](const QString& screenID) { left << screenID; });
    for (const bool translucent : { true, false }) {
        SCOPED_TRACE(translucent ? "composited" : "nothing composites");
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete); // the last round's window
        platform::fake::FakePlatform fake;
        install(translucent, &fake);
        areas.refuse = true;
        autoHide(QStringLiteral("false"));
        showDock(true);
        const std::unique_ptr<DockHostWindow> strip = makeDockHostWindow(state, spec);
        QWidget* window = nullptr;
        for (QWidget* top : QApplication::topLevelWidgets())
            if (top->windowTitle() == QLatin1String("orbitShelf auto-show strip"))
                window = top;
        ASSERT_TRUE(strip && window);
        const QRegion shown = translucent ? QRegion(whole) : edgeRow;
        EXPECT_EQ(shape, std::pair(QRegion(), shown)) << "a shown bar needs no strip";
        autoHide(QStringLiteral("true"));
        showDock(false);
        EXPECT_EQ(shape, std::pair(edgeRow, shown));
        left.clear();
        const QPointF past(100, window->height());
        QEnterEvent enter(past, past, window->mapToGlobal(past));
        QCoreApplication::sendEvent(window, &enter);
        EXPECT_TRUE(state.showSpaceDock[kStripScreen]) << "entered past its view";
        EXPECT_TRUE(shape.first.isEmpty()) << "the bar it brought back takes over";
        QEvent leave(QEvent::Leave);
        QCoreApplication::sendEvent(window, &leave);
        EXPECT_EQ(left, QStringList { kStripScreen });

        showDock(false);
        const quint32 film = fake.addWindow(4242, QStringLiteral("film"), primary);
        fake.setActiveWindow(film);
        for (const bool fullScreen : { true, false }) {
            fake.updateWindow(film, [fullScreen](platform::ServerWindow& w) { w.fullScreen = fullScreen; });
            emit front.changed();
            EXPECT_EQ(shape.first, fullScreen ? QRegion() : edgeRow)
                << "a full-screen film in front keeps its last row";
        }
        platform::uninstall();
    }
}

// Between a change of the screens and the bars rebuilt on it, a hidden
// bar's strip, area or window of ours, takes nothing.
TEST_F(InputStripTest, AHiddenBarsStripTakesNothingWhileTheScreensSettle)
{
    for (const bool window : { false, true }) {
        SCOPED_TRACE(window ? "a window of ours" : "an area that draws nothing");
        install(window);
        areas.refuse = window;
        const std::unique_ptr<DockHostWindow> strip = makeDockHostWindow(state, spec);
        ASSERT_TRUE(strip);
        autoHide(QStringLiteral("true"));
        showDock(false);
        const auto input = [&] { return window ? shape.first : areas.alive().back()->inputRegion; };
        const QRegion edgeRow = input();
        ASSERT_FALSE(edgeRow.isEmpty());

        ScreensSettling::shared().setSettling(true);
        EXPECT_TRUE(input().isEmpty());
        state.publish();
        EXPECT_TRUE(input().isEmpty()) << "the bar's state changing meanwhile";
        ScreensSettling::shared().setSettling(false);
        EXPECT_EQ(input(), edgeRow);
    }
}

} // namespace
