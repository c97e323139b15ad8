#pragma once

#include "dock/HoverPreviewLayout.h"

#include <QImage>
#include <QPointF>
#include <QWidget>

// Paints the hover preview of a window button: the title chip, the live
// picture and, with process statistics on, the usage chip, stacked and
// centred on the button moved by the layout's offset. Takes no input: the
// pointer stays with the bar below it.
class WindowHoverPreview final : public QWidget {
    Q_OBJECT
public:
    explicit WindowHoverPreview(QWidget* parent);

    // Places and paints the preview; the button centre is in the parent's
    // coordinates. An invisible layout hides it.
    void present(const HoverPreviewLayout& layout, const QImage& picture, const QPointF& buttonCentre);
    void dismiss();

    const HoverPreviewLayout& layout() const { return m_layout; }
    // Where the picture is drawn, in this widget's coordinates; empty
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
};
