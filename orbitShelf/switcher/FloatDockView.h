#pragma once

// Paints the switcher's grid: a translucent rounded panel, a cell per
// window (thumbnail with icon and short title, or the icon alone), the
// selection highlighted, and three key hints under the grid. A click on a
// cell selects its window.

#include "switcher/FloatDock.h"

#include <QRectF>
#include <QStringList>
#include <QWidget>

#include <memory>
#include <vector>

// Where everything sits inside a widget `area` large, computed without a
// display.
struct SwitcherLayout {
    struct Cell {
        std::shared_ptr<Windows> window;
        QRectF frame;
        bool selected = false;
    };
    QRectF panel;
    std::vector<Cell> cells;
    std::vector<QRectF> hints; // in the order of switcherHintTexts()
};

const QStringList& switcherHintTexts();
// Icon cells (80 × 80) without previews, thumbnail cells otherwise.
bool switcherUsesThumbnails(bool disablePreview, bool capturePermitted);
SwitcherLayout layoutSwitcher(
    const FloatDock& dock, const QSizeF& area, bool thumbnails, const QFontMetricsF& font);

class FloatDockView final : public QWidget {
    Q_OBJECT
public:
    explicit FloatDockView(FloatDock& dock, QWidget* parent = nullptr);

protected:
    void paintEvent(QPaintEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;

private:
    FloatDock& m_dock;
    double m_scroll = 0; // how far a grid taller than the panel is scrolled
};
