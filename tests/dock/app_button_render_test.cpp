// Offscreen renders of the bar's buttons, checked by the colours of the
// pixels where each part must stand.
#include "app/AppState.h"
#include "apps/ActiveApp.h"
#include "apps/Windows.h"
#include "dock/AppButton.h"
#include "dock/AppIconButtonStyle.h"
#include "dock/BlurView.h"
#include "dock/DockIcons.h"
#include "dock/StackAppButton.h"
#include "tests/support/TempStores.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QImage>
#include <QLoggingCategory>
#include <QMimeData>
#include <QPainter>
#include <QTemporaryDir>
#include <QToolButton>
#include <QUrl>

#include <gtest/gtest.h>

using orbitshelf::test::TempUserDefaults;

namespace {

const QString kScreen = QStringLiteral("Optional(S)");

QIcon solidIcon(const QColor& colour)
{
    QPixmap pixmap(64, 64);
    pixmap.fill(colour);
    return QIcon(pixmap);
}

class AppButtonRender : public ::testing::Test {
protected:
    void SetUp() override
    {
        AppState& state = AppState::shared();
        state.allApps.clear();
        state.focusedWindow.clear();
        state.previousAppWindow = 0;
        state.spaceListmode.insert(kScreen, QStringLiteral("list"));
        state.spaceWindowTagWidth.insert(kScreen, 140);
        state.spaceDockWidth.clear();
    }
    void TearDown() override { AppState::shared().allApps.clear(); }

    // A running application with `count` windows numbered 500, 501, ...
    std::shared_ptr<ActiveApp> addApp(int32_t pid, int count, const QColor& iconColour = QColor(10, 10, 10))
    {
        auto app = std::make_shared<ActiveApp>();
        app->appId = pid;
        app->icon = solidIcon(iconColour);
        app->windows = std::vector<std::shared_ptr<Windows>>();
        for (int i = 0; i < count; ++i) {
            auto window = std::make_shared<Windows>();
            window->appId = pid;
            window->num = uint32_t(500 + pid * 100 + i);
            window->title = QStringLiteral("w");
            app->windows->push_back(window);
        }
        AppState::shared().allApps.insert(pid, app);
        return app;
    }

    static QImage render(const AppButtonLook& look)
    {
        const QSizeF frame = appButtonFrameSize(look);
        QImage image(frame.toSize(), QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::transparent);
        QPainter painter(&image);
        paintAppButton(painter, QRectF(QPointF(0, 0), frame), look);
        return image;
    }

    static AppButtonLook lookOf(
        const std::shared_ptr<Windows>& window, int windowCount, bool tags = true, bool pinned = false)
    {
        return appButtonLook(AppState::shared(), *window, nullptr, kScreen, windowCount, 0, tags, pinned);
    }

    TempUserDefaults m_defaults;
};

TEST_F(AppButtonRender, FocusIndicatorTakesTheOpenIndicatorColour)
{
    AppState& state = AppState::shared();
    const auto app = addApp(10, 1);
    const auto window = app->windows->front();
    state.settings.setOpenIndicatorColor(QStringLiteral("ff0000"));

    const AppButtonLook unfocused = lookOf(window, 1);
    const QPointF at
        = appButtonIndicatorCentre(QRectF(QPointF(0, 0), appButtonFrameSize(unfocused)), unfocused);
    EXPECT_EQ(at, QPointF(23, 43)) << "centred, 20 points under the icon's middle";
    EXPECT_NE(render(unfocused).pixelColor(at.toPoint()), QColor(255, 0, 0));

    state.focusedWindow.insert(*window->num, true);
    EXPECT_EQ(render(lookOf(window, 1)).pixelColor(at.toPoint()), QColor(255, 0, 0));

    state.settings.setOpenIndicatorColor(QStringLiteral("not a colour"));
    EXPECT_EQ(render(lookOf(window, 1)).pixelColor(at.toPoint()), QColor(255, 255, 255));
}

TEST_F(AppButtonRender, PreviousWindowIndicatorTakesItsOwnColourBesideTheChip)
{
    AppState& state = AppState::shared();
    const auto app = addApp(11, 3);
    const auto window = app->windows->at(1);
    state.settings.setPreviousIndicatorColor(QStringLiteral("00ff00"));
    state.previousAppWindow = *window->num;

    const AppButtonLook look = lookOf(window, 3);
    ASSERT_TRUE(look.chip);
    const QRectF frame(QPointF(0, 0), appButtonFrameSize(look));
    EXPECT_EQ(frame.size(), QSizeF(46 + 140, 46));
    const QPointF at = appButtonIndicatorCentre(frame, look);
    EXPECT_EQ(at, QPointF(93 + 18, 43)) << "shifted 18 points from the middle of icon and chip";
    EXPECT_EQ(render(look).pixelColor(at.toPoint()), QColor(0, 255, 0));
}

TEST_F(AppButtonRender, ChipTakesTheDockColourOrTheTagColour)
{
    AppState& state = AppState::shared();
    const auto app = addApp(12, 2);
    const auto window = app->windows->front();
    state.settings.setDockColor(QStringLiteral("00ff00"));
    state.setWindowtagColorCache({});
    // Inside the chip's left padding, clear of its text.
    const QPoint chipPixel(46 + 4, 23);

    EXPECT_EQ(render(lookOf(window, 2)).pixelColor(chipPixel), QColor(0, 255, 0));

    state.setWindowtagColorCache({ { window->tagKey(), QStringLiteral("0000ff") } });
    EXPECT_EQ(render(lookOf(window, 2)).pixelColor(chipPixel), QColor(0, 0, 255));

    state.setWindowtagColorCache({ { window->tagKey(), QStringLiteral("#0000ff") } });
    EXPECT_EQ(render(lookOf(window, 2)).pixelColor(chipPixel), QColor(0xf5, 0xbc, 0x53));

    state.focusedWindow.insert(*window->num, true);
    EXPECT_EQ(render(lookOf(window, 2)).pixelColor(chipPixel), QColor(56, 60, 68));
    state.setWindowtagColorCache({});
}

TEST_F(AppButtonRender, OnlyIconShowsTheTagAsALabelOverTheIcon)
{
    AppState& state = AppState::shared();
    state.settings.setButtonTheme(QStringLiteral("onlyIcon"));
    const auto app = addApp(13, 2, QColor(0, 0, 0));
    const auto window = app->windows->front();
    state.setWindowtagColorCache({ { window->tagKey(), QStringLiteral("ff00ff") } });

    const AppButtonLook look = lookOf(window, 2);
    EXPECT_FALSE(look.chip);
    EXPECT_EQ(look.overlay, OverlayLabel::DisplayTagOnTagColor);
    EXPECT_EQ(appButtonFrameSize(look), QSizeF(46, 46)) << "the icon alone";
    const QImage image = render(look);
    // The label's left part, 4 points above the bottom edge, clear of text.
    EXPECT_EQ(image.pixelColor(10, 46 - 4 - 2), QColor(255, 0, 255));
    EXPECT_EQ(image.pixelColor(10, 46 - 2), QColor(0, 0, 0)) << "the icon below the label's inset";
    state.settings.setButtonTheme(QStringLiteral("bigIcon"));
    state.setWindowtagColorCache({});
}

TEST_F(AppButtonRender, PinnedButtonHasClearIndicatorsAndNoDrop)
{
    AppState& state = AppState::shared();
    state.settings.setOpenIndicatorColor(QStringLiteral("ff0000"));
    auto pinned = std::make_shared<Windows>();
    pinned->num = 0;
    pinned->appBundleName = QStringLiteral("gimp");
    state.focusedWindow.insert(0, true);
    const AppButtonLook look = appButtonLook(state, *pinned, nullptr, kScreen, 1, 6, true, true);
    EXPECT_EQ(appButtonFrameSize(look), QSizeF(40, 46));
    const QPointF at = appButtonIndicatorCentre(QRectF(QPointF(0, 0), appButtonFrameSize(look)), look);
    EXPECT_NE(render(look).pixelColor(at.toPoint()), QColor(255, 0, 0));

    AppButton button(state, pinned, nullptr, kScreen, 1, 6, true, true);
    EXPECT_FALSE(button.acceptDrops());
}

TEST_F(AppButtonRender, StackedButtonShowsFourIconsInATwoByTwoGrid)
{
    const auto app = addApp(14, 9, QColor(255, 0, 0));
    QImage image(46, 46, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    {
        QPainter painter(&image);
        paintStackAppButton(painter, QRectF(0, 0, 46, 46), app->icon);
    }
    // The middle of each tile: the grid is 2 × 46/3 + 1 wide, centred.
    for (const QPoint p : { QPoint(14, 14), QPoint(31, 14), QPoint(14, 31), QPoint(31, 31) })
        EXPECT_EQ(image.pixelColor(p), QColor(255, 0, 0)) << p.x() << "," << p.y();
    // The one-point gap between the tiles is not solid icon.
    EXPECT_LT(image.pixelColor(22, 14).alpha(), 250);
    EXPECT_LT(image.pixelColor(14, 22).alpha(), 250);
    // The half-white outline 3 points outside the 31 × 36 grid frame, and
    // nothing beyond it.
    const QColor outline = image.pixelColor(4, 23);
    EXPECT_GT(outline.alpha(), 40);
    EXPECT_EQ(outline.red(), outline.blue());
    EXPECT_EQ(image.pixelColor(1, 23).alpha(), 0);
    EXPECT_EQ(image.pixelColor(6, 23).alpha(), 0) << "between outline and grid";
}

TEST_F(AppButtonRender, StackedListActivatesTheClickedWindowAndCloses)
{
    const auto app = addApp(15, 8);
    std::vector<uint32_t> activated;
    StackAppButton button(AppState::shared(), app, nullptr, kScreen, 0, true);
    button.setActivator([&](const std::shared_ptr<Windows>& w) { activated.push_back(*w->num); });
    button.togglePopover();
    ASSERT_TRUE(button.isShowingPopover());
    StackWindowList* list = button.popover();
    EXPECT_EQ(list->width(), 300);
    ASSERT_EQ(list->windows().size(), 8u);
    EXPECT_EQ(list->windows().front()->num, app->windows->front()->num) << "in display order";
    list->activateRow(2);
    EXPECT_EQ(activated, std::vector<uint32_t> { *app->windows->at(2)->num });
    EXPECT_FALSE(button.isShowingPopover());
}

TEST_F(AppButtonRender, IconButtonStyleLooksTheSamePressedAndReleased)
{
    QToolButton button;
    button.setStyle(AppIconButtonStyle::shared());
    button.setIcon(solidIcon(QColor(200, 30, 30)));
    button.setIconSize(QSize(32, 32));
    button.setText(QStringLiteral("Files"));
    button.setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
    button.resize(80, 60);
    const QImage released = button.grab().toImage();
    button.setDown(true);
    const QImage pressed = button.grab().toImage();
    EXPECT_EQ(pressed, released);
}

TEST_F(AppButtonRender, ShowingAButtonLeavesTheBarWidthToTheLayoutPass)
{
    AppState& state = AppState::shared();
    const auto app = addApp(16, 2);
    AppButton button(state, app->windows->front(), nullptr, kScreen, 2, 0, true, false);
    EXPECT_FALSE(button.showIcon()) << "a two-point placeholder until shown";
    button.show();
    EXPECT_TRUE(button.showIcon());
    button.hide();
    button.show();
    EXPECT_FALSE(state.spaceDockWidth.contains(kScreen));
    EXPECT_EQ(button.sizeHint(), QSize(46 + 140, 46));
}

TEST_F(AppButtonRender, DropMovesOnlyOurPayloadOfARunningApplication)
{
    AppState& state = AppState::shared();
    const auto target = addApp(20, 1);
    addApp(21, 1);
    AppButton button(state, target->windows->front(), nullptr, kScreen, 1, 0, true, false);
    std::vector<std::pair<int32_t, int32_t>> moves;
    button.setOrderMover([&](int32_t dragged, int32_t onto) { moves.emplace_back(dragged, onto); });

    auto drop = [&](QMimeData& mime) { return button.dropApp(&mime); };
    QMimeData text;
    text.setText(QStringLiteral("21"));
    EXPECT_FALSE(drop(text)) << "plain text from anywhere else";
    QMimeData gone;
    gone.setData(QString::fromLatin1(kAppButtonMimeType), "99");
    EXPECT_FALSE(drop(gone)) << "a process that is not running";
    EXPECT_TRUE(moves.empty());
    QMimeData ours;
    ours.setData(QString::fromLatin1(kAppButtonMimeType), appButtonDragPayload(21));
    EXPECT_TRUE(drop(ours));
    EXPECT_EQ(moves, (std::vector<std::pair<int32_t, int32_t>> { { 21, 20 } }));
}

TEST_F(AppButtonRender, HoveredSingleWindowGrowsByAFifthAboutItsCentre)
{
    const auto app = addApp(17, 1, QColor(0, 0, 255));
    const auto window = app->windows->front();
    const AppButtonLook still = lookOf(window, 1);
    const AppButtonLook hovered
        = appButtonLook(AppState::shared(), *window, window.get(), kScreen, 1, 0, true, false);
    // One point inside the frame's edge: outside the icon at rest (it is
    // drawn with its shadow only), inside it when magnified 1.2 times.
    QImage rest(66, 66, QImage::Format_ARGB32_Premultiplied);
    QImage grown(66, 66, QImage::Format_ARGB32_Premultiplied);
    rest.fill(Qt::transparent);
    grown.fill(Qt::transparent);
    {
        QPainter p(&rest);
        paintAppButton(p, QRectF(10, 10, 46, 46), still);
    }
    {
        QPainter p(&grown);
        paintAppButton(p, QRectF(10, 10, 46, 46), hovered);
    }
    EXPECT_EQ(rest.pixelColor(33, 33), QColor(0, 0, 255));
    EXPECT_NE(rest.pixelColor(7, 33), QColor(0, 0, 255));
    EXPECT_EQ(grown.pixelColor(7, 33), QColor(0, 0, 255)) << "23 × 1.2 = 27.6 points from the centre";
}

TEST_F(AppButtonRender, ButtonGrowsSmoothlyWhileHovered)
{
    const auto app = addApp(18, 1);
    AppButton button(AppState::shared(), app->windows->front(), nullptr, kScreen, 1, 0, true, false);
    EXPECT_DOUBLE_EQ(button.look().scale, 1.0);
    button.setHoveredWindow(app->windows->front());
    EXPECT_LT(button.look().scale, 1.2) << "the magnification is animated, not immediate";
    QElapsedTimer clock;
    clock.start();
    while (button.look().scale < 1.2 && clock.elapsed() < 2000)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    EXPECT_DOUBLE_EQ(button.look().scale, 1.2);
    button.setHoveredWindow(nullptr);
    clock.restart();
    while (button.look().scale > 1.0 && clock.elapsed() < 2000)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    EXPECT_DOUBLE_EQ(button.look().scale, 1.0);
}

TEST_F(AppButtonRender, PinnedIconFileWithEscapedNameLoads)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString path = dir.filePath(QString::fromUtf8("my icons/caf\u00e9 #1.png"));
    QDir().mkpath(QFileInfo(path).absolutePath());
    QImage red(32, 32, QImage::Format_ARGB32);
    red.fill(QColor(255, 0, 0));
    ASSERT_TRUE(red.save(path));
    auto pinned = std::make_shared<Windows>();
    pinned->num = 0;
    // The stored form: a fully encoded file URL.
    pinned->appIconUrl = QUrl::fromLocalFile(path).toString(QUrl::FullyEncoded);
    ASSERT_TRUE(pinned->appIconUrl->contains(QStringLiteral("%23")));
    const QIcon icon = appButtonIcon(AppState::shared(), *pinned, true);
    EXPECT_EQ(icon.pixmap(QSize(32, 32)).toImage().pixelColor(16, 16), QColor(255, 0, 0));

    pinned->appIconUrl = QStringLiteral("file:///nowhere/missing.png");
    EXPECT_EQ(appButtonIcon(AppState::shared(), *pinned, true).cacheKey(), fallbackAppIcon().cacheKey());
}

TEST_F(AppButtonRender, BlurBackdropLogsEachUpdateAndKeepsItsLook)
{
    BlurView view;
    view.resize(20, 20);
    const QImage before = view.grab().toImage();
    static QStringList messages;
    messages.clear();
    const QtMessageHandler previous = qInstallMessageHandler(
        [](QtMsgType, const QMessageLogContext&, const QString& message) { messages << message; });
    QLoggingCategory::setFilterRules(QStringLiteral("orbitshelf.dock.debug=true"));
    view.updateView();
    qInstallMessageHandler(previous);
    QLoggingCategory::setFilterRules(QString());
    EXPECT_EQ(messages, QStringList { QStringLiteral("updateNSView") });
    EXPECT_EQ(view.grab().toImage(), before);
    EXPECT_EQ(before.pixelColor(10, 10).alpha(), BlurView::tint().alpha());
}

} // namespace
