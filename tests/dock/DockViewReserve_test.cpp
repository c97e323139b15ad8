// A bar reserves for the window the program put it in. Choosing another
// edge writes the setting first, and every bar hears it before its window
// is made anew: the old bar stays laid out for its own window's edge, and
// once that window is leaving it tells the server nothing more; the window
// it leaves takes the new bar's reserve just before the new one sets it.
#include "dock/DockView.h"

#include "DockTestSupport.h"
#include "dock/layout/DockEdges.h"
#include "platform/fake/FakePlatform.h"
#include "platform/fake/FakeServices.h"
#include "state/Persistence.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <vector>

using platform::ReservedEdge;

namespace {

const QString kReserveScreen = QStringLiteral("Optional(R)");

// A reserve as the bar sent it: to its window, or (no window) handed over.
struct SentReserve {
    const QWindow* window = nullptr;
    std::optional<ReservedEdge> edge;
};

// A dock window of the test's own with a bar in it, put where the program
// puts the main dock's window for `edge` on the test's screen.
struct PlacedBar {
    PlacedBar(AppState& state, const QString& edge)
    {
        const QRect screen = QGuiApplication::primaryScreen()->geometry();
        QRect frame(screen.left(), screen.bottom() + 1 - 500, screen.width(), 500);
        if (edge == QLatin1String("left"))
            frame = QRect(screen.left() - 20, screen.top(), 500, screen.height());
        else if (edge == QLatin1String("right"))
            frame = QRect(screen.right() + 1 - 490, screen.top(), 500, screen.height());
        host.setGeometry(frame);
        view = std::make_unique<DockView>(state, true, screen.width(), screen.height(), kReserveScreen, &host);
        view->setGeometry(0, 0, frame.width(), frame.height());
        view->setPlace(frame.topLeft(), QRectF(screen.intersected(frame).translated(-frame.topLeft())), edge);
    }
    ~PlacedBar() { host.hide(); }
    void show()
    {
        host.show();
        QCoreApplication::processEvents();
    }
    QWidget host;
    std::unique_ptr<DockView> view;
};

class DockViewReserve : public StateTest {
protected:
    void SetUp() override
    {
        mainDockScreenID() = kReserveScreen;
        addRunningApp(state, 30, 2, 10);
        platform::Services services = platform::fake::services(&fake);
        services.dockWindowHints.reserveEdge
            = [this](QWindow* window, const std::optional<ReservedEdge>& edge) {
                  sent.push_back({ window, edge });
              };
        platform::install(std::move(services));
        ASSERT_TRUE(PersistenceController::hasShared() || !PersistenceController::openShared().has_value());
    }
    void TearDown() override
    {
        platform::uninstall();
        mainDockScreenID().clear();
    }

    // The reserve last sent to `window`'s window.
    std::optional<ReservedEdge> lastSentTo(const QWidget& window) const
    {
        for (auto it = sent.rbegin(); it != sent.rend(); ++it)
            if (it->window && it->window == window.windowHandle())
                return it->edge;
        return std::nullopt;
    }

    platform::fake::FakePlatform fake;
    std::vector<SentReserve> sent;
};

const char* const kEdges[] = { "bottom", "left", "right" };

ReservedEdge::Side sideOf(const QString& edge)
{
    return edge == QLatin1String("left") ? ReservedEdge::Side::left
        : edge == QLatin1String("right") ? ReservedEdge::Side::right
                                         : ReservedEdge::Side::bottom;
}

// Every edge the setting can name while the window still stands for another:
// the bar keeps its window's edge and its own rows on it.
TEST_F(DockViewReserve, ASettingNamingAnotherEdgeLeavesTheReserveOfTheWindowsOwn)
{
    for (const char* placedEdge : kEdges) {
        for (const char* settingEdge : kEdges) {
            if (QLatin1String(placedEdge) == QLatin1String(settingEdge))
                continue;
            SCOPED_TRACE(std::string("window put for ") + placedEdge + ", the setting now " + settingEdge);
            state.settings.setMainDockPosition(QString::fromLatin1(placedEdge));
            PlacedBar bar(state, QString::fromLatin1(placedEdge));
            bar.show();
            const std::optional<ReservedEdge> own = lastSentTo(bar.host);
            ASSERT_TRUE(own);
            EXPECT_EQ(own->side, sideOf(QString::fromLatin1(placedEdge)));
            EXPECT_LE(own->thickness, 52) << "a bar's rows and the two below a bottom bar";

            const size_t before = sent.size();
            state.settings.setMainDockPosition(QString::fromLatin1(settingEdge));
            QCoreApplication::processEvents();
            for (size_t i = before; i < sent.size(); ++i)
                EXPECT_EQ(sent[i].edge, own) << "reserve " << i - before << " after the setting changed";
            EXPECT_EQ(bar.view->barEdge().toStdString(), placedEdge);
        }
    }
}

// Left to right: the leaving bar is silent whatever it hears, and the new
// bar's reserve goes to the leaving window before its own is set (the work
// area shifts in one step: never both edges at once).
TEST_F(DockViewReserve, ALeavingBarTellsNothingAndTakesItsSuccessorsReserveFirst)
{
    state.settings.setMainDockPosition(QStringLiteral("left"));
    PlacedBar old(state, QStringLiteral("left"));
    old.show();
    ASSERT_TRUE(lastSentTo(old.host));
    state.settings.setMainDockPosition(QStringLiteral("right"));
    old.view->leave();
    const size_t before = sent.size();
    state.publish();
    QCoreApplication::processEvents();
    EXPECT_EQ(sent.size(), before) << "a leaving bar sends no reserve";

    PlacedBar successor(state, QStringLiteral("right"));
    successor.view->setReserveHandOver([this](const std::optional<ReservedEdge>& edge) {
        sent.push_back({ nullptr, edge });
    });
    successor.show();
    const std::optional<ReservedEdge> right = lastSentTo(successor.host);
    ASSERT_TRUE(right);
    EXPECT_EQ(right->side, ReservedEdge::Side::right);
    const auto handed = std::find_if(
        sent.begin() + long(before), sent.end(), [](const SentReserve& s) { return !s.window && s.edge; });
    ASSERT_NE(handed, sent.end()) << "the successor's reserve was never handed over";
    EXPECT_EQ(handed->edge, right);
    const auto own = std::find_if(sent.begin() + long(before), sent.end(),
        [&](const SentReserve& s) { return s.window == successor.host.windowHandle() && s.edge; });
    EXPECT_LT(handed, own) << "handed over before it was set";
    EXPECT_TRUE(std::none_of(sent.begin() + long(before), sent.end(),
        [&](const SentReserve& s) { return s.window == old.host.windowHandle(); }));
}

} // namespace
