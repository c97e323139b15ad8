#pragma once

#include "dock/preview/HoverPreviewLayout.h"

#include <QImage>
#include <QObject>
#include <QPointF>
#include <QPointer>
#include <QWidget>

#include <array>
#include <functional>

// One painted piece of the hover preview (a chip or the picture) in a
// window sized to it: an override-redirect tooltip that never takes input
// or focus.
class HoverPreviewPiece final : public QWidget {
    Q_OBJECT
public:
    explicit HoverPreviewPiece(QWidget* parent, const QString& name);

    // A chip when `picture` is null, else the picture with its shadow;
    // `content` is where the chip or the picture stands, screen coordinates.
    // Where nothing composites, every transparent pixel shows black: the
    // window is then shaped to the pixels it paints at least half opaque,
    // and ends where they do. Under a compositor a chip's window is shaped
    // the same way, so the compositor's shadow follows its round outline;
    // the picture's window, square, stays whole with its soft shadow.
    void present(const QRectF& content, const QString& text, const QImage& picture, bool translucent);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void paint(QPainter& painter) const;

    QRectF m_content; // in this window's coordinates
    QString m_text;
    QImage m_picture;
};

// The hover preview of a window button: the title chip, the live picture
// and, with process statistics on, the usage chip, stacked and centred on
// the button moved by the layout's offset, each in a window of its own above
// the bar (see HoverPreviewPieces). The windows are children of the bar's
// widget, gone with it.
class HoverPreviewWidget final : public QObject {
    Q_OBJECT
public:
    // `translucencyAvailable` says whether something composites now.
    explicit HoverPreviewWidget(
        QWidget* parent, std::function<bool()> translucencyAvailable = defaultTranslucencyAvailable());
    ~HoverPreviewWidget() override;

    // Places and paints the preview; the button centre is in screen
    // coordinates. An invisible layout hides it.
    void present(const HoverPreviewLayout& layout, const QImage& picture, const QPointF& buttonCentre);
    void dismiss();

    bool isVisible() const;
    const HoverPreviewLayout& layout() const { return m_layout; }
    // Where the picture is drawn, in screen coordinates; empty without
    // picture.
    QRectF pictureRect() const { return m_pieces.picture; }
    const HoverPreviewPieces& pieces() const { return m_pieces; }
    // The windows of the title chip, the picture and the usage chip.
    std::array<QWidget*, 3> windows() const { return { m_title, m_picture, m_usage }; }

private:
    static std::function<bool()> defaultTranslucencyAvailable();

    std::function<bool()> m_translucencyAvailable;
    QPointer<HoverPreviewPiece> m_title;
    QPointer<HoverPreviewPiece> m_picture;
    QPointer<HoverPreviewPiece> m_usage;
    HoverPreviewLayout m_layout;
    HoverPreviewPieces m_pieces;
};
