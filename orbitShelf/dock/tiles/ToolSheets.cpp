#include "dock/tiles/ToolSheets.h"

#include "apps/ScreenPlaces.h"
#include "dock/DockLog.h"
#include "dock/DockView.h"
#include "dock/DockViewState.h"
#include "dock/layout/DockEdges.h"
#include "dock/layout/PopUpPlacement.h"
#include "state/AppState.h"
#include "tools/ToolPages.h"
#include "widgets/PaintedShape.h"

#include <QAbstractButton>
#include <QCoreApplication>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QScreen>
#include <QTimer>
#include <QVBoxLayout>
#include <QWidget>

namespace {

// A sheet closed by the user (Escape, the window manager) lowers its flag.
// Its page fills it, and it is shaped to the page's rounded card: around
// the card it would show its own ground where nothing composites, and a
// compositor's shadow around its whole rectangle.
class SheetWindow final : public QWidget {
public:
    SheetWindow(AppState& state, Tool tool, QWidget* parent)
        : QWidget(parent, Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint)
        , m_state(state)
        , m_tool(tool)
        , m_cornerRadius(toolPages(tool).sheet.cornerRadius)
    {
        setAttribute(Qt::WA_DeleteOnClose);
        setObjectName(QStringLiteral("ToolSheet"));
        setStyleSheet(QStringLiteral("#ToolSheet { background: rgb(30, 30, 32); } QLabel { color: white; }"));
    }

protected:
    void closeEvent(QCloseEvent* event) override
    {
        bool& flag = m_state.popups[m_tool];
        if (flag) {
            flag = false;
            m_state.publish();
        }
        QWidget::closeEvent(event);
    }
    void keyPressEvent(QKeyEvent* event) override
    {
        if (event->matches(QKeySequence::Cancel))
            close();
        else
            QWidget::keyPressEvent(event);
    }
    void resizeEvent(QResizeEvent* event) override
    {
        QWidget::resizeEvent(event);
        if (m_cornerRadius > 0)
            setMask(cardShape(size(), m_cornerRadius));
    }

private:
    AppState& m_state;
    Tool m_tool;
    int m_cornerRadius;
};

// Hook for people and the end-to-end checks: where the sheet and each of its
// controls stand on the screen, and whether each is shown whole (not cut by
// the sheet, a scroll area or a size below what it needs).
void logSheetControls(QWidget* sheet)
{
    if (!lcDock().isDebugEnabled() || !sheet->isVisible())
        return;
    const auto global = [](const QWidget* w) { return QRect(w->mapToGlobal(QPoint(0, 0)), w->size()); };
    const auto text = [](const QRect& r) {
        return QStringLiteral("%1,%2 %3x%4").arg(r.x()).arg(r.y()).arg(r.width()).arg(r.height());
    };
    qCDebug(lcDock).noquote()
        << QStringLiteral("tool sheet %1 at %2").arg(sheet->windowTitle(), text(global(sheet)));
    int n = 0;
    for (QWidget* w : sheet->findChildren<QWidget*>()) {
        if (!w->isVisibleTo(sheet))
            continue;
        QString name;
        if (auto* button = qobject_cast<QAbstractButton*>(w))
            name = button->text().isEmpty() ? button->objectName() : button->text();
        else if (auto* field = qobject_cast<QLineEdit*>(w))
            name = field->objectName();
        else if (auto* label = qobject_cast<QLabel*>(w); label && !label->text().isEmpty())
            name = label->text();
        else
            continue;
        const QRect whole = global(w);
        QRect shown = whole;
        for (const QWidget* p = w->parentWidget(); p; p = p->parentWidget()) {
            shown &= global(p);
            if (p == sheet)
                break;
        }
        const QSize needs = w->minimumSizeHint();
        const bool cut = shown != whole || w->width() < needs.width() || w->height() < needs.height();
        qCDebug(lcDock).noquote() << QStringLiteral("tool sheet %1 control %2 \"%3\" %4 at %5")
                                         .arg(sheet->windowTitle())
                                         .arg(n++)
                                         .arg(name.simplified().left(40))
                                         .arg(cut ? QStringLiteral("cut") : QStringLiteral("whole"))
                                         .arg(text(whole));
    }
}

} // namespace

ToolSheets::ToolSheets(AppState& state, const DockViewState& dock, QWidget* dockWindow)
    : QObject(dockWindow)
    , m_state(state)
    , m_dock(dock)
    , m_dockWindow(dockWindow)
    , m_mouseOnThisScreen([screenID = dock.screenID] { return isMouseOnDockScreen(screenID); })
{
    connect(&m_state, &AppState::changed, this, &ToolSheets::sync);
}

ToolSheets::~ToolSheets()
{
    for (auto& [sheet, window] : m_sheets)
        delete window.data();
}

QWidget* ToolSheets::sheet(Tool tool) const
{
    const auto it = m_sheets.find(tool);
    return it == m_sheets.end() ? nullptr : it->second.data();
}

void ToolSheets::sync()
{
    const std::vector<Tool> shown = toolSheetsShown(m_state);
    for (const ToolRow& row : toolTable) {
        if (!row.sheet)
            continue;
        QPointer<QWidget>& window = m_sheets[row.tool];
        const bool up = std::find(shown.begin(), shown.end(), row.tool) != shown.end();
        if (!up) {
            if (window) {
                window->hide();
                window->deleteLater();
            }
            window = nullptr;
            continue;
        }
        if (window)
            continue;
        const ToolSheetContent content = toolSheetContent(row.tool, m_mouseOnThisScreen(),
            isDockVertical(m_state, m_dock.screenID), m_dock.screenWidth, m_dock.screenHeight);
        // Only the bar on the mouse's screen fills the sheet; the others
        // keep theirs empty, which on a desktop means not showing one.
        if (!content.filled)
            continue;
        window = makeSheet(row.tool, content);
    }
}

QWidget* ToolSheets::makeSheet(Tool tool, const ToolSheetContent& content)
{
    const ToolPages& pages = toolPages(tool);
    auto* window = new SheetWindow(m_state, tool, nullptr);
    auto* layout = new QVBoxLayout(window);
    layout->setContentsMargins(0, 0, 0, 0);
    const char* title = pages.sheet.title;
    window->setWindowTitle(pages.sheet.titleTranslated ? QCoreApplication::translate("ToolSheets", title)
                                                       : QString::fromLatin1(title));
    layout->addWidget(pages.sheetPage(m_state, sheetPlace(content)));
    place(window, content);
    window->show();
    if (content.bringToFront) {
        window->raise();
        window->activateWindow();
    }
    // Once the window manager has placed it and its layout has settled.
    QTimer::singleShot(300, window, [window] { logSheetControls(window); });
    return window;
}

ToolSheetPlace ToolSheets::sheetPlace(const ToolSheetContent& content) const
{
    // Only the bar on the screen under the pointer fills its sheet, so that
    // bar's screen is the one a page sizes itself for (the folder browser's
    // grid).
    const QScreen* screen = m_dockWindow ? m_dockWindow->screen() : nullptr;
    if (!screen)
        screen = QGuiApplication::primaryScreen();
    ToolSheetPlace place;
    place.verticalBar = isDockVertical(m_state, m_dock.screenID);
    if (screen)
        place.visibleWidth = screenAvailableGeometry(screen).width();
    place.columns = content.columns;
    place.limit = content.limit;
    return place;
}

void ToolSheets::place(QWidget* sheet, const ToolSheetContent& content) const
{
    // A panel's content may need more than the size asked (the window
    // manager would grow it on its far side, off the tile).
    const QSize size = content.size.toSize().expandedTo(sheet->minimumSizeHint());
    sheet->resize(size);
    const QRect tile = m_dock.currentPluginFrame.toAlignedRect();
    const QScreen* tileScreen = tile.isEmpty() ? nullptr : screenAtPoint(tile.center());
    if (tileScreen) {
        const QRect frame = toolSheetFrame(size, tile, screenAvailableGeometry(tileScreen),
            dockPositionForScreen(m_state, m_dock.enableListener, m_dock.screenID), sheet->minimumSizeHint());
        sheet->setGeometry(frame);
        return;
    }
    if (!m_dockWindow)
        return;
    // Opened other than by its tile: centred over the dock window, kept on
    // its screen.
    const auto* view = qobject_cast<const DockView*>(m_dockWindow.data());
    const QRect dock = view ? view->toScreen(QRectF(view->rect()))
                            : QRect(m_dockWindow->mapToGlobal(QPoint(0, 0)), m_dockWindow->size());
    QRect frame(QPoint(0, 0), size);
    frame.moveCenter(dock.center());
    if (const QScreen* screen = screenAtPoint(dock.center()))
        frame = fittedInside(
            QRectF(frame), QRectF(screenAvailableGeometry(screen)), QSizeF(sheet->minimumSizeHint()))
                    .toRect();
    sheet->setGeometry(frame);
}
