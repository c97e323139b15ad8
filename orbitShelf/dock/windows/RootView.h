#pragma once

#include <QString>
#include <QWidget>

class AppState;
class DockView;

// Fills a dock window and holds its bar (DockView) over the whole window; the
// bar decides where inside it draws.
class RootView final : public QWidget {
    Q_OBJECT
public:
    RootView(AppState& state, std::optional<bool> enableListener, double screenWidth, double screenHeight,
        const QString& screenID, QWidget* parent = nullptr);

    DockView* dock() const { return m_dock; }

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    DockView* m_dock;
};

// What the pointer entering (or leaving) a screen's auto-show strip does,
// whatever the strip is made of: an auto-hidden dock comes back. Returns the
// strip's grey opacity after it, from `opacity` before.
double stripHovered(AppState& state, const QString& screenID, bool entered, double opacity);

// Fills an auto-show strip: invisible at rest; when the pointer enters it and
// its screen's dock is auto-hidden, the dock is shown again and the strip
// turns a faint grey until the pointer leaves.
class ClearRootView final : public QWidget {
    Q_OBJECT
public:
    ClearRootView(
        AppState& state, const QString& screenID, double width, double height, QWidget* parent = nullptr);

    double opacity() const { return m_opacity; }

protected:
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    void hover(bool entered);

    AppState& m_state;
    const QString m_screenID;
    double m_opacity = 0;
};
