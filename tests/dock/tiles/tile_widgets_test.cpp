// The tiles as widgets: the break tile's pill and countdown drawn and
// tapped, the tool sheets filled only on the mouse's screen and closed with
// their flag, and bar clicks mapped to the right window and tool.
#include "dock/DockViewState.h"
#include "dock/input/BarClicks.h"
#include "dock/input/DockBarPointer.h"
#include "dock/layout/DockEdges.h"
#include "dock/tiles/DockTilePainting.h"
#include "dock/tiles/PomodoroTile.h"
#include "dock/tiles/ToolSheets.h"
#include "state/Persistence.h"
#include "tests/dock/DockTestSupport.h"
#include "tools/NoteView.h"
#include "tools/PomodoroRun.h"

#include <QAbstractButton>
#include <QCoreApplication>
#include <QDir>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPainter>
#include <QPlainTextEdit>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QWidget>

#include <gtest/gtest.h>

namespace {

// The start pill's green, 15 points in from its left end: clear of its
// label and of its white edge. `at` maps a point of the tile to the widget.
bool pillDrawn(
    PomodoroTile& tile, const std::function<QPointF(QPointF)>& at = [](QPointF p) { return p; })
{
    const QRectF pill = tile.startPillRect();
    const QPoint p = at(QPointF(pill.left() + 15, pill.center().y())).toPoint();
    return renderWidget(tile).pixelColor(p) == QColor(149, 210, 107);
}

void click(QWidget& widget, QPointF at)
{
    QMouseEvent release(
        QEvent::MouseButtonRelease, at, widget.mapToGlobal(at), Qt::LeftButton, Qt::NoButton, Qt::NoModifier);
    QCoreApplication::sendEvent(&widget, &release);
}

} // namespace

class TileWidgets : public ::testing::Test {
protected:
    void SetUp() override
    {
        state().pomodoro.startPomodoroTask = true;
        pomodoroWorkEndSecond = 1500;
        state().popups = {};
    }
    void TearDown() override
    {
        state().pomodoro.startPomodoroTask = false;
        state().allApps.clear();
        pomodoroTickCount = pomodoroWorkEndSecond = 0;
        pomodoroRunning = false;
    }
    static AppState& state() { return AppState::shared(); }

    orbitshelf::test::TempUserDefaults defaults;
};

TEST_F(TileWidgets, BreakTileShowsThePillOnceTheBreakIsOverAndOnlyThePillStartsTheNextRun)
{
    PomodoroTile tile(state(), "Optional(A)");
    tile.resize(tile.sizeHint());
    pomodoroTickCount = 1501;
    EXPECT_EQ(tile.countdownText(), "04 : 59 ");
    EXPECT_FALSE(tile.startPillShown());
    EXPECT_FALSE(pillDrawn(tile));
    click(tile, tile.startPillRect().center());
    EXPECT_TRUE(state().pomodoro.startPomodoroTask) << "a tap before the break is over started a run";

    pomodoroTickCount = 1500 + 300;
    EXPECT_TRUE(tile.startPillShown());
    EXPECT_EQ(tile.countdownText(), "00 : 00 ");
    EXPECT_TRUE(pillDrawn(tile));

    click(tile, QPointF(20, tile.height() / 2.0)); // the banner
    EXPECT_TRUE(state().pomodoro.startPomodoroTask);
    click(tile, tile.startPillRect().center());
    EXPECT_FALSE(state().pomodoro.startPomodoroTask);
    EXPECT_TRUE(pomodoroRunning);
    EXPECT_EQ(pomodoroTickCount, 0);
    EXPECT_FALSE(state().needRestorePomodoro()) << "only the restart on wake marks a run for restoring";
}

TEST_F(TileWidgets, OnAVerticalBarTheTileIsTurnedAndItsPillStillAnswers)
{
    PomodoroTile tile(state(), "Optional(A)");
    const QSize along = tile.sizeHint();
    tile.resize(along.height(), along.width());
    tile.setVertical(true);
    pomodoroTickCount = 1500 + 300;
    // A quarter turn clockwise: the tile's x runs down the bar.
    const auto turned = [&](QPointF p) { return QPointF(tile.width() - p.y(), p.x()); };
    const QPointF pill = tile.startPillRect().center(); // in the tile's own coordinates
    EXPECT_EQ(tile.toTile(turned(pill)), pill);
    EXPECT_TRUE(pillDrawn(tile, turned));
    click(tile, turned(pill));
    EXPECT_FALSE(state().pomodoro.startPomodoroTask);
}

TEST_F(TileWidgets, OnlyTheBarOnTheMousesScreenFillsTheSheetAndClosingItLowersTheFlag)
{
    QWidget dockA, dockB;
    // Off every screen: B's sheet keeps the size made for B's bar, not
    // fitted to the test's small screen.
    dockB.move(-5000, -5000);
    DockViewState barA { true, 1920, 1080, "Optional(A)" };
    DockViewState barB { false, 1280, 1024, "Optional(B)" };
    ToolSheets sheetsA(state(), barA, &dockA);
    ToolSheets sheetsB(state(), barB, &dockB);
    sheetsA.setMouseOnThisScreen([] { return false; });
    sheetsB.setMouseOnThisScreen([] { return true; });

    toolTileClicked("Pasteboard", barA, state()); // clicked on A, the mouse is on B
    EXPECT_EQ(sheetsA.sheet(Tool::Pasteboard), nullptr);
    QWidget* sheet = sheetsB.sheet(Tool::Pasteboard);
    ASSERT_NE(sheet, nullptr);
    EXPECT_EQ(sheet->size(), QSize(1280, 500));

    sheet->close();
    EXPECT_FALSE(state().popups[Tool::Pasteboard]);
    EXPECT_EQ(sheetsB.sheet(Tool::Pasteboard), nullptr);
}

TEST_F(TileWidgets, BarItemsMapToTheirWindowAndTool)
{
    using Kind = DockBarItem::Kind;
    auto app = addRunningApp(state(), 300, 2);
    addRunningApp(state(), 100, 0);
    state().settings.setPinedPlugins({ { "Pomodoro", "" }, { "FastFinder", "" } });

    DockBarPicture picture;
    picture.items = { { Kind::Tool, {}, {}, -1, -1 }, { Kind::Tool, {}, {}, -1, -1 },
        { Kind::Window, {}, {}, 0, 1 }, { Kind::Window, {}, {}, 1, 0 } };
    // The picture's order of applications, not the process ids' order.
    const std::vector<qint32> appIds { 300, 100 };
    EXPECT_EQ(dockBarWindow(state(), appIds, picture.items[2]), (*app->windows)[1]);
    EXPECT_EQ(dockBarWindow(state(), appIds, picture.items[3]), nullptr) << "an application without windows";
    EXPECT_EQ(dockBarWindow(state(), {}, picture.items[2]), nullptr);
    // An application button is its window's only while it has just one.
    const DockBarItem appButton { Kind::App, {}, {}, 0, -1 };
    EXPECT_EQ(dockBarWindow(state(), appIds, appButton), nullptr) << "a stacked button has no one window";
    app->windows->pop_back();
    EXPECT_EQ(dockBarWindow(state(), appIds, appButton), (*app->windows)[0]);
    EXPECT_EQ(toolOfItem(state(), picture, picture.items[0]), "FastFinder");
    EXPECT_EQ(toolOfItem(state(), picture, picture.items[1]), "Pomodoro");
    EXPECT_EQ(toolOfItem(state(), picture, picture.items[2]), std::nullopt);
}

// Beside a bar on any edge, every control of a tool's panel gets the room it
// needs inside the panel (a squeezed panel cut its clock and hid "Reset"),
// the folder browser's too with a home folder named after its owner's full
// name: a home of the test's own, never the runner's.
TEST_F(TileWidgets, EveryPanelHoldsItsControlsWholeBesideAnyBar)
{
    QTemporaryDir homes;
    const QString home = homes.filePath(QStringLiteral("Maximiliane Ottilie Wolkenstein-Hartenau"));
    ASSERT_TRUE(QDir().mkpath(home));
    const QByteArray runnersHome = qgetenv("HOME");
    qputenv("HOME", home.toLocal8Bit());
    const auto restoreHome = qScopeGuard([&] { qputenv("HOME", runnersHome); });
    // The notes are read from the store (this test program's private one).
    ASSERT_TRUE(PersistenceController::hasShared() || !PersistenceController::openShared().has_value());
    for (const char* edge : { "bottom", "left", "right" }) {
        SCOPED_TRACE(edge);
        CustomSettings().setMainDockPosition(QString::fromLatin1(edge));
        mainDockScreenID() = QStringLiteral("Optional(A)");
        QWidget dock;
        DockViewState bar { true, 1920, 1080, "Optional(A)" };
        ToolSheets sheets(state(), bar, &dock);
        sheets.setMouseOnThisScreen([] { return true; });
        for (const auto& [tool, sheet] :
            { std::pair { "Pomodoro", Tool::Pomodoro }, std::pair { "Pasteboard", Tool::Pasteboard },
                std::pair { "FastFinder", Tool::FastFinder }, std::pair { "Note", Tool::Note } }) {
            SCOPED_TRACE(tool);
            toolTileClicked(QString::fromLatin1(tool), bar, state());
            QWidget* panel = sheets.sheet(sheet);
            ASSERT_NE(panel, nullptr);
            QCoreApplication::processEvents();
            for (QWidget* control : panel->findChildren<QWidget*>()) {
                if (!control->isVisibleTo(panel)
                    || !(qobject_cast<QAbstractButton*>(control) || qobject_cast<QLineEdit*>(control)
                        || qobject_cast<QLabel*>(control)))
                    continue;
                const QRect at(control->mapTo(panel, QPoint(0, 0)), control->size());
                EXPECT_TRUE(panel->rect().contains(at)) << control->objectName().toStdString();
                EXPECT_GE(control->width(), control->minimumSizeHint().width())
                    << control->metaObject()->className() << " " << control->objectName().toStdString();
            }
            if (sheet == Tool::Note) {
                // The hub's notes, with their editor whole in the panel.
                const auto* notes = panel->findChild<NoteView*>();
                ASSERT_NE(notes, nullptr);
                const QRect editor(notes->editor()->mapTo(panel, QPoint(0, 0)), notes->editor()->size());
                EXPECT_TRUE(panel->rect().contains(editor));
            }
            toolTileClicked(QString::fromLatin1(tool), bar, state()); // closes it
        }
    }
    CustomSettings().setMainDockPosition(QStringLiteral("bottom"));
}

// The tools' tiles read on the bar: the glyph on the dark tile is light.
TEST(ToolTileLooks, TheGlyphIsLightOnTheDarkTile)
{
    const QColor ground(0x3d, 0x4a, 0x5c);
    for (const char* tool : { "Pomodoro", "Todo", "Pasteboard", "FastFinder", "Note" }) {
        QImage tile(64, 64, QImage::Format_ARGB32_Premultiplied);
        tile.fill(Qt::transparent);
        {
            QPainter painter(&tile);
            paintToolTile(painter, QRectF(0, 0, 64, 64), QString::fromLatin1(tool));
        }
        // The glyph's pixels: those that differ clearly from the tile.
        double lightness = 0;
        int pixels = 0;
        for (int y = 8; y < 56; ++y)
            for (int x = 8; x < 56; ++x) {
                const QColor c = tile.pixelColor(x, y);
                if (std::abs(c.lightness() - ground.lightness()) > 40) {
                    lightness += c.lightness();
                    ++pixels;
                }
            }
        ASSERT_GT(pixels, 20) << tool << ": nothing drawn on the tile";
        EXPECT_GT(lightness / pixels, ground.lightness() + 60) << tool << ": a dark glyph on the dark tile";
    }
}
