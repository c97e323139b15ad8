#include "shell/AuxWindowGeometry.h"
#include "shell/AuxiliaryWindows.h"
#include "shell/FeatureWiring.h"
#include "state/Queues.h"
#include "state/UserDefaults.h"
#include "tests/support/ManualQueue.h"

#include "platform/Services.h"
#include "platform/fake/FakeServices.h"
#include "platform/fake/FakeStillPictureWindows.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QCursor>
#include <QElapsedTimer>
#include <QEvent>
#include <QGuiApplication>
#include <QHash>
#include <QLabel>
#include <QScreen>
#include <QTabWidget>
#include <QTemporaryDir>

#include "ToastOverlay/ToastViews.h"

using orbitshelf::test::ManualQueue;

namespace {

class AuxiliaryWindowsTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        Queues::useForTesting(queue, queue);
        UserDefaults::useFile(dir.filePath(QStringLiteral("defaults.conf")));
        QCursor::setPos(QGuiApplication::primaryScreen()->geometry().center());
    }
    void TearDown() override
    {
        for (QWidget* w : QApplication::topLevelWidgets())
            if (w != toastWindow())
                w->close();
        QApplication::processEvents();
        Queues::useForTesting(nullptr, nullptr);
        UserDefaults::useFile(QString());
    }

    QTemporaryDir dir;
    std::shared_ptr<ManualQueue> queue = std::make_shared<ManualQueue>();
};

QWidget* toastCard()
{
    return toastWindow() ? toastWindow()->findChild<QWidget*>(QStringLiteral("FullScreenToast")) : nullptr;
}

// Counts the paints each watched widget gets.
struct PaintCounter : QObject {
    QHash<QObject*, int> paints;
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Paint)
            ++paints[watched];
        return false;
    }
};

} // namespace

TEST_F(AuxiliaryWindowsTest, ANoticeStandsAtRestAtOnceAndIsPaintedOnce)
{
    showTakenHotKeysToast({ QStringLiteral("Alt+Tab") });
    QWidget* notice = nullptr;
    for (QWidget* w : QApplication::topLevelWidgets())
        if (w->windowTitle() == QStringLiteral("orbitShelf notice"))
            notice = w;
    ASSERT_TRUE(notice);
    EXPECT_TRUE(notice->isVisible());
    auto* card = notice->findChild<ToastCard*>();
    ASSERT_TRUE(card);
    EXPECT_TRUE(card->isVisible());
    // Shaped to the card from the first paint: no black corners, no growing.
    EXPECT_TRUE(notice->rect().contains(card->geometry()));
    EXPECT_EQ(notice->mask().boundingRect(), card->geometry());
    // No clear margin either, where a compositor would draw a shadow box.
    EXPECT_EQ(notice->rect(), card->geometry());

    // No transition: each part of the notice is painted once, at most.
    PaintCounter counter;
    notice->installEventFilter(&counter);
    for (QWidget* part : notice->findChildren<QWidget*>())
        part->installEventFilter(&counter);
    QElapsedTimer elapsed;
    elapsed.start();
    while (elapsed.elapsed() < 800)
        QApplication::processEvents(QEventLoop::AllEvents, 20);
    for (auto it = counter.paints.cbegin(); it != counter.paints.cend(); ++it)
        EXPECT_LE(it.value(), 1) << it.key()->metaObject()->className();
    notice->removeEventFilter(&counter);
    for (QWidget* part : notice->findChildren<QWidget*>())
        part->removeEventFilter(&counter);
}

namespace {

QList<QWidget*> noticeWindows()
{
    QList<QWidget*> found;
    for (QWidget* w : QApplication::topLevelWidgets())
        if (w->windowTitle() == QStringLiteral("orbitShelf notice"))
            found.append(w);
    return found;
}

} // namespace

TEST_F(AuxiliaryWindowsTest, ANoticeMadeAheadIsTheOneThatShowsOrIsFreedWhenNothingIsTold)
{
    prepareTakenHotKeysNotice({ QStringLiteral("Alt + Tab") });
    prepareTakenHotKeysNotice({ QStringLiteral("Alt + Tab") });
    ASSERT_EQ(noticeWindows().size(), 1) << "one window made ahead, however often asked";
    QPointer<QWidget> prepared = noticeWindows().value(0);
    EXPECT_FALSE(prepared->isVisible());
    EXPECT_TRUE(prepared->testAttribute(Qt::WA_WState_Created)) << "its window exists before it shows";
    // Not the window manager's to frame, place, stack or focus.
    EXPECT_TRUE(prepared->windowFlags() & Qt::BypassWindowManagerHint);
    EXPECT_TRUE(prepared->windowFlags() & Qt::WindowTransparentForInput);
    const QRect madeAt = prepared->geometry();
    QPointer<QWidget> card = prepared->findChild<ToastCard*>();
    ASSERT_TRUE(card) << "laid out ahead too";

    showTakenHotKeysToast({ QStringLiteral("Alt + Tab") });
    ASSERT_EQ(noticeWindows().size(), 1);
    EXPECT_EQ(noticeWindows().value(0), prepared.data());
    EXPECT_TRUE(prepared->isVisible());
    EXPECT_EQ(prepared->geometry(), madeAt) << "it shows where it was made";
    EXPECT_EQ(prepared->findChild<ToastCard*>(), card.data()) << "the same keys: the card made ahead";
    QStringList texts;
    for (QLabel* label : prepared->findChildren<QLabel*>())
        texts.append(label->text());
    EXPECT_TRUE(texts.contains(QStringLiteral("Some hot keys are held by another program")))
        << texts.join('|').toStdString();

    // Made ahead for a notice that does not come (the keys came back).
    prepareTakenHotKeysNotice({ QStringLiteral("Alt + Tab") });
    QPointer<QWidget> unused;
    for (QWidget* w : noticeWindows())
        if (!w->isVisible())
            unused = w;
    ASSERT_TRUE(unused);
    EXPECT_EQ(unused->geometry(), madeAt.translated(0, -150)) << "a second notice stands above the first";
    showTakenHotKeysToast({});
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_FALSE(unused) << "not kept";
    EXPECT_TRUE(prepared) << "the notice shown stays its 10 s";
}

// Where the platform makes still pictures, a notice is one, drawn once and
// shown where its window would stand, with the same pixels; where it makes
// none, the notice is a window of ours as before.
TEST_F(AuxiliaryWindowsTest, ANoticeIsAStillPictureWhereThePlatformMakesOneAndAWindowWhereNot)
{
    platform::fake::FakeStillPictureWindows pictures;
    platform::Services services = platform::fake::services();
    services.stillPictureWindows = pictures.factory();
    platform::install(std::move(services));

    prepareTakenHotKeysNotice({ QStringLiteral("Alt + Tab") });
    ASSERT_EQ(pictures.windows.size(), 1u);
    EXPECT_TRUE(noticeWindows().isEmpty()) << "no window of ours is kept for it";
    const auto picture = pictures.windows[0];
    EXPECT_FALSE(picture->shown);
    showTakenHotKeysToast({ QStringLiteral("Alt + Tab") });
    ASSERT_EQ(pictures.windows.size(), 1u) << "the picture made ahead shows";
    EXPECT_TRUE(picture->shown);
    EXPECT_EQ(picture->still.title, QStringLiteral("orbitShelf notice"));

    // The platform refuses: the next notice is a window of ours, above the
    // first, showing what the picture shows.
    pictures.refuse = true;
    showTakenHotKeysToast({ QStringLiteral("Alt + Tab") });
    ASSERT_EQ(noticeWindows().size(), 1);
    QWidget* window = noticeWindows().value(0);
    EXPECT_TRUE(window->isVisible());
    EXPECT_EQ(window->geometry().top(), picture->still.position.y() - 150);
    EXPECT_EQ(window->geometry().size(), picture->still.picture.size());
    EXPECT_EQ(window->geometry().x(), picture->still.position.x());
    EXPECT_EQ(window->mask(), picture->still.shape);
    const QImage shown = window->grab().toImage().convertToFormat(QImage::Format_ARGB32_Premultiplied);
    const QImage& still = picture->still.picture;
    const QPoint centre = window->mask().boundingRect().center();
    EXPECT_EQ(qAlpha(still.pixel(centre)), 230) << "the card's fill where the card stands";

    window->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(picture->alive) << "the picture shown stays its 10 s";

    // Made ahead for other keys than those that stayed refused: not shown,
    // freed, and a picture of the keys told shows instead; made ahead for a
    // notice that does not come: freed.
    pictures.refuse = false;
    prepareTakenHotKeysNotice({ QStringLiteral("Alt + Tab") });
    ASSERT_EQ(pictures.windows.size(), 2u);
    const auto stale = pictures.windows[1];
    showTakenHotKeysToast({ QStringLiteral("Alt + Tab"), QStringLiteral("Alt + Space") });
    ASSERT_EQ(pictures.windows.size(), 3u);
    EXPECT_FALSE(stale->alive);
    EXPECT_EQ(stale->shows, 0);
    EXPECT_TRUE(pictures.windows[2]->shown);
    EXPECT_NE(pictures.windows[2]->still.picture, stale->still.picture) << "drawn for the keys told";
    prepareTakenHotKeysNotice({ QStringLiteral("Alt + Tab") });
    ASSERT_EQ(pictures.windows.size(), 4u);
    showTakenHotKeysToast({});
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_FALSE(pictures.windows[3]->alive);
    platform::uninstall();
}

// The full-screen toast's window, where no still picture can be made: as
// large as the card's painted part where the card stands in the toast's
// frame, shaped to its rounded bottom corners, and never focused.
TEST_F(AuxiliaryWindowsTest, ToastStaysOnTopForTwoSecondsFromItsLastShowingWithoutTakingTheFocus)
{
    showToast(QStringLiteral("Optional(A)"), 1);
    EXPECT_FALSE(toastWindow() && toastWindow()->isVisible()) << "shown only once the main queue runs";
    queue->runReady();
    ASSERT_TRUE(toastWindow());
    QPointer<CustomWindow> first = toastWindow();
    EXPECT_TRUE(first->isVisible());
    const QRect frame = toastFrame(screenUnderMouse());
    EXPECT_EQ(first->size(), QSize(400, 220)) << "the card, not the toast's frame";
    EXPECT_LE(std::abs(first->geometry().center().x() - frame.center().x()), 1);
    EXPECT_EQ(first->geometry().bottom(), frame.bottom());
    for (const Qt::WindowType flag : { Qt::WindowStaysOnTopHint, Qt::BypassWindowManagerHint,
             Qt::WindowDoesNotAcceptFocus, Qt::WindowTransparentForInput })
        EXPECT_TRUE(first->windowFlags() & flag) << flag;
    EXPECT_TRUE(first->testAttribute(Qt::WA_ShowWithoutActivating));
    EXPECT_NE(QApplication::activeWindow(), first.data());
    const QRegion mask = first->mask();
    EXPECT_TRUE(mask.contains(QPoint(0, 0))) << "the card goes on above its painted part";
    EXPECT_FALSE(mask.contains(QPoint(0, 219))) << "the card's rounded corner";
    EXPECT_FALSE(mask.contains(QPoint(399, 219)));
    EXPECT_TRUE(mask.contains(QPoint(200, 219)));

    queue->advance(1.0);
    presentToastWindow(QStringLiteral("Optional(B)"), 2);
    EXPECT_EQ(toastWindow(), first) << "one window, shown twice";
    ASSERT_TRUE(toastCard());
    EXPECT_EQ(toastCard()->property("winnum").toLongLong(), 2);
    EXPECT_EQ(toastCard()->property("spaceID").toString(), QStringLiteral("Optional(B)"));
    EXPECT_EQ(first->findChildren<QWidget*>(QStringLiteral("FullScreenToast")).size(), 1);
    queue->advance(1.99); // 2.99 s after the first toast
    EXPECT_TRUE(toastWindow()->isVisible());
    queue->advance(0.02);
    EXPECT_FALSE(toastWindow()->isVisible());
}

// Where the platform makes still pictures, the toast is one: the card's
// pixels at the card's place, each toast its own picture for its full 2 s.
TEST_F(AuxiliaryWindowsTest, TheToastIsAStillPictureOfItsCardWhereThePlatformMakesOne)
{
    platform::fake::FakeStillPictureWindows pictures;
    platform::Services services = platform::fake::services();
    services.stillPictureWindows = pictures.factory();
    platform::install(std::move(services));

    presentToastWindow(QStringLiteral("Optional(A)"), 1);
    ASSERT_EQ(pictures.windows.size(), 1u);
    const auto first = pictures.windows[0];
    EXPECT_TRUE(first->shown);
    EXPECT_EQ(first->still.title, QStringLiteral("OrbitShelf Toast"));
    const QRect frame = toastFrame(screenUnderMouse());
    const QImage& picture = first->still.picture;
    EXPECT_EQ(picture.size(), QSize(400, 220));
    EXPECT_EQ(QRect(first->still.position, picture.size()).bottom(), frame.bottom());
    EXPECT_FALSE(first->still.shape.contains(QPoint(0, 219))) << "the card's rounded corner";
    EXPECT_TRUE(first->still.shape.contains(QPoint(0, 0)));
    EXPECT_NEAR(qAlpha(picture.pixel(5, 5)), 128, 2) << "the card's backdrop";
    int white = 0;
    for (int y = 0; y < picture.height(); ++y)
        for (int x = 0; x < picture.width(); ++x)
            white += qRed(picture.pixel(x, y)) > 200 && qAlpha(picture.pixel(x, y)) > 200;
    EXPECT_GT(white, 100) << "its texts";
    EXPECT_FALSE(toastWindow() && toastWindow()->isVisible()) << "no window of ours";

    queue->advance(1.0);
    presentToastWindow(QStringLiteral("Optional(B)"), 2);
    ASSERT_EQ(pictures.windows.size(), 2u);
    EXPECT_FALSE(first->alive) << "the newer toast takes its place";
    queue->advance(1.99);
    EXPECT_TRUE(pictures.windows[1]->alive);
    queue->advance(0.02);
    EXPECT_FALSE(pictures.windows[1]->alive);
    platform::uninstall();
}

TEST_F(AuxiliaryWindowsTest, OneSettingsWindowIsRaisedAgainAndANewOneStartsOnGeneral)
{
    QPointer<CustomWindow> a = openSettingsWindow();
    auto* tabs = a->findChild<QTabWidget*>();
    ASSERT_TRUE(tabs);
    tabs->setCurrentIndex(3);
    a->showMinimized();
    CustomWindow* b = openSettingsWindow();
    EXPECT_EQ(a, b) << "a second click raises the open window";
    EXPECT_FALSE(a->isMinimized());
    EXPECT_EQ(tabs->currentIndex(), 3) << "raised as it was left";
    EXPECT_TRUE(a->testAttribute(Qt::WA_DeleteOnClose)) << "nothing else would ever free it";

    a->close();
    CustomWindow* c = openSettingsWindow();
    EXPECT_NE(c, a.data()) << "a closed window is not brought back";
    EXPECT_TRUE(c->isVisible());
    EXPECT_EQ(c->findChild<QTabWidget*>()->currentIndex(), 0);
    EXPECT_EQ(settingsWindow(), c);

    CustomWindow* q1 = openQuitWindow();
    EXPECT_NE(openQuitWindow(), q1) << "the quit window is not the settings window's business";
    EXPECT_TRUE(q1->windowFlags() & Qt::WindowStaysOnTopHint);
    EXPECT_FALSE(c->windowFlags() & Qt::WindowStaysOnTopHint);
}

TEST_F(AuxiliaryWindowsTest, SettingsWindowReopensWhereItWasLeftIfThatIsOnAScreen)
{
    CustomWindow* first = openSettingsWindow();
    // This screen is no larger than the window: the user makes it smaller
    // and moves it, inside the screen.
    const QSize fresh = first->size();
    const QRect moved(first->geometry().topLeft() + QPoint(37, 21), QSize(600, 400));
    first->setGeometry(moved);
    first->close(); // saved on hiding, without waiting for the drag to settle
    QApplication::processEvents();
    EXPECT_FALSE(
        UserDefaults::value(QStringLiteral("windowFrame.OrbitShelf.SettingWindow")).toString().isEmpty());
    CustomWindow* second = openSettingsWindow();
    EXPECT_EQ(second->geometry(), moved);
    EXPECT_NE(openQuitWindow()->geometry().topLeft(), moved.topLeft())
        << "the quit window has a name of its own";
    second->close();

    // A frame saved off every screen, or garbled, is ignored.
    const QRect screen = QGuiApplication::primaryScreen()->geometry();
    for (const QString& stored : { QStringLiteral("90000 90000 800 600"), QStringLiteral("12 x 800 600"),
             QStringLiteral("0 0 -5 600") }) {
        UserDefaults::setValue(QStringLiteral("windowFrame.OrbitShelf.SettingWindow"), stored);
        CustomWindow* window = openSettingsWindow();
        EXPECT_TRUE(screen.contains(window->geometry().center())) << stored.toStdString();
        EXPECT_EQ(window->size(), fresh) << stored.toStdString();
        window->close();
    }

    // One left hanging past the screen's corner comes back whole onto it,
    // as large as it was left.
    UserDefaults::setValue(QStringLiteral("windowFrame.OrbitShelf.SettingWindow"),
        QStringLiteral("%1 %2 600 400").arg(screen.right() - 300).arg(screen.bottom() - 100));
    const QRect back = openSettingsWindow()->geometry();
    EXPECT_TRUE(screen.contains(back)) << back.x() << "," << back.y();
    EXPECT_EQ(back.size(), QSize(600, 400));
}

// Each opening of the clipboard window makes a new one; whatever closes it
// (Escape, a click in another window) frees it with its panel.
TEST_F(AuxiliaryWindowsTest, AClipboardWindowClosedByAClickElsewhereIsFreed)
{
    for (int opening = 0; opening < 2; ++opening) {
        QPointer<QWidget> window = showPasteboardWindow();
        ASSERT_TRUE(window);
        closePanelsAfterClick(0);
        EXPECT_FALSE(pasteboardWindow());
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        EXPECT_FALSE(window) << "opening " << opening << " left its window behind";
    }
}
