#pragma once

#include "dock/StackAppButtonRules.h"

#include <QFrame>
#include <QIcon>
#include <QPointer>
#include <QWidget>

#include <functional>
#include <memory>
#include <vector>

class ActiveApp;
class AppState;
class Windows;

// Paints the stacked button of an application into `frame` (the icon size):
// four copies of `icon` in a two-by-two grid inside a thin white outline.
void paintStackAppButton(QPainter& painter, const QRectF& frame, const QIcon& icon);

// Activates a window listed by a stacked button.
using StackWindowActivator = std::function<void(const std::shared_ptr<Windows>&)>;

// The list a stacked button opens: one row per window, icon and title, 300
// points wide. A click on a row activates that window and closes the list.
class StackWindowList final : public QFrame {
    Q_OBJECT
public:
    StackWindowList(const AppState& state, std::vector<std::shared_ptr<Windows>> windows,
        StackWindowActivator activate, QWidget* parent = nullptr);

    const std::vector<std::shared_ptr<Windows>>& windows() const { return m_windows; }
    // Activates the window of row `row` and closes the list, as a click does.
    void activateRow(int row);

private:
    std::vector<std::shared_ptr<Windows>> m_windows;
    StackWindowActivator m_activate;
};

// The one bar entry that stands for all windows of an application with many
// of them. A click opens (or closes) the list of its windows next to it.
class StackAppButton final : public QWidget {
    Q_OBJECT
public:
    // `hoveredWindow`, `screenID`, `buttonScale` and `enableWindowTag` are
    // kept for the bar that builds it; the button draws nothing from them.
    StackAppButton(AppState& state, std::shared_ptr<ActiveApp> app, std::shared_ptr<Windows> hoveredWindow,
        QString screenID, double buttonScale, bool enableWindowTag, QWidget* parent = nullptr);

    // Replaces the activation a row click runs (the model's activateWindow).
    void setActivator(StackWindowActivator activate) { m_activate = std::move(activate); }

    bool isShowingPopover() const { return m_popover && m_popover->isVisible(); }
    StackWindowList* popover() const { return m_popover; }
    void togglePopover();
    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    AppState& m_state;
    std::shared_ptr<ActiveApp> m_app;
    std::shared_ptr<Windows> m_hoveredWindow;
    QString m_screenID;
    double m_buttonScale;
    bool m_enableWindowTag;
    StackWindowActivator m_activate;
    QPointer<StackWindowList> m_popover;
};

// The activation of a listed window: the model's, with the bar as source.
void activateStackedWindow(const std::shared_ptr<Windows>& window);

// Opens the window list of `app` under `anchor` (global coordinates, the
// stacked button's rectangle) and returns it; it deletes itself on close.
StackWindowList* openStackWindowList(
    const AppState& state, const ActiveApp& app, const QRect& anchor, StackWindowActivator activate);
