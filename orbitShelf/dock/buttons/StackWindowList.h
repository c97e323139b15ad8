#pragma once

#include <QFrame>

#include <functional>
#include <memory>
#include <vector>

class ActiveApp;
class QToolButton;
class AppState;
class Windows;

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
    void showTitle(int row);

    std::vector<std::shared_ptr<Windows>> m_windows;
    std::vector<QToolButton*> m_rows;
    StackWindowActivator m_activate;
};

// The activation of a listed window: the model's, with the bar as source.
void activateStackedWindow(const std::shared_ptr<Windows>& window);

// Opens the window list of `app` under `anchor` (global coordinates, the
// stacked button's rectangle) and returns it; it deletes itself on close.
StackWindowList* openStackWindowList(
    const AppState& state, const ActiveApp& app, const QRect& anchor, StackWindowActivator activate);
