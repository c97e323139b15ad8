// The dock view's picture follows the bar rows: every item points back to
// its entry, and running applications' items to their process ids.
#include "dock/DockView.h"

#include "DockTestSupport.h"
#include "state/Persistence.h"
#include "dock/layout/DockEdges.h"
#include "platform/fake/FakePlatform.h"
#include "platform/fake/FakeServices.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QEvent>
#include <QLoggingCategory>
#include <QWidget>

namespace {

const QString kScreen = QStringLiteral("Optional(V)");

class DockViewRows : public StateTest {
protected:
    void SetUp() override { mainDockScreenID() = kScreen; }
    void TearDown() override { mainDockScreenID().clear(); }
};

TEST_F(DockViewRows, PictureItemsPointBackToEntriesAndApplications)
{
    state.spaceListmode[kScreen] = "grid";
    state.settings.setStackAppLimit(4);
    addRunningApp(state, 30, 3, 10); // a grid of three
    addRunningApp(state, 20, 5, 20); // stacked
    addRunningApp(state, 40, 1, 30);

    DockView view(state, true, 1920, 1080, kScreen);
    view.resize(1920, 500);
    view.refreshPicture();

    const std::vector<BarEntry>& entries = view.barEntries();
    EXPECT_EQ(view.appIds(), (std::vector<qint32> { 30, 20, 40 }));
    std::map<uint32_t, DockBarItem> windowItems;
    for (const DockBarItem& item : view.picture().items) {
        ASSERT_GE(item.entryIndex, 0);
        const BarEntry& entry = entries[size_t(item.entryIndex)];
        if (entry.kind == BarEntry::Kind::WindowButton) {
            EXPECT_EQ(item.kind, DockBarItem::Kind::Window);
            EXPECT_EQ(view.appIds()[size_t(item.appIndex)], entry.pid);
            EXPECT_EQ(item.windowIndex, int(*entry.window->num % 10)) << "window in display order";
            windowItems[*entry.window->num] = item;
        } else if (entry.kind == BarEntry::Kind::StackButton) {
            EXPECT_EQ(item.kind, DockBarItem::Kind::App);
            EXPECT_EQ(view.appIds()[size_t(item.appIndex)], 20);
        }
    }
    EXPECT_EQ(view.picture().items.size(), entries.size());
    // The grid's second window stands below its first.
    EXPECT_EQ(windowItems[300].rect.left(), windowItems[301].rect.left());
    EXPECT_LT(windowItems[300].rect.top(), windowItems[301].rect.top());
    EXPECT_EQ(view.itemAt(windowItems[302].rect.center())->entryIndex, windowItems[302].entryIndex);
}

// Counts the paint events a widget gets.
class PaintCounter : public QObject {
public:
    int paints = 0;
    bool eventFilter(QObject*, QEvent* event) override
    {
        paints += event->type() == QEvent::Paint;
        return false;
    }
};

TEST_F(DockViewRows, RenameRedrawsTheBarOnlyWhereTheBarShowsTitles)
{
    addRunningApp(state, 30, 2, 10); // two windows: each shows its label
    addRunningApp(state, 40, 1, 20); // one window: its icon alone
    EXPECT_TRUE(barShowsTitleOf(state, 300));
    EXPECT_TRUE(barShowsTitleOf(state, 301));
    EXPECT_FALSE(barShowsTitleOf(state, 400));
    EXPECT_FALSE(barShowsTitleOf(state, 999));

    platform::fake::FakePlatform fake;
    platform::install(platform::fake::services(&fake));
    // A bar that is shown reads the pins and plugins from the store (in this
    // test program's private data home).
    ASSERT_TRUE(PersistenceController::hasShared() || !PersistenceController::openShared().has_value());
    DockView view(state, true, 1920, 1080, kScreen);
    view.resize(1920, 500);
    PaintCounter counter;
    view.installEventFilter(&counter);
    view.show();
    QCoreApplication::processEvents();
    const int before = counter.paints;

    (*state.allApps.value(40)->windows)[0]->title = QStringLiteral("renamed");
    state.publishTitle(400);
    QCoreApplication::processEvents();
    EXPECT_EQ(counter.paints, before) << "a lone window's title is not on the bar";

    (*state.allApps.value(30)->windows)[1]->title = QStringLiteral("renamed");
    state.publishTitle(301);
    QCoreApplication::processEvents();
    EXPECT_GT(counter.paints, before) << "the label of one of two windows shows the new title";
    view.hide();
    platform::uninstall();
}

QStringList g_dockLines;

void keepDockLine(QtMsgType, const QMessageLogContext& context, const QString& message)
{
    if (QLatin1String(context.category) == QLatin1String("orbitshelf.dock"))
        g_dockLines << message;
}

// The places the bar logs in screen coordinates are what people and the
// end-to-end checks go by: they follow the dock window when the window
// manager moves it (as a panel's reserve comes), though the picture in it
// stays the same.
TEST_F(DockViewRows, LoggedPlacesFollowTheDockWindowWhenItMoves)
{
    addRunningApp(state, 30, 1, 10);
    platform::fake::FakePlatform fake;
    platform::install(platform::fake::services(&fake));
    ASSERT_TRUE(PersistenceController::hasShared() || !PersistenceController::openShared().has_value());
    QLoggingCategory::setFilterRules(QStringLiteral("orbitshelf.dock.debug=true"));
    const QtMessageHandler previous = qInstallMessageHandler(keepDockLine);
    QWidget host;
    host.setGeometry(0, 600, 1920, 500);
    DockView view(state, true, 1920, 1080, kScreen, &host);
    view.setGeometry(0, 0, 1920, 500);
    host.show();
    QCoreApplication::processEvents();
    const DockBarItem item = view.picture().items.at(0);
    const QPoint placed = view.mapToGlobal(item.rect.topLeft().toPoint());

    g_dockLines.clear();
    host.move(0, 580);
    QCoreApplication::processEvents();
    qInstallMessageHandler(previous);
    QLoggingCategory::setFilterRules(QString());
    const QPoint now = view.mapToGlobal(item.rect.topLeft().toPoint());
    ASSERT_NE(now, placed);
    const QString moved = QStringLiteral(" at %1,%2 ").arg(now.x()).arg(now.y());
    EXPECT_TRUE(g_dockLines.join(QLatin1Char('\n')).contains(moved))
        << "no line places the bar's first item" << moved.toStdString() << " after the move:\n"
        << g_dockLines.join(QLatin1Char('\n')).toStdString();
    host.hide();
    platform::uninstall();
}

} // namespace
