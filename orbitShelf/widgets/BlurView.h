#pragma once

#include <QColor>
#include <QWidget>

// A translucent backdrop for panels of the bar. The X server offers no blur
// of what lies behind a window, so the view paints a dark, mostly opaque
// tint instead; with a compositor the desktop shows through it. It looks the
// same whether or not its window is active.
class BlurView final : public QWidget {
    Q_OBJECT
public:
    explicit BlurView(QWidget* parent = nullptr);

    // The tint that stands in for the blurred backdrop.
    static QColor tint();

    // Called when the view's owner refreshes it: repaints the tint.
    void updateView();

protected:
    void paintEvent(QPaintEvent* event) override;
};
