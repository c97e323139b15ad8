// A bar reserves for the window the program put it in, whatever the edge
// setting says meanwhile, until its window is made anew elsewhere.
#include "dock/DockView.h"

#include "DockTestSupport.h"
#include "dock/layout/DockEdges.h"
#include "platform/fake/FakePlatform.h"
#include "platform/fake/FakeServices.h"
#include "state/Persistence.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QScopeGuard>
#include <QScreen>
#include <QWidget>

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <memory>
#include <vector>

using platform::ReservedEdge;

namespace {

const QString kReserveScreen = QStringLiteral("Optional(R)");

// A bar in a window of the test's, put where the program puts the main
// dock's window for `edge`, and shown.
struct PlacedBar {
    PlacedBar(AppState& state, const QString& edge,
        std::function<void(const std::optional<ReservedEdge>&)> handOver = {})
    {
        const QRect screen = QGuiApplication::primaryScreen()->geometry();
        const QRect frame = edge == QLatin1String("left")
            ? QRect(screen.left() - 20, screen.top(), 500, screen.height())
            : edge == QLatin1String("right")
            ? QRect(screen.right() - 489, screen.top(), 500, screen.height())
            : QRect(screen.left(), screen.bottom() - 499, screen.width(), 500);
        host.setGeometry(frame);
        view
            = std::make_unique<DockView>(state, true, screen.width(), screen.height(), kReserveScreen, &host);
        view->setGeometry(0, 0, frame.width(), frame.height());
        view->setPlace(frame.topLeft(), QRectF(screen.intersected(frame).translated(-frame.topLeft())), edge);
        view->setReserveHandOver(std::move(handOver));
        host.show();
        QCoreApplication::processEvents();
    }
    ~PlacedBar() { host.hide(); }
    QWidget host;
    std::unique_ptr<DockView> view;
};

using DockViewReserve = StateTest;

// The bar keeps its own window's reserve, sends none once leaving, and the
// next bar's reserve goes to the leaving window just before the next one
// sets it: the work area shifts in one step, never both edges at once.
TEST_F(DockViewReserve, ABarReservesForItsOwnWindowAndItsSuccessorsReserveIsHandedOverFirst)
{
    mainDockScreenID() = kReserveScreen;
    addRunningApp(state, 30, 2, 10);
    platform::fake::FakePlatform fake;
    // Each reserve as the bars sent it: to a window, or (none) handed over.
    using Sent = std::vector<std::pair<const QWindow*, std::optional<ReservedEdge>>>;
    Sent sent;
    platform::Services services = platform::fake::services(&fake);
    services.dockWindowHints.reserveEdge = [&sent](QWindow* window, const std::optional<ReservedEdge>& edge) {
        sent.emplace_back(window, edge);
    };
    platform::install(std::move(services));
    const auto cleanUp = qScopeGuard([] {
        platform::uninstall();
        mainDockScreenID().clear();
    });
    ASSERT_TRUE(PersistenceController::hasShared() || !PersistenceController::openShared().has_value());
    using Side = ReservedEdge::Side;
    for (const auto& [placed, setting, settingSide] : { std::tuple("bottom", "left", Side::left),
             std::tuple("right", "left", Side::left), std::tuple("left", "bottom", Side::bottom) }) {
        SCOPED_TRACE(std::string("window put for ") + placed + ", the setting now " + setting);
        state.settings.setMainDockPosition(QString::fromLatin1(placed));
        PlacedBar old(state, QString::fromLatin1(placed));
        ASSERT_TRUE(!sent.empty() && sent.back().first == old.host.windowHandle() && sent.back().second);
        const auto own = sent.back();

        size_t before = sent.size();
        state.settings.setMainDockPosition(QString::fromLatin1(setting));
        QCoreApplication::processEvents();
        for (size_t i = before; i < sent.size(); ++i)
            EXPECT_EQ(sent[i], own) << "reserve " << i - before << " after the setting changed";

        old.view->leave();
        before = sent.size();
        state.publish();
        QCoreApplication::processEvents();
        PlacedBar next(state, QString::fromLatin1(setting),
            [&sent](const std::optional<ReservedEdge>& edge) { sent.emplace_back(nullptr, edge); });
        Sent after(sent.begin() + long(before), sent.end());
        EXPECT_TRUE(std::none_of(after.begin(), after.end(), [&](const auto& s) {
            return s.first == old.host.windowHandle();
        })) << "a leaving bar sends no reserve";
        std::erase_if(after, [](const auto& s) { return !s.second; });
        ASSERT_GE(after.size(), 2u);
        EXPECT_EQ(after[0].first, nullptr) << "the next bar's reserve is handed over before it is set";
        EXPECT_EQ(after[1].first, next.host.windowHandle());
        EXPECT_EQ(after[0].second, after[1].second);
        EXPECT_EQ(after[1].second->side, settingSide);
    }
}

} // namespace
