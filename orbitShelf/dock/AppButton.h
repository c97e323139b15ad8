#pragma once

#include "dock/AppButtonRules.h"
#include "dock/WindowTag.h"

#include <QColor>
#include <QIcon>
#include <QPixmap>
#include <QPointF>
#include <QVariantAnimation>
#include <QWidget>

#include <functional>
#include <memory>

class AppState;
class QMimeData;
class Windows;

// Everything one window button draws, read from the state once per repaint.
struct AppButtonLook {
    AppButtonInput input;
    bool showIcon = true;
    bool targeting = false; // another application's icon is dragged over this one
    bool focused = false; // the window has focus: the open indicator shows
    bool previous = false; // the window was active before: the previous indicator shows
    QColor openIndicator;
    QColor previousIndicator;
    QIcon icon;
    double scale = 1.0; // hover magnification, about the frame's centre
    bool chip = false;
    WindowTagLook chipLook;
    OverlayLabel overlay = OverlayLabel::None;
    SimpleTagLook overlayLook;
};

// The rule inputs of `window`'s button on the bar of `screenID`.
AppButtonInput appButtonInput(const AppState& state, const Windows& window, const Windows* hovered,
    const QString& screenID, int windowCount, double buttonScale, bool enableWindowTag, bool isPinned);

// Reads the look of `window`'s button on the bar of `screenID`; `hovered` is
// the window under the pointer (null: none).
AppButtonLook appButtonLook(const AppState& state, Windows& window, const Windows* hovered,
    const QString& screenID, int windowCount, double buttonScale, bool enableWindowTag, bool isPinned);

// The button's frame: its width and its icon's height.
QSizeF appButtonFrameSize(const AppButtonLook& look);
// Where the icon stands inside a frame at `frame`.
QRectF appButtonIconRect(const QRectF& frame, const AppButtonLook& look);
// The centre of the focus and previous-window indicators.
QPointF appButtonIndicatorCentre(const QRectF& frame, const AppButtonLook& look);
// Paints the button into `frame`, magnified about its centre by the look's
// scale.
void paintAppButton(QPainter& painter, const QRectF& frame, const AppButtonLook& look);

// One window (or one pinned, not running application) on the bar. Clicks
// are the caller's (clicked()); the button itself only draws, reorders
// applications by drag and drop, and redraws whenever the state publishes.
class AppButton final : public QWidget {
    Q_OBJECT
public:
    using OrderMover = std::function<void(int32_t dragged, int32_t target)>;

    AppButton(AppState& state, std::shared_ptr<Windows> window, std::shared_ptr<Windows> hoveredWindow,
        QString screenID, int windowCount, double buttonScale, bool enableWindowTag, bool isPinned,
        QWidget* parent = nullptr);

    void setHoveredWindow(std::shared_ptr<Windows> hovered);
    // Replaces the order change a drop makes (the model's moveAppOrder).
    void setOrderMover(OrderMover mover) { m_mover = std::move(mover); }

    AppButtonLook look() const;
    // What a drop of `mime` onto this button does: moves the dragged
    // application next to this one and returns true, or refuses.
    bool dropApp(const QMimeData* mime);
    bool showIcon() const { return m_showIcon; }
    bool targeting() const { return m_targeting; }
    QSize sizeHint() const override;

signals:
    void clicked();

protected:
    void showEvent(QShowEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dragLeaveEvent(QDragLeaveEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    void stateChanged();
    // Moves the shown magnification towards the hover scale, linearly.
    void followHoverScale();

    AppState& m_state;
    std::shared_ptr<Windows> m_window;
    std::shared_ptr<Windows> m_hovered;
    const QString m_screenID;
    const int m_windowCount;
    const double m_buttonScale;
    const bool m_enableWindowTag;
    const bool m_isPinned;
    bool m_expanded = true;
    bool m_targeting = false;
    bool m_showIcon = false;
    bool m_appeared = false;
    QPointF m_pressAt;
    bool m_pressed = false;
    OrderMover m_mover;
    double m_shownScale = 1.0;
    double m_targetScale = 1.0;
    QVariantAnimation* m_scaleAnimation = nullptr;
};

// A dragged icon as it follows the pointer: the icon with its shadow.
QPixmap appDragPreview(const QIcon& icon, const QSizeF& size);

// Drops of our MIME type onto a target application: the dragged process id
// when the drop is accepted.
std::optional<int32_t> acceptedAppDrop(const AppState& state, const QMimeData* mime);
