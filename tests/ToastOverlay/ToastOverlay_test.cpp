// The toast kit: its values' equality, when a toast hides (on a clock of the
// test's own), and how each layout comes out on the offscreen platform.
#include "ToastOverlay/ToastOverlay.h"
#include "ToastOverlay/ToastOverlayPresenter.h"
#include "ToastOverlay/ToastPresentation.h"
#include "ToastOverlay/ToastViews.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QLabel>
#include <QLayout>
#include <QMouseEvent>
#include <QPainter>
#include <QThread>

#include <gtest/gtest.h>

namespace {

using Mode = ToastOverlay::DisplayMode;
using Type = ToastOverlay::AlertType;

bool waitFor(const std::function<bool()>& condition, int timeoutMs = 5000)
{
    QElapsedTimer timer;
    timer.start();
    while (!condition()) {
        if (timer.elapsed() > timeoutMs)
            return false;
        QApplication::processEvents(QEventLoop::AllEvents, 10);
        QThread::msleep(1);
    }
    return true;
}

void clickOn(QWidget* widget)
{
    const QPointF at = QRectF(widget->rect()).center();
    QMouseEvent press(
        QEvent::MouseButtonPress, at, widget->mapToGlobal(at), Qt::LeftButton, Qt::LeftButton, {});
    QMouseEvent release(QEvent::MouseButtonRelease, at, widget->mapToGlobal(at), Qt::LeftButton, {}, {});
    QApplication::sendEvent(widget, &press);
    QApplication::sendEvent(widget, &release);
}

} // namespace

TEST(ToastValues, CompareByCaseAndPayload)
{
    const QColor red(Qt::red);
    EXPECT_NE(
        Mode::banner(ToastOverlay::BannerAnimation::slide), Mode::banner(ToastOverlay::BannerAnimation::pop));
    EXPECT_EQ(
        Mode::banner(ToastOverlay::BannerAnimation::pop), Mode::banner(ToastOverlay::BannerAnimation::pop));
    EXPECT_NE(Mode::banner(ToastOverlay::BannerAnimation::slide), Mode::alert());
    EXPECT_NE(Mode::banner(ToastOverlay::BannerAnimation::slide), Mode::hud());
    EXPECT_NE(
        Type::systemImage(QStringLiteral("edit-copy"), red), Type::image(QStringLiteral("edit-copy"), red));
    EXPECT_NE(Type::complete(red), Type::error(red));
    EXPECT_NE(Type::complete(red), Type::complete(Qt::blue));
    EXPECT_EQ(Type::systemImage(QStringLiteral("a"), red), Type::systemImage(QStringLiteral("a"), red));
    EXPECT_EQ(ToastOverlay::AlertStyle {}, ToastOverlay::AlertStyle {});
    EXPECT_NE(std::optional(ToastOverlay::AlertStyle {}), std::optional<ToastOverlay::AlertStyle> {});
    ToastOverlay::AlertStyle titled;
    titled.titleColor = red;
    EXPECT_NE(titled, ToastOverlay::AlertStyle {});
}

TEST(ToastPresentationRules, LoadingStaysAndTheNextToastOnTheHostHidesOnTime)
{
    qint64 now = 0;
    ToastPresentation toast([&] { return now; });

    toast.show(Type::loading(), 2.0, true);
    now = 60'000;
    EXPECT_FALSE(toast.expireIfDue());
    EXPECT_FALSE(toast.tap());
    EXPECT_TRUE(toast.isPresenting());

    // Seeded again from the arguments: this one hides by time and by tap.
    toast.show(Type::regular(), 2.0, true);
    now += 1999;
    EXPECT_FALSE(toast.expireIfDue());
    now += 1;
    EXPECT_TRUE(toast.expireIfDue());
    EXPECT_FALSE(toast.isPresenting());
    toast.show(Type::regular(), 2.0, true);
    EXPECT_TRUE(toast.tap());
}

TEST(ToastPresentationRules, ShowingAgainStartsTheTimeAnewAndNoTimeMeansUntilHidden)
{
    qint64 now = 0;
    ToastPresentation toast([&] { return now; });
    toast.show(Type::regular(), 2.0, true);
    now = 1500;
    toast.show(Type::complete(Qt::green), 2.0, true);
    now = 2000;
    EXPECT_FALSE(toast.expireIfDue()) << "the earlier time must not hide the new toast";
    now = 3500;
    EXPECT_TRUE(toast.expireIfDue());

    toast.show(Type::regular(), 0, false);
    now = 1'000'000;
    EXPECT_FALSE(toast.expireIfDue());
    EXPECT_FALSE(toast.tap());
    EXPECT_TRUE(toast.isPresenting());
}

TEST(ToastPresenter, TapsCallOnTapAndHideOnlyWhenAllowed)
{
    QWidget host;
    host.resize(800, 600);
    host.show();
    Type type = Type::loading();
    int taps = 0;
    int completions = 0;
    ToastOverlayOptions options;
    options.alert = [&] { return ToastOverlay { Mode::alert(), type, QStringLiteral("Copying"), {}, {} }; };
    options.onTap = [&] { ++taps; };
    options.completion = [&] { ++completions; };
    qint64 now = 0;
    ToastOverlayPresenter presenter(&host, options, [&] { return now; });
    QList<bool> changes;
    QObject::connect(&presenter, &ToastOverlayPresenter::presentingChanged, [&](bool on) { changes << on; });

    presenter.setPresenting(true);
    ASSERT_NE(presenter.card(), nullptr);
    EXPECT_TRUE(presenter.card()->findChild<ActivityIndicator*>()->isSpinning());
    clickOn(presenter.card());
    EXPECT_EQ(taps, 1);
    EXPECT_TRUE(presenter.isPresenting());

    type = Type::regular();
    presenter.setPresenting(true);
    clickOn(presenter.card());
    EXPECT_EQ(taps, 2);
    EXPECT_FALSE(presenter.isPresenting());
    EXPECT_EQ(changes, QList<bool>({ true, false }));
    ASSERT_TRUE(waitFor([&] { return completions == 2; })) << "the replaced toast and the tapped one";
    EXPECT_EQ(presenter.card(), nullptr);
}

class ToastLayouts : public ::testing::Test {
protected:
    ToastLayouts() { host.resize(800, 600); }

    // Shows the toast and waits until it has come fully in.
    ToastCard* show(const ToastOverlay& toast)
    {
        host.show();
        ToastOverlayOptions options;
        options.alert = [toast] { return toast; };
        options.duration = 0;
        presenter = toastOverlay(&host, options);
        presenter->setPresenting(true);
        ToastCard* card = presenter->card();
        EXPECT_TRUE(waitFor([&] {
            return card->geometry().translated(card->parentWidget()->pos()) == presenter->restingGeometry();
        })) << card->geometry().translated(card->parentWidget()->pos()).width()
            << "x" << card->geometry().height() << " " << presenter->restingGeometry().width() << "x"
            << presenter->restingGeometry().height() << " min " << card->minimumSizeHint().width() << "x"
            << card->minimumSizeHint().height();
        return card;
    }

    QWidget host;
    ToastOverlayPresenter* presenter = nullptr;
};

TEST_F(ToastLayouts, CompleteAlertIsBoundedAndItsMarkIsFiftyWithStrokeSix)
{
    ToastCard* card = show({ Mode::alert(), Type::complete(Qt::green), QStringLiteral("Saved"), {}, {} });
    EXPECT_LE(card->width(), 175);
    EXPECT_LE(card->height(), 175);
    const auto* mark = card->findChild<AnimatedMark*>();
    ASSERT_NE(mark, nullptr);
    EXPECT_EQ(mark->size(), QSize(50, 50));
    EXPECT_EQ(mark->strokeWidth(), 6);
    EXPECT_EQ(presenter->restingGeometry().center(), host.rect().center());
}

TEST_F(ToastLayouts, RegularAlertIsNotBounded)
{
    const QString longTitle = QStringLiteral("A regular alert with a title far wider than the framed box");
    ToastCard* card = show({ Mode::alert(), Type::regular(), longTitle, {}, {} });
    EXPECT_GT(card->width(), 175);
    EXPECT_EQ(card->findChild<QLabel*>(QStringLiteral("title"))->text(), longTitle);
}

TEST_F(ToastLayouts, HudIsAtLeastFiftyHighWithATwentyPointIcon)
{
    ToastCard* card
        = show({ Mode::hud(), Type::systemImage(QStringLiteral("edit-copy"), Qt::blue), {}, {}, {} });
    EXPECT_GE(card->height(), 50);
    const QWidget* icon = card->findChild<QWidget*>(QStringLiteral("leading"));
    ASSERT_NE(icon, nullptr);
    EXPECT_LE(icon->width(), 20);
    EXPECT_LE(icon->height(), 20);
    EXPECT_LT(presenter->restingGeometry().top(), host.height() / 4);
}

TEST_F(ToastLayouts, BannerIsAtMostFourHundredWideAtTheBottom)
{
    const QString text = QStringLiteral("A banner whose title and subtitle are long enough to need more than "
                                        "four hundred points of width on one line of text");
    ToastCard* card
        = show({ Mode::banner(ToastOverlay::BannerAnimation::pop), Type::error(Qt::red), text, text, {} });
    EXPECT_LE(card->width(), 400);
    EXPECT_EQ(presenter->restingGeometry().bottom() + 1, host.height() - ToastCard::padding);
}

TEST_F(ToastLayouts, AStyleColourReplacesTheFill)
{
    const QColor plum(0x80, 0x20, 0x60);
    ToastOverlay::AlertStyle style;
    style.backgroundColor = plum;
    ToastCard* styled = show({ Mode::alert(), Type::regular(), QStringLiteral("Styled"), {}, style });
    const QImage withStyle = styled->grab().toImage();
    EXPECT_EQ(withStyle.pixelColor(withStyle.width() / 2, 2), plum);

    ToastCard plain({ Mode::alert(), Type::regular(), QStringLiteral("Plain"), {}, {} });
    plain.resize(plain.sizeHint());
    const QImage withoutStyle = plain.grab().toImage();
    EXPECT_NE(withoutStyle.pixelColor(withoutStyle.width() / 2, 2), plum);
}

TEST(ToastMarks, TrimToTheirShareOfLength)
{
    const QPainterPath cross = markPath(MarkKind::xmark, 50);
    EXPECT_TRUE(trimmedPath(cross, 0).isEmpty());
    EXPECT_DOUBLE_EQ(trimmedPath(cross, 1).length(), cross.length());
    EXPECT_NEAR(trimmedPath(cross, 0.75).length(), cross.length() * 0.75, 0.01);
    EXPECT_EQ(trimmedPath(cross, 0.75).pointAtPercent(1).toPoint(), QPoint(25, 25))
        << "halfway along the second stroke";
}

// Coming in and leaving, a card whose content stands still is laid out and
// painted once per transition, while the host sees many steps; a card with a
// mark that draws itself keeps painting. Counted with the card's own paints.
TEST(ToastTransitions, AStillCardIsPaintedOncePerTransitionInEveryMode)
{
    struct Case {
        const char* what;
        ToastOverlay toast;
        bool still;
    };
    const std::vector<Case> cases {
        { "alert", { Mode::alert(), Type::regular(), QStringLiteral("Held"), QStringLiteral("by another"), {} },
            true },
        { "hud", { Mode::hud(), Type::systemImage(QStringLiteral("edit-copy"), Qt::blue), QStringLiteral("Copied"),
                     {}, {} },
            true },
        { "banner", { Mode::banner(ToastOverlay::BannerAnimation::slide), Type::regular(), QStringLiteral("Slid"),
                        {}, {} },
            true },
        { "a mark", { Mode::alert(), Type::complete(Qt::green), QStringLiteral("Saved"), {}, {} }, false },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        QWidget host;
        host.resize(800, 600);
        host.show();
        int frames = 0;
        int completions = 0;
        ToastOverlayOptions options;
        options.alert = [&] { return c.toast; };
        options.duration = 0;
        options.completion = [&] { ++completions; };
        ToastOverlayPresenter* presenter = toastOverlay(&host, options);

        struct PaintCounter final : QObject {
            int paints = 0;
            bool eventFilter(QObject*, QEvent* event) override
            {
                paints += event->type() == QEvent::Paint;
                return false;
            }
        } counter;
        // The host's frames: each step of the transition repaints it.
        struct FrameCounter final : QObject {
            int* frames;
            explicit FrameCounter(int* f)
                : frames(f)
            {
            }
            bool eventFilter(QObject*, QEvent* event) override
            {
                *frames += event->type() == QEvent::UpdateRequest;
                return false;
            }
        } frameCounter(&frames);
        host.installEventFilter(&frameCounter);

        presenter->setPresenting(true);
        ToastCard* card = presenter->card();
        ASSERT_NE(card, nullptr);
        card->installEventFilter(&counter);
        const QRect resting = presenter->restingGeometry();
        bool movedOnlyInPicture = true;
        QElapsedTimer clock;
        clock.start();
        waitFor([&] {
            movedOnlyInPicture = movedOnlyInPicture
                && card->geometry().translated(card->parentWidget()->pos()) == resting;
            return clock.elapsed() > springDurationMs() + 300;
        });
        EXPECT_TRUE(movedOnlyInPicture) << "the card was resized or moved while it came in";
        const int paintsIn = counter.paints;

        counter.paints = 0;
        frames = 0;
        presenter->setPresenting(false);
        ASSERT_TRUE(waitFor([&] { return completions == 1; }));
        EXPECT_GT(frames, 5) << "no transition was played";
        if (c.still) {
            EXPECT_LE(paintsIn, 2);
            EXPECT_LE(counter.paints, 1);
        } else {
            EXPECT_GT(paintsIn + counter.paints, 5);
        }
    }
}

namespace {

// The card's background as it was always drawn: its shape filled straight
// onto the surface (and outlined, for the capsule).
QImage directlyPainted(const ToastCard& card, const QColor& fill)
{
    QImage image(card.size(), QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.fillPath(card.shape(), fill);
    if (card.toast().displayMode.kind == Mode::Kind::hud) {
        QColor gray(Qt::gray);
        gray.setAlphaF(0.2);
        painter.strokePath(card.shape(), QPen(gray, 1));
    }
    return image;
}

QImage painted(ToastCard& card)
{
    QImage image(card.size(), QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    card.render(&image, QPoint(), QRegion(), QWidget::DrawChildren);
    return image;
}

} // namespace

TEST(ToastCards, APictureMadeOnceLooksAsTheDirectPaintAndFollowsSizeAndColour)
{
    for (const Mode mode : { Mode::alert(), Mode::hud() }) {
        SCOPED_TRACE(int(mode.kind));
        ToastCard card({ mode, Type::regular(), {}, {}, {} });
        card.resize(240, 90);
        card.preparePicture();
        EXPECT_EQ(painted(card), directlyPainted(card, BlurView::fill(card.palette())));

        // A picture of the old size or colour would show stale corners or fill.
        card.resize(300, 120);
        EXPECT_EQ(painted(card), directlyPainted(card, BlurView::fill(card.palette())));
        QPalette dark = card.palette();
        dark.setColor(QPalette::Window, Qt::black);
        card.setPalette(dark);
        ASSERT_NE(BlurView::fill(dark), BlurView::fill(QApplication::palette()));
        EXPECT_EQ(painted(card), directlyPainted(card, BlurView::fill(dark)));
    }
}
