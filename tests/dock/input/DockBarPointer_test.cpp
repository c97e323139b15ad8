// The bar's pointer watcher on an offscreen bar: hovering a window button
// records the window and shows its preview, leaving clears both, the right
// button on the main button opens the settings menu; the tool hub's
// popover stands next to that button; the preview's live capture runs only
// while it is shown.
#include "dock/DockView.h"
#include "dock/input/DockBarPointer.h"
#include "dock/layout/DockEdges.h"
#include "dock/preview/PreviewCapture.h"
#include "dock/tiles/DockMainButton.h"
#include "tests/dock/DockTestSupport.h"

#include <QApplication>
#include <QMenu>
#include <QMouseEvent>

#include <gtest/gtest.h>

namespace {

class DockBarPointerTest : public StateTest {
protected:
    void SetUp() override
    {
        mainDockScreenID() = "Optional(P)";
        window = addRunningApp(state, 300, 1, 1)->windows->front();
        window->title = QStringLiteral("make: building");
        view = std::make_unique<DockView>(state, true, 1920, 1080, "Optional(P)");
        view->resize(1920, 500);
        view->refreshPicture();
        pointer = view->findChild<DockBarPointer*>();
        ASSERT_TRUE(pointer);
    }

    QRectF itemRect(DockBarItem::Kind kind) const
    {
        for (const DockBarItem& item : view->picture().items)
            if (item.kind == kind)
                return item.rect;
        return {};
    }
    void send(QEvent::Type type, const QPointF& at, Qt::MouseButton button = Qt::NoButton)
    {
        QMouseEvent event(type, at, view->mapToGlobal(at), button, button, Qt::NoModifier);
        QCoreApplication::sendEvent(view.get(), &event);
    }

    std::shared_ptr<Windows> window;
    std::unique_ptr<DockView> view;
    DockBarPointer* pointer = nullptr;
};

TEST_F(DockBarPointerTest, HoverShowsThePreviewAndLeavingClearsIt)
{
    // The bar rows show an application of one window as that window's button.
    const QRectF button = itemRect(DockBarItem::Kind::Window);
    ASSERT_FALSE(button.isEmpty());
    send(QEvent::MouseMove, button.center());
    EXPECT_EQ(view->viewState().hoveredWindow, window);
    ASSERT_TRUE(pointer->preview());
    EXPECT_TRUE(pointer->preview()->isVisible());
    EXPECT_EQ(pointer->preview()->layout().title, "make: building");
    EXPECT_TRUE(pointer->capture().isCapturing()) << "live while shown";

    QEvent leave(QEvent::Leave);
    QCoreApplication::sendEvent(view.get(), &leave);
    ASSERT_TRUE(view->viewState().hoveredWindow);
    EXPECT_FALSE(view->viewState().hoveredWindow->num) << "a fresh empty window, the left one untouched";
    EXPECT_EQ(window->num, 3000u);
    EXPECT_FALSE(pointer->preview()->isVisible());
    EXPECT_FALSE(pointer->capture().isCapturing()) << "no capture once hidden";
}

TEST_F(DockBarPointerTest, AWindowThatGoesTakesItsPreviewWithIt)
{
    send(QEvent::MouseMove, itemRect(DockBarItem::Kind::Window).center());
    ASSERT_TRUE(pointer->preview()->isVisible());
    state.allApps.clear();
    state.appOrders.clear();
    state.publish();
    EXPECT_FALSE(pointer->preview()->isVisible());
    EXPECT_FALSE(view->viewState().hoveredWindow->num);
}

TEST_F(DockBarPointerTest, RightButtonOnTheMainButtonOpensTheSettingsMenu)
{
    const QRectF main = itemRect(DockBarItem::Kind::MainButton);
    ASSERT_FALSE(main.isEmpty());
    send(QEvent::MouseButtonPress, main.center(), Qt::RightButton);
    QMenu* menu = view->findChild<QMenu*>();
    ASSERT_TRUE(menu);
    EXPECT_TRUE(menu->isVisible());
    EXPECT_EQ(menu->actions().first()->text(), "Dock Position");
    menu->close();
}

TEST(DockMainButton, PopoverStandsNextToTheButton)
{
    const QRectF button(100, 1000, 46, 46);
    const QSizeF popover(300, 200);
    EXPECT_EQ(toolHubPopoverOrigin(button, popover, "bottom"), QPointF(123 - 150, 1000 - 8 - 200));
    EXPECT_EQ(toolHubPopoverOrigin(button, popover, "left"), QPointF(146 + 8, 1023 - 100));
    EXPECT_EQ(toolHubPopoverOrigin(button, popover, "right"), QPointF(100 - 8 - 300, 1023 - 100));
}

TEST(PreviewCapture, CapturesOnlyWhileShownAndLetsThePictureGo)
{
    int captures = 0;
    std::optional<uint32_t> asked;
    bool shows = true;
    PreviewCapture capture([&](uint32_t number) -> std::optional<QImage> {
        ++captures;
        asked = number;
        if (!shows)
            return std::nullopt;
        QImage picture(16, 10, QImage::Format_ARGB32);
        picture.fill(Qt::green);
        return picture;
    });
    EXPECT_FALSE(capture.isCapturing());

    capture.start(42);
    EXPECT_EQ(captures, 1) << "the first frame comes at once";
    EXPECT_EQ(asked, 42u);
    EXPECT_TRUE(capture.isCapturing());
    EXPECT_EQ(capture.image().size(), QSize(16, 10));
    EXPECT_GE(PreviewCapture::intervalMs, 200) << "a few frames a second at most";
    shows = false; // minimised meanwhile
    capture.captureNow();
    EXPECT_TRUE(capture.image().isNull()) << "a stale picture is not kept";

    shows = true;
    capture.captureNow();
    capture.stop();
    EXPECT_FALSE(capture.isCapturing());
    EXPECT_TRUE(capture.image().isNull());
    capture.captureNow();
    EXPECT_EQ(captures, 3) << "nothing is captured while hidden";
}

} // namespace
