#include "shell/AuxiliaryWindows.h"

#include "apps/ScreenIdentifier.h"
#include "apps/ScreenPlaces.h"
#include "dock/layout/DockEdges.h"
#include "dock/windows/FullScreenToast.h"
#include "settings/GeneralConfig.h"
#include "settings/QuitView.h"
#include "shell/AuxWindowGeometry.h"
#include "shell/ScreenFittedWindow.h"
#include "state/AppState.h"
#include "state/Queues.h"
#include "state/UserDefaults.h"
#include "switcher/SwitcherPopup.h"
#include "tools/PasteBoardView.h"
#include "tools/ToolPages.h"
#include "widgets/PaintedShape.h"
#include "widgets/PlaceCheck.h"

#include "ToastOverlay/ToastViews.h"

#include "platform/StillPictureWindow.h"

#include <QCoreApplication>
#include <QEvent>
#include <QFileInfo>
#include <QGuiApplication>
#include <QImage>
#include <QKeyEvent>
#include <QLoggingCategory>
#include <QRegion>
#include <QScreen>
#include <QTimer>
#include <QVBoxLayout>

#include <algorithm>
#include <memory>
#include <optional>
#include <utility>

static Q_LOGGING_CATEGORY(lcAuxWindows, "orbitshelf.shell.windows")

namespace {

// Bumped by every toast; a pending take-down that finds a newer toast leaves
// it alone, so each toast stays its full 2 seconds.
quint64 toastGeneration = 0;

QString frameKey(const QString& name)
{
    return QStringLiteral("windowFrame.") + name;
}

std::optional<QRect> parseFrame(const QString& text)
{
    const QStringList parts = text.split(QLatin1Char(' '), Qt::SkipEmptyParts);
    if (parts.size() != 4)
        return std::nullopt;
    int v[4];
    for (int i = 0; i < 4; ++i) {
        bool ok = false;
        v[i] = parts[i].toInt(&ok);
        if (!ok)
            return std::nullopt;
    }
    if (v[2] <= 0 || v[3] <= 0)
        return std::nullopt;
    return QRect(v[0], v[1], v[2], v[3]);
}

QString formatFrame(const QRect& r)
{
    return QStringLiteral("%1 %2 %3 %4").arg(r.x()).arg(r.y()).arg(r.width()).arg(r.height());
}

// Keeps the window's frame in the user defaults. Every write flushes the
// file, so a drag is saved once it settles, and at the latest on hiding.
class FrameAutosave final : public QObject {
public:
    FrameAutosave(QWidget* window, QString name)
        : QObject(window)
        , m_window(window)
        , m_name(std::move(name))
    {
        m_settle.setSingleShot(true);
        m_settle.setInterval(500);
        connect(&m_settle, &QTimer::timeout, this, &FrameAutosave::save);
        window->installEventFilter(this);
    }

    void save() const { UserDefaults::setValue(frameKey(m_name), formatFrame(m_window->geometry())); }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (watched != m_window)
            return false;
        if ((event->type() == QEvent::Move || event->type() == QEvent::Resize) && m_window->isVisible())
            m_settle.start();
        else if (event->type() == QEvent::Hide && m_settle.isActive()) {
            m_settle.stop();
            save();
        }
        return false;
    }

private:
    QWidget* m_window;
    QString m_name;
    QTimer m_settle;
};

void setContent(QWidget* window, QWidget* content)
{
    auto* layout = new QVBoxLayout(window);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(content);
}

void bringToFront(QWidget* window)
{
    window->show();
    window->raise();
    window->activateWindow();
}

QRect centredOnScreenUnderMouse(QSize size)
{
    std::optional<ScreenFrames> screen = screenUnderMouse();
    if (!screen && !QGuiApplication::screens().isEmpty())
        screen = ScreenFrames { QGuiApplication::primaryScreen()->geometry(),
            QGuiApplication::primaryScreen()->availableGeometry() };
    return screen ? centredIn(size, screen->visibleFrame) : QRect(QPoint(0, 0), size);
}

} // namespace

QPointer<CustomWindow>& toastWindow()
{
    static QPointer<CustomWindow> window;
    return window;
}

QPointer<QWidget>& pasteboardWindow()
{
    static QPointer<QWidget> window;
    return window;
}

namespace {
// Escape in any of our windows closes the clipboard window (never a sheet or
// the hub that shows the same panel) and still reaches its usual target.
class PasteboardEscapeFilter final : public QObject {
protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        // A key press passes here once per widget it propagates through; the
        // close happens on the first of them.
        if (event->type() == QEvent::KeyPress && static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape
            && watched->isWidgetType()) {
            if (QPointer<QWidget>& window = pasteboardWindow()) {
                window->close();
                window->deleteLater();
                window = nullptr;
            }
        }
        return false;
    }
};
} // namespace

void installPasteboardEscapeFilter()
{
    static PasteboardEscapeFilter* filter = nullptr;
    if (filter || !qApp)
        return;
    filter = new PasteboardEscapeFilter;
    filter->setParent(qApp);
    qApp->installEventFilter(filter);
}

bool setFrameAutosaveName(QWidget* window, const QString& name)
{
    const std::optional<QRect> saved = parseFrame(UserDefaults::value(frameKey(name)).toString());
    bool onScreen = false;
    if (saved)
        for (QScreen* s : QGuiApplication::screens())
            onScreen = onScreen || s->geometry().intersects(*saved);
    // A frame saved on a screen that is gone would open the window out of reach.
    if (saved && onScreen)
        window->setGeometry(*saved);
    new FrameAutosave(window, name);
    return saved && onScreen;
}

void showToast(const QString& spaceID, qint64 windowNumber)
{
    Queues::main().async([spaceID, windowNumber] { presentToastWindow(spaceID, windowNumber); });
}

namespace {

// The full-screen toast shown now as a picture the display server keeps
// (see showToastPicture); none while it shows in its window or not at all.
std::unique_ptr<platform::StillPictureWindow>& toastPicture()
{
    static std::unique_ptr<platform::StillPictureWindow> picture;
    return picture;
}

// The card drawn once into a still picture window at `frame` (the card's
// place on the screen), cut to `shape`: it never changes in its 2 s, takes
// no input, and, being no window the window manager manages, never takes
// the focus nor moves another window. False where the platform makes none
// or Qt's pixels are not the server's (a scaled desktop).
bool showToastPicture(
    FullScreenToast* content, const QRect& painted, const QRect& frame, const QRegion& shape)
{
    if (!qFuzzyCompare(qApp->devicePixelRatio(), 1.0))
        return false;
    QImage picture(painted.size(), QImage::Format_ARGB32_Premultiplied);
    picture.fill(Qt::transparent);
    content->render(&picture, QPoint(), QRegion(painted));
    std::unique_ptr<platform::StillPictureWindow> still = platform::createStillPictureWindow(
        { picture, shape, frame.topLeft(), QStringLiteral("OrbitShelf Toast") });
    if (!still)
        return false;
    toastPicture() = std::move(still);
    toastPicture()->show();
    return true;
}

// Where no still picture can be made: a window of ours with the same
// manners, left alone by the window manager, never focused, clicks going
// through it. Mapped last, it lies above every other window, full-screen
// ones included.
void showToastInWindow(
    FullScreenToast* content, const QRect& painted, const QRect& frame, const QRegion& shape)
{
    QPointer<CustomWindow>& window = toastWindow();
    if (!window) {
        window = new CustomWindow(frame, CustomWindow::Borderless);
        window->setWindowTitle(QStringLiteral("OrbitShelf Toast"));
        window->setAttribute(Qt::WA_TranslucentBackground);
        window->setAttribute(Qt::WA_ShowWithoutActivating);
        window->setWindowFlag(Qt::BypassWindowManagerHint);
        window->setWindowFlag(Qt::WindowStaysOnTopHint);
        window->setWindowFlag(Qt::WindowDoesNotAcceptFocus);
        window->setWindowFlag(Qt::WindowTransparentForInput);
    }
    // Each toast shows its own content and size, not the first toast's.
    qDeleteAll(window->findChildren<FullScreenToast*>(Qt::FindDirectChildrenOnly));
    content->setParent(window);
    // The whole view, of which the window shows the painted part.
    content->move(-painted.topLeft());
    content->show();
    window->setGeometry(frame);
    // Without a compositing manager the window's clear parts would show
    // black: it is shaped to the card.
    window->setMask(shape);
    window->show();
    window->raise();
}

} // namespace

void presentToastWindow(const QString& spaceID, qint64 windowNumber)
{
    const QRect screenFrame = toastFrame(screenUnderMouse());
    const quint64 generation = ++toastGeneration;
    if (screenFrame.isEmpty()) {
        // No screen under the pointer: nowhere to show it.
        dismissToastWindow();
        return;
    }
    // The window is the card's painted part where the card stands in the
    // toast's frame, not the whole frame: a compositor draws its shadow
    // around a window's whole rectangle, whatever its shape.
    FullScreenToast* content
        = makeFullScreenToast(spaceID, windowNumber, screenFrame.width(), screenFrame.height());
    const QRect painted = content->paintedRect();
    const QRect frame = painted.translated(screenFrame.topLeft());
    const QRegion shape(content->paintedOutline().translated(-painted.topLeft()).toFillPolygon().toPolygon());
    // A toast shown again takes the place of the one showing.
    toastPicture().reset();
    if (showToastPicture(content, painted, frame, shape)) {
        delete content;
        if (toastWindow())
            toastWindow()->hide();
    } else {
        showToastInWindow(content, painted, frame, shape);
    }
    runAfterDelay(2.0, [generation] {
        if (generation == toastGeneration)
            dismissToastWindow();
    });
}

namespace {

// A notice the display server draws by itself from a picture made once (see
// stillNotice): it takes no input and never changes while it shows.
class NoticePicture final : public QObject {
public:
    NoticePicture(std::unique_ptr<platform::StillPictureWindow> window, QRect slot, QStringList texts)
        : window(std::move(window))
        , slot(slot)
        , texts(std::move(texts))
    {
    }
    const std::unique_ptr<platform::StillPictureWindow> window;
    const QRect slot; // see nextNoticeSlot
    const QStringList texts;
};

// The notices shown now, bottom first: a second one stands above the first.
// Each is a NoticePicture or, where none could be made, a CustomWindow.
QList<QPointer<QObject>>& shownNotices()
{
    static QList<QPointer<QObject>> notices;
    return notices;
}

// A notice made ahead of its showing (see prepareTakenHotKeysNotice): its
// picture, or its window where no picture could be made.
QPointer<NoticePicture>& preparedPicture()
{
    static QPointer<NoticePicture> picture;
    return picture;
}

QPointer<CustomWindow>& preparedNotice()
{
    static QPointer<CustomWindow> window;
    return window;
}

const QSize noticeSize(620, 150);

// The room of the next notice: centred above the bar on the primary screen,
// above the notices shown now. Its card stands centred in it.
std::optional<QRect> nextNoticeSlot()
{
    QScreen* screen = QGuiApplication::primaryScreen();
    if (!screen)
        return std::nullopt;
    QList<QPointer<QObject>>& notices = shownNotices();
    notices.removeAll(nullptr);
    const QRect area = screen->availableGeometry();
    const int bottom = area.bottom() - 20 - int(notices.size()) * noticeSize.height();
    return QRect(
        QPoint(area.x() + (area.width() - noticeSize.width()) / 2, bottom - noticeSize.height()), noticeSize);
}

// A notice takes no focus and lets clicks through, so the window manager
// has nothing to do for it: it is neither framed, placed nor stacked by it
// (override-redirect). Showing one is then a map and a paint, leaving it an
// unmap, without the reports of a window being framed and mapped that
// would wake the bar in its first seconds. Mapped last, it lies above
// every other window, full-screen ones included.
CustomWindow* makeNoticeWindow()
{
    auto* window = new CustomWindow(QRect(QPoint(0, 0), noticeSize), CustomWindow::Borderless);
    window->setAttribute(Qt::WA_DeleteOnClose);
    window->setAttribute(Qt::WA_TranslucentBackground);
    window->setWindowFlag(Qt::BypassWindowManagerHint);
    window->setWindowFlag(Qt::WindowStaysOnTopHint);
    window->setWindowFlag(Qt::WindowDoesNotAcceptFocus);
    // Clicks go through to what lies beneath (the bar's menus open there).
    window->setWindowFlag(Qt::WindowTransparentForInput);
    window->setWindowTitle(QStringLiteral("orbitShelf notice"));
    setContent(window, new QWidget);
    return window;
}

// Lays out the notice's card for these texts, at rest, and makes the window
// the card, centred in `slot`; a card already holding them is kept.
//
// The window is no larger than the card: a compositor draws a window's
// shadow around its whole rectangle, whatever its shape, so clear margins
// around the card would show as a dark box.
void setNoticeContent(CustomWindow* window, const QRect& slot, const QString& title, const QString& detail)
{
    const QStringList texts { title, detail };
    QWidget* host = window->layout()->itemAt(0)->widget();
    window->setProperty("noticeSlot", slot);
    if (window->property("noticeTexts").toStringList() == texts) {
        if (const auto* card = host->findChild<ToastCard*>(QString(), Qt::FindDirectChildrenOnly))
            window->setGeometry(centredIn(card->size(), slot));
        return;
    }
    window->setProperty("noticeTexts", texts);
    qDeleteAll(host->findChildren<ToastCard*>(Qt::FindDirectChildrenOnly));
    ToastOverlay toast;
    toast.displayMode = ToastOverlay::DisplayMode::alert();
    toast.type = ToastOverlay::AlertType::regular();
    toast.title = title;
    toast.subTitle = detail;
    // A notice appears and leaves at once, without a transition: each step
    // of one would wake the process and send the window's pixels to the X
    // server again, and a notice comes in the first seconds after a start,
    // which should stay quiet.
    auto* card = new ToastCard(toast, host);
    const QSize hint = card->sizeHint();
    const int width = qBound(card->minimumWidth(), hint.width(), card->maximumWidth());
    int height = card->hasHeightForWidth() ? card->heightForWidth(width) : hint.height();
    if (height < 0)
        height = hint.height();
    height = qBound(card->minimumHeight(), height, card->maximumHeight());
    const QRect resting(0, 0, width, height);
    window->setGeometry(centredIn(resting.size(), slot));
    card->setGeometry(resting);
    // Its background painted now, once: showing the notice then only copies it.
    card->preparePicture();
    // Without a compositing manager the window's empty parts would be black:
    // it is shaped to the card.
    window->setMask(cardShape(resting.size(), 10));
}

// The notice's window (never shown, never made native) drawn once into a
// picture the display server keeps and shows by itself: showing the notice
// is then a raise and a map and leaving it a destroy, with nothing to paint
// and nothing coming back (a window of ours costs an exposure, a paint and
// the picture's upload and completion at each showing). None where the
// platform makes no such window (no X11, the scripted platform) or where
// Qt's coordinates are not the server's (a scaled desktop).
NoticePicture* stillNotice(CustomWindow* window)
{
    if (window->testAttribute(Qt::WA_WState_Created) || !qFuzzyCompare(window->devicePixelRatioF(), 1.0))
        return nullptr;
    // Laid out as showing it would, top-down.
    window->layout()->activate();
    for (QWidget* part : window->findChildren<QWidget*>())
        if (part->layout())
            part->layout()->activate();
    QImage picture(window->size(), QImage::Format_ARGB32_Premultiplied);
    picture.fill(Qt::transparent);
    // All of it, as its backing store holds it: a region cut to the mask
    // would be drawn from the mask's corner instead of the window's.
    window->render(&picture, QPoint(), QRegion(), QWidget::DrawChildren | QWidget::IgnoreMask);
    std::unique_ptr<platform::StillPictureWindow> still = platform::createStillPictureWindow(
        { picture, window->mask(), window->geometry().topLeft(), window->windowTitle() });
    if (!still)
        return nullptr;
    return new NoticePicture(std::move(still), window->property("noticeSlot").toRect(),
        window->property("noticeTexts").toStringList());
}

// A toast above the bar that clicks pass through, gone after 10 s.
void showNoticeToast(const QString& title, const QString& detail)
{
    const std::optional<QRect> slot = nextNoticeSlot();
    if (!slot)
        return;
    const QStringList texts { title, detail };
    NoticePicture* picture = std::exchange(preparedPicture(), nullptr);
    // One made ahead for other texts or another place is not the one.
    if (picture && (picture->slot != *slot || picture->texts != texts)) {
        delete picture;
        picture = nullptr;
    }
    CustomWindow* window = nullptr;
    if (!picture) {
        window = preparedNotice() ? preparedNotice().data() : makeNoticeWindow();
        preparedNotice() = nullptr;
        // Unchanged for a window made ahead, unless the screen changed since.
        setNoticeContent(window, *slot, title, detail);
        if ((picture = stillNotice(window)))
            delete window;
    }
    if (picture) {
        shownNotices().append(picture);
        picture->window->show();
        QTimer::singleShot(std::chrono::seconds(10), picture, [picture] { picture->deleteLater(); });
        return;
    }
    shownNotices().append(window);
    window->show();
    QTimer::singleShot(std::chrono::seconds(10), window, [window] { window->close(); });
}

QString takenHotKeysTitle()
{
    return QCoreApplication::translate("HotKeys", "Some hot keys are held by another program");
}

QString takenHotKeysDetail(const QStringList& keys)
{
    return QCoreApplication::translate("HotKeys", "Not registered: %1. Choose another modifier there.")
        .arg(keys.join(QStringLiteral(", ")));
}

} // namespace

void prepareTakenHotKeysNotice(const QStringList& keys)
{
    if (preparedNotice() || preparedPicture() || keys.isEmpty())
        return;
    const std::optional<QRect> slot = nextNoticeSlot();
    if (!slot)
        return;
    // The notice now, where and as it will stand (for the keys refused so
    // far), while the bar starts: showing it later is then only its map
    // (and, for a window of ours, its paint).
    CustomWindow* window = makeNoticeWindow();
    setNoticeContent(window, *slot, takenHotKeysTitle(), takenHotKeysDetail(keys));
    if (NoticePicture* picture = stillNotice(window)) {
        preparedPicture() = picture;
        delete window;
        return;
    }
    preparedNotice() = window;
    window->winId();
}

void showTakenHotKeysToast(const QStringList& keys)
{
    if (keys.isEmpty()) {
        // Nothing to tell: the notice made ahead for it is not kept.
        if (preparedNotice())
            preparedNotice()->deleteLater();
        if (preparedPicture())
            preparedPicture()->deleteLater();
        return;
    }
    qCInfo(lcAuxWindows).noquote() << "taken hot keys told:" << keys.join(QStringLiteral(", "));
    showNoticeToast(takenHotKeysTitle(), takenHotKeysDetail(keys));
}

void showUnreadableSettingsToast(const QString& keptCopy)
{
    const QString title = QCoreApplication::translate("Settings", "The settings file could not be read");
    const QString detail = QCoreApplication::translate(
        "Settings", "It was kept beside it as %1; the settings start from their defaults.")
                               .arg(QFileInfo(keptCopy).fileName());
    qCInfo(lcAuxWindows).noquote() << "unreadable settings file told:" << keptCopy;
    showNoticeToast(title, detail);
}

void dismissToastWindow()
{
    toastPicture().reset();
    if (toastWindow())
        toastWindow()->hide();
}

QPointer<CustomWindow>& settingsWindow()
{
    static QPointer<CustomWindow> window;
    return window;
}

CustomWindow* openSettingsWindow(const QString& screenID)
{
    // One settings window: two would each keep their own copy of the values
    // and show the other's changes stale.
    QPointer<CustomWindow>& existing = settingsWindow();
    // A closed window is only waiting to be freed: it does not count.
    if (existing && existing->isVisible()) {
        if (existing->isMinimized())
            existing->showNormal();
        bringToFront(existing);
        if (auto* config = existing->findChild<GeneralConfig*>())
            config->logTabPlaces();
        return existing;
    }
    auto* window = new CustomWindow(QRect(0, 0, 800, 600),
        CustomWindow::Titled | CustomWindow::Closable | CustomWindow::Miniaturizable
            | CustomWindow::Resizable);
    window->setAttribute(Qt::WA_DeleteOnClose);
    const bool restored = setFrameAutosaveName(window, QString::fromLatin1(settingsWindowAutosaveName));
    window->setWindowTitle(QStringLiteral("OrbitShelf Settings"));
    setContent(window, new GeneralConfig);
    window->layout()->setContentsMargins(10, 10, 10, 10);
    // Where it was left, when that is on this screen; centred otherwise.
    const QRect saved = restored ? window->geometry() : QRect();
    QScreen* screen = screenOfPointer();
    for (QScreen* each : QGuiApplication::screens())
        if (!screenID.isEmpty() && screenIdentifierKey(each) == screenID)
            screen = each;
    placeOnScreen(window, screen, saved);
    existing = window;
    bringToFront(window);
    return window;
}

CustomWindow* openQuitWindow()
{
    // As tall as its content, at most 600: the form is shorter than that,
    // and a fixed 600 left an empty band of some 260 below the button.
    auto* view = new QuitView;
    const int fitted = std::clamp(
        view->hasHeightForWidth() ? view->heightForWidth(600) : view->sizeHint().height(), 200, 600);
    auto* window = new CustomWindow(QRect(0, 0, 600, fitted), CustomWindow::Titled | CustomWindow::Closable);
    window->setAttribute(Qt::WA_DeleteOnClose);
    // Flags before the frame: a flag changed after it moved the window down
    // by the window manager's title bar at every opening.
    window->setWindowFlag(Qt::WindowStaysOnTopHint);
    window->setGeometry(centredOnScreenUnderMouse(QSize(600, fitted)));
    setFrameAutosaveName(window, QString::fromLatin1(quitWindowAutosaveName));
    // A frame saved before kept the old height.
    window->setFixedHeight(fitted);
    window->setWindowTitle(QStringLiteral("OrbitShelf Quit"));
    setContent(window, view);
    bringToFront(window);
    return window;
}

QWidget* showPasteboardWindow()
{
    // Sized and laid out as the clipboard tile's panel of the bar on the
    // screen under the pointer.
    AppState& state = AppState::shared();
    const QScreen* screen = screenOfPointer();
    const QString screenID = screen ? screenIdentifierKey(screen) : QString();
    const QString edge = dockPositionForScreen(state, screenID == mainDockScreenID(), screenID);
    const QRect frame = pasteboardFrame(screenUnderMouse(), edge);
    const bool vertical = edge == QLatin1String("left") || edge == QLatin1String("right");
    closeSwitcherPopup();
    QPointer<QWidget>& window = pasteboardWindow();
    if (window) {
        window->close();
        window->deleteLater();
    }
    window = new QWidget(nullptr, Qt::Window | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint);
    // However it is closed (Escape, a click elsewhere), the window and the
    // panel in it are freed; the next opening makes a new one.
    window->setAttribute(Qt::WA_DeleteOnClose);
    window->setAttribute(Qt::WA_TranslucentBackground);
    window->setGeometry(frame);
    // A managed window of depth 32: fluxbox, after a change of the screens,
    // takes it on without a frame at the root's corner.
    (new PlaceKeeper(window))->setAsked(frame);
    // Only the panel's rounded card shows: where nothing composites, its
    // clear corners would show black.
    window->setMask(cardShape(frame.size(), toolCardRadius));
    window->setWindowTitle(QStringLiteral("orbitShelf clipboard"));
    installPasteboardEscapeFilter();
    setContent(window, makePasteBoardView(state, vertical ? 2 : 5, 5000));
    bringToFront(window);
    return window;
}
