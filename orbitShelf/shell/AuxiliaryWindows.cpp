#include "shell/AuxiliaryWindows.h"

#include "state/AppState.h"
#include "state/Queues.h"
#include "state/UserDefaults.h"
#include "apps/ScreenIdentifier.h"
#include "dock/layout/DockEdges.h"
#include "dock/windows/FullScreenToast.h"
#include "settings/GeneralConfig.h"
#include "settings/QuitView.h"
#include "shell/AuxWindowGeometry.h"
#include "switcher/SwitcherPopup.h"
#include "tools/PasteBoardView.h"

#include "ToastOverlay/ToastViews.h"

#include "platform/StillPictureWindow.h"

#include <QCoreApplication>
#include <QCursor>
#include <QFileInfo>
#include <QEvent>
#include <QGuiApplication>
#include <QImage>
#include <QKeyEvent>
#include <QLoggingCategory>
#include <QPainterPath>
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

void setFrameAutosaveName(QWidget* window, const QString& name)
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
}

void showToast(const QString& spaceID, qint64 windowNumber)
{
    Queues::main().async([spaceID, windowNumber] { presentToastWindow(spaceID, windowNumber); });
}

void presentToastWindow(const QString& spaceID, qint64 windowNumber)
{
    const QRect frame = toastFrame(screenUnderMouse());
    QPointer<CustomWindow>& window = toastWindow();
    if (!window) {
        window = new CustomWindow(frame, CustomWindow::Borderless);
        window->setWindowTitle(QStringLiteral("OrbitShelf Toast"));
        window->setAttribute(Qt::WA_TranslucentBackground);
        // Above everything, full-screen windows included.
        window->setWindowFlag(Qt::WindowStaysOnTopHint);
        setContent(window, new QWidget);
    }
    // Each toast shows its own window and size, not the first toast's.
    QLayout* layout = window->layout();
    while (QLayoutItem* item = layout->takeAt(0)) {
        delete item->widget();
        delete item;
    }
    layout->addWidget(makeFullScreenToast(spaceID, windowNumber, frame.width(), frame.height()));
    window->setGeometry(frame);

    const quint64 generation = ++toastGeneration;
    if (frame.isEmpty()) {
        // No screen under the pointer: nowhere to show it.
        window->hide();
        return;
    }
    bringToFront(window);
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
    NoticePicture(std::unique_ptr<platform::StillPictureWindow> window, QRect frame, QStringList texts)
        : window(std::move(window))
        , frame(frame)
        , texts(std::move(texts))
    {
    }
    const std::unique_ptr<platform::StillPictureWindow> window;
    const QRect frame;
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

// Where the next notice stands: centred above the bar on the primary
// screen, above the notices shown now.
std::optional<QRect> nextNoticeFrame()
{
    QScreen* screen = QGuiApplication::primaryScreen();
    if (!screen)
        return std::nullopt;
    QList<QPointer<QObject>>& notices = shownNotices();
    notices.removeAll(nullptr);
    const QRect area = screen->availableGeometry();
    const int bottom = area.bottom() - 20 - int(notices.size()) * noticeSize.height();
    return QRect(QPoint(area.center().x() - noticeSize.width() / 2, bottom - noticeSize.height()), noticeSize);
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

// Lays out the notice's card for these texts, at rest, and shapes the
// window to it; a window already holding them is left as it is.
void setNoticeContent(CustomWindow* window, const QString& title, const QString& detail)
{
    const QStringList texts { title, detail };
    if (window->property("noticeTexts").toStringList() == texts)
        return;
    window->setProperty("noticeTexts", texts);
    QWidget* host = window->layout()->itemAt(0)->widget();
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
    const QRect resting((noticeSize.width() - width) / 2, (noticeSize.height() - height) / 2, width, height);
    card->setGeometry(resting);
    // Its background painted now, once: showing the notice then only copies it.
    card->preparePicture();
    // Without a compositing manager the window's empty parts would be black:
    // it is shaped to the card.
    QPainterPath outline;
    outline.addRoundedRect(QRectF(resting), 10, 10);
    window->setMask(QRegion(outline.toFillPolygon().toPolygon()));
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
    return new NoticePicture(std::move(still), window->geometry(), window->property("noticeTexts").toStringList());
}

// A toast above the bar that clicks pass through, gone after 10 s.
void showNoticeToast(const QString& title, const QString& detail)
{
    const std::optional<QRect> frame = nextNoticeFrame();
    if (!frame)
        return;
    const QStringList texts { title, detail };
    NoticePicture* picture = std::exchange(preparedPicture(), nullptr);
    // One made ahead for other texts or another place is not the one.
    if (picture && (picture->frame != *frame || picture->texts != texts)) {
        delete picture;
        picture = nullptr;
    }
    CustomWindow* window = nullptr;
    if (!picture) {
        window = preparedNotice() ? preparedNotice().data() : makeNoticeWindow();
        preparedNotice() = nullptr;
        // Unchanged for a window made ahead, unless the screen changed since.
        window->setGeometry(*frame);
        setNoticeContent(window, title, detail);
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
    const std::optional<QRect> frame = nextNoticeFrame();
    if (!frame)
        return;
    // The notice now, where and as it will stand (for the keys refused so
    // far), while the bar starts: showing it later is then only its map
    // (and, for a window of ours, its paint).
    CustomWindow* window = makeNoticeWindow();
    window->setGeometry(*frame);
    setNoticeContent(window, takenHotKeysTitle(), takenHotKeysDetail(keys));
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
    if (toastWindow())
        toastWindow()->hide();
}

QPointer<CustomWindow>& settingsWindow()
{
    static QPointer<CustomWindow> window;
    return window;
}

CustomWindow* openSettingsWindow()
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
    window->setGeometry(centredOnScreenUnderMouse(QSize(800, 600)));
    setFrameAutosaveName(window, QString::fromLatin1(settingsWindowAutosaveName));
    window->setWindowTitle(QStringLiteral("OrbitShelf Settings"));
    setContent(window, new GeneralConfig);
    window->layout()->setContentsMargins(10, 10, 10, 10);
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
    const QScreen* screen = QGuiApplication::screenAt(QCursor::pos());
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
    window->setWindowTitle(QStringLiteral("orbitShelf clipboard"));
    installPasteboardEscapeFilter();
    setContent(window, makePasteBoardView(state, vertical ? 2 : 5, 5000));
    bringToFront(window);
    return window;
}
