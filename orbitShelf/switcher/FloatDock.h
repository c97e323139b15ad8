#pragma once

// The switcher's grid: every window of the running applications, most
// recently used first, a keyboard focus in it, a selection, and the commit
// that brings the selection forward. Plain state, drawn by FloatDockView;
// driven by the switcher's cycle (SwitcherCycle) through the bus events of
// SwitcherEvents.h; its pictures come from SwitcherThumbnails. Main thread
// only.

#include <QImage>
#include <QMap>
#include <QObject>
#include <QRect>
#include <QString>

#include <functional>
#include <memory>
#include <optional>
#include <vector>

class AppState;
class Windows;

using WindowGrid = std::vector<std::vector<std::shared_ptr<Windows>>>;

struct CellSize {
    double width;
    double height;
};

// The size of one cell: icons only without previews, smaller thumbnails the
// more applications run.
CellSize switcherCellSize(bool disablePreview, bool capturePermitted, qint32 totalAppCount);
// Cells per row for a grid `screenWidth` wide; at least 1.
int switcherRowLength(double screenWidth, double cellWidth);
// Cells per row for `count` cells in a panel `width` × `gridHeight` (the
// height left for the rows): switcherRowLength while the rows fit; when
// they would be taller than the panel, as many per row as make the cells
// largest once the grid is scaled down to fit, so the panel's width is used
// before the cells shrink.
int switcherFitRowLength(int count, double width, double gridHeight, const CellSize& cell);
// The panel's height for `rows` rows, at most nine tenths of `visibleHeight`.
double switcherPanelHeight(double cellHeight, int rows, double visibleHeight);
// The title as a cell shows it: 15 characters with fewer than 30
// applications, else 10; a longer title is cut there and ends in "…".
QString switcherShortTitle(const QString& title, qint32 totalAppCount);
// Two windows are the same cell when their numbers are, absent ones included.
bool sameSwitcherWindow(const Windows* a, const Windows* b);

class FloatDock final : public QObject {
    Q_OBJECT
public:
    explicit FloatDock(QObject* parent = nullptr);

    WindowGrid multiWindows;
    double screenWidth = 0;
    double width = 700.0;
    double height = 700.0;
    int focusRow = 0;
    int focusColumn = 0;
    std::shared_ptr<Windows> currentWindow;
    std::optional<QMap<quint32, QImage>> images = QMap<quint32, QImage> {};
    // The window in front is one of our own (not in the grid): the focus
    // sits before the first cell, and the first step lands on it.
    bool focusBeforeFirst = false;
    // One of our own windows was in front as the cycle began: no cell is
    // the window in front, so a release on any of them brings it forward.
    bool ownWindowWasInFront = false;

    CellSize cellSize() const;

    // Prepares a cycle on the screen whose available area is `visibleFrame`
    // (the caller picks the screen under the pointer, else the primary one)
    // and makes this the only handler of the switcher's four events.
    void setUp(const QRect& visibleFrame);
    void loadWindows();
    void focusCurrentWindow();
    // `keyText` is the decimal key code ("48" Tab, "50" backtick, "53"
    // Escape, "123".."126" the arrows).
    void handleKeyDown(const QString& keyText);
    void focusPrevious();
    void commitSelection();
    void selectWindow(const std::shared_ptr<Windows>& window);
    // Takes closed windows out of an open grid; a selected one passes the
    // selection to the window after it (the last one when it was last).
    void dropClosedWindows();
    void tearDown();
    void reset();

    // Whether thumbnails can be taken here (always on X11: Composite).
    static bool capturePermitted() { return true; }
    // Whether cells show window pictures (previews on and capture allowed).
    static bool previewsShown();

signals:
    void changed();

private:
    double m_gridHeight = 0;
    void dropWindows(const std::function<bool(const Windows&)>& closed);
    // Puts a focus left over from a larger grid back inside this one.
    void clampFocus();
    void selectFocusedCell();
};

// The one switcher content of the process, made on first use.
FloatDock& floatDock();
