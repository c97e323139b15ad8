#include "dock/preview/HoverPreviewWidget.h"

#include "apps/ScreenPlaces.h"
#include "dock/layout/DockBarGeometry.h"
#include "platform/DockWindowHints.h"

#include <QFontMetricsF>
#include <QGuiApplication>
#include <QPainter>
#include <QPainterPath>
#include <QScreen>

namespace {

constexpr double chipPadX = 10;
constexpr double chipPadY = 4;

QSizeF chipSize(const QFont& font, const QString& text)
{
    const QFontMetricsF metrics(font);
    return QSizeF(metrics.horizontalAdvance(text) + 2 * chipPadX, metrics.height() + 2 * chipPadY);
}

} // namespace

HoverPreviewPiece::HoverPreviewPiece(QWidget* parent, const QString& name)
    : QWidget(parent,
        Qt::ToolTip | Qt::FramelessWindowHint | Qt::WindowTransparentForInput | Qt::WindowDoesNotAcceptFocus)
{
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setAttribute(Qt::WA_ShowWithoutActivating);
    // Where nothing composites a transparent pixel shows black; the shape
    // then leaves those out.
    setAttribute(Qt::WA_TranslucentBackground);
    setWindowTitle(name);
    hide();
}

void HoverPreviewPiece::present(
    const QRectF& content, const QString& text, const QImage& picture, bool translucent)
{
    m_text = text;
    m_picture = picture;
    // The picture is square and a compositor blends its soft shadow: its
    // window shows whole. Where nothing composites that shadow would show
    // black: the window leaves it out.
    const bool shaped = picture.isNull() || !translucent;
    QRect frame = (shaped ? content : previewPictureWithShadow(content)).toAlignedRect();
    m_content = content.translated(-frame.topLeft());
    QRegion shape;
    if (shaped) {
        // Cut at one pixel a point, as the bar cuts its own. Where nothing
        // composites, a pixel less than half opaque would show as a dark
        // smudge. A compositor draws a window's shadow around its shape,
        // round then as the chip is, and never under it: a faint rim pixel
        // kept would show the wallpaper unshaded, a light dot on the
        // shadow.
        QImage painted(frame.size(), QImage::Format_ARGB32_Premultiplied);
        painted.fill(Qt::transparent);
        QPainter painter(&painted);
        paint(painter);
        painter.end();
        shape = opaquePart(painted, frame.topLeft());
        if (shape.isEmpty()) {
            hide();
            return;
        }
        // The window ends where its pixels do: an antialiased rim too faint
        // to show leaves no empty row or column at its edge.
        frame = shape.boundingRect();
        shape.translate(-frame.topLeft());
        m_content = content.translated(-frame.topLeft());
    }
    setGeometry(frame);
    // An empty mask is no mask: the whole window shows.
    if (shaped)
        setMask(shape);
    else
        clearMask();
    show();
    raise();
    update();
}

void HoverPreviewPiece::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    paint(painter);
}

void HoverPreviewPiece::paint(QPainter& painter) const
{
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    if (m_picture.isNull()) {
        QPainterPath capsule;
        capsule.addRoundedRect(m_content, m_content.height() / 2, m_content.height() / 2);
        painter.fillPath(capsule, QColor(0, 0, 0, int(0.75 * 255)));
        painter.setPen(Qt::white);
        painter.drawText(m_content, Qt::AlignCenter | Qt::TextSingleLine, m_text);
        return;
    }
    // Shadow: black at a third, a few points soft, two points down.
    for (int ring = 4; ring >= 1; --ring) {
        QPainterPath shade;
        shade.addRoundedRect(m_content.translated(0, 2).adjusted(-ring, -ring, ring, ring), ring, ring);
        painter.fillPath(shade, QColor(0, 0, 0, int(0.33 * 255 / 4)));
    }
    painter.drawImage(m_content, m_picture);
}

std::function<bool()> HoverPreviewWidget::defaultTranslucencyAvailable()
{
    return [] { return platform::dockTranslucencyAvailable(); };
}

HoverPreviewWidget::HoverPreviewWidget(QWidget* parent, std::function<bool()> translucencyAvailable)
    : QObject(parent)
    , m_translucencyAvailable(std::move(translucencyAvailable))
    , m_title(new HoverPreviewPiece(parent, QStringLiteral("orbitShelf preview title")))
    , m_picture(new HoverPreviewPiece(parent, QStringLiteral("orbitShelf preview picture")))
    , m_usage(new HoverPreviewPiece(parent, QStringLiteral("orbitShelf preview usage")))
{
}

HoverPreviewWidget::~HoverPreviewWidget()
{
    // Gone already when the bar's widget deletes its children first.
    delete m_title;
    delete m_picture;
    delete m_usage;
}

bool HoverPreviewWidget::isVisible() const
{
    return m_title && m_title->isVisible();
}

void HoverPreviewWidget::present(
    const HoverPreviewLayout& layout, const QImage& picture, const QPointF& buttonCentre)
{
    if (!layout.visible || !m_title || !m_picture || !m_usage) {
        dismiss();
        return;
    }
    m_layout = layout;
    HoverPreviewLayout stacked = layout;
    stacked.showPicture = layout.showPicture && !picture.isNull();

    const QFont font = m_title->font();
    const QSizeF usage = layout.usageText ? chipSize(font, *layout.usageText) : QSizeF();
    // A button near the screen's end would push the preview past it.
    const QScreen* screen = screenAtPoint(buttonCentre.toPoint());
    m_pieces = hoverPreviewPieces(stacked, chipSize(font, layout.title), usage, QFontMetricsF(font).height(),
        buttonCentre, screen ? QRectF(screenGeometry(screen)) : QRectF());

    const bool translucent = m_translucencyAvailable();
    // The picture first: the chips stand above its shadow.
    if (stacked.showPicture)
        m_picture->present(m_pieces.picture, QString(), picture, translucent);
    else
        m_picture->hide();
    m_title->present(m_pieces.title, layout.title, QImage(), translucent);
    if (layout.usageText)
        m_usage->present(m_pieces.usage, *layout.usageText, QImage(), translucent);
    else
        m_usage->hide();
}

void HoverPreviewWidget::dismiss()
{
    m_layout = HoverPreviewLayout();
    m_pieces = HoverPreviewPieces();
    for (HoverPreviewPiece* piece : { m_title.data(), m_picture.data(), m_usage.data() })
        if (piece)
            piece->hide();
}
