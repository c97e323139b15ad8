#pragma once

#include "dock/DockBarGeometry.h"
#include "dock/DockViewState.h"

#include <QRectF>
#include <QWidget>

class AppState;
class DockBarPointer;
class DockBarInput;
class PomodoroTile;
class ToolSheets;

// The bar of one screen: paints the picture that dockBarPicture computes
// from AppState and this dock's state, and takes input only inside the bar.
// Repaints whenever AppState publishes.
class DockView final : public QWidget {
    Q_OBJECT
public:
    DockView(AppState& state, bool enableListener, double screenWidth, double screenHeight,
        const QString& screenID, QWidget* parent = nullptr);

    const DockViewState& viewState() const { return m_view; }
    DockViewState& viewState() { return m_view; }
    const DockBarPicture& picture() const { return m_picture; }
    // The process id of each running application of the picture, in order.
    const std::vector<qint32>& appIds() const { return m_appIds; }

    // The part of the window that lies on its screen, window coordinates.
    void setScreenArea(const QRectF& area);

    // Recomputes the picture from the state and repaints.
    void refreshPicture();

protected:
    void showEvent(QShowEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    // Hook: menus and tiles (dock/DockItemInput).
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    DockBarGeometryInput geometryInput() const;
    void applyInputRegion();

    AppState& m_state;
    DockViewState m_view;
    DockBarPicture m_picture;
    std::vector<qint32> m_appIds; // the process id of each running application of the picture
    QRectF m_screenArea;
    bool m_refreshedOnce = false;
    // Hover previews and the settings menu.
    DockBarPointer* m_pointer = nullptr;
    // Window buttons: drag and drop, stacked buttons' window lists.
    DockBarInput* m_buttonInput = nullptr;
    QString m_loggedButtons;
    // Hook: the break tile shown alone on the bar and the tool sheets.
    PomodoroTile* m_pomodoroTile = nullptr;
    ToolSheets* m_toolSheets = nullptr;
};
