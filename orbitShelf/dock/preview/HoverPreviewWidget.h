#pragma once

#include "dock/preview/HoverPreviewLayout.h"

#include <QImage>
#include <QPointF>
#include <QWidget>

// Paints the hover preview of a window button: the title chip, the live
// picture and, with process statistics on, the usage chip, stacked and
// centred on the button moved by the layout's offset. A window of its own
// above the bar (the bar's window is shaped to the bar where nothing
// composites), which never takes input or focus.
class HoverPreviewWidget final : public QWidget {
    Q_OBJECT
public:
    explicit HoverPreviewWidget(QWidget* parent);

    // Places and paints the preview; the button centre is in screen
    // coordinates. An invisible layout hides it.
    void present(const HoverPreviewLayout& layout, const QImage& picture, const QPointF& buttonCentre);
    void dismiss();

    const HoverPreviewLayout& layout() const { return m_layout; }
    // Where the picture is drawn, in this window's coordinates; empty
    // without picture.
    QRectF pictureRect() const { return m_pictureRect; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QSizeF chipSize(const QString& text) const;

    HoverPreviewLayout m_layout;
    QImage m_picture;
    QRectF m_titleRect;
    QRectF m_pictureRect;
    QRectF m_usageRect;
    bool m_translucent = true;
};
