#include "ToastOverlay/ToastViews.h"

#include <QCoreApplication>
#include <QEasingCurve>
#include <QHBoxLayout>
#include <QIcon>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QPauseAnimation>
#include <QSequentialAnimationGroup>
#include <QTimer>
#include <QVBoxLayout>
#include <QVariantAnimation>

#include <cmath>

namespace {

// A critically damped spring of response 0.5 s: x(t) = 1 − (1 + ωt)·e^(−ωt)
// with ω = 2π / 0.5, played over springDurationMs() and scaled to end at 1.
constexpr double kOmega = 2 * M_PI / 0.5;
constexpr double kSpringSeconds = 0.75;

double springAt(double seconds)
{
    return 1 - (1 + kOmega * seconds) * std::exp(-kOmega * seconds);
}

qreal springEasing(qreal progress)
{
    return springAt(progress * kSpringSeconds) / springAt(kSpringSeconds);
}

QString localized(const QString& key)
{
    return QCoreApplication::translate("ToastOverlay", key.toUtf8().constData());
}

QFont scaledFont(QFont font, qreal factor, bool bold)
{
    if (font.pointSizeF() > 0)
        font.setPointSizeF(font.pointSizeF() * factor);
    else
        font.setPixelSize(qMax(1, qRound(font.pixelSize() * factor)));
    font.setBold(bold);
    return font;
}

QLabel* textLabel(const QString& text, const QFont& font, std::optional<QColor> color, qreal opacity,
    Qt::Alignment alignment, bool wrap, const char* name)
{
    auto* label = new QLabel(localized(text));
    label->setObjectName(QLatin1String(name));
    label->setFont(font);
    label->setAlignment(alignment);
    label->setWordWrap(wrap);
    QColor shown = color.value_or(label->palette().color(QPalette::WindowText));
    shown.setAlphaF(shown.alphaF() * opacity);
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, shown);
    label->setPalette(palette);
    return label;
}

QPixmap tinted(const QPixmap& source, const QColor& color)
{
    if (source.isNull() || !color.isValid())
        return source;
    QPixmap result = source;
    QPainter painter(&result);
    painter.setCompositionMode(QPainter::CompositionMode_SourceIn);
    painter.fillRect(result.rect(), color);
    return result;
}

} // namespace

QPainterPath markPath(MarkKind kind, qreal s)
{
    QPainterPath path;
    if (kind == MarkKind::checkmark) {
        path.moveTo(0, s * 0.5);
        path.lineTo(s / 2.5, s);
        path.lineTo(s, 0);
    } else {
        path.moveTo(0, 0);
        path.lineTo(s, s);
        path.moveTo(s, 0);
        path.lineTo(0, s);
    }
    return path;
}

QPainterPath trimmedPath(const QPainterPath& path, qreal percentage)
{
    // Marks are straight strokes: walk the segments and stop part-way.
    double total = 0;
    for (int i = 1; i < path.elementCount(); ++i)
        if (path.elementAt(i).isLineTo())
            total += QLineF(path.elementAt(i - 1), path.elementAt(i)).length();
    double left = total * qBound<qreal>(0, percentage, 1);
    QPainterPath trimmed;
    for (int i = 0; i < path.elementCount() && left > 0; ++i) {
        const QPainterPath::Element e = path.elementAt(i);
        if (e.isMoveTo()) {
            trimmed.moveTo(e);
            continue;
        }
        const QLineF segment(path.elementAt(i - 1), e);
        if (segment.length() <= left) {
            trimmed.lineTo(e);
            left -= segment.length();
        } else {
            trimmed.lineTo(segment.pointAt(left / segment.length()));
            left = 0;
        }
    }
    return trimmed;
}

int markStrokeWidth(int size)
{
    return size / 8;
}

QEasingCurve springCurve()
{
    QEasingCurve curve;
    curve.setCustomType(&springEasing);
    return curve;
}

int springDurationMs()
{
    return qRound(kSpringSeconds * 1000);
}

AnimatedMark::AnimatedMark(MarkKind kind, const QColor& color, int size, QWidget* parent)
    : QWidget(parent)
    , m_kind(kind)
    , m_color(color)
    , m_size(size)
{
    setObjectName(QStringLiteral("leading"));
    setFixedSize(size, size);
}

AnimatedMark::~AnimatedMark()
{
    if (m_animation)
        m_animation->stop();
}

void AnimatedMark::setPercentage(qreal percentage)
{
    m_percentage = percentage;
    update();
}

void AnimatedMark::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    QPen pen(m_color, strokeWidth(), Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
    pen.setMiterLimit(10);
    painter.setPen(pen);
    painter.drawPath(trimmedPath(markPath(m_kind, m_size), m_percentage));
}

void AnimatedMark::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    // Drawn anew from nothing each time it comes on screen, a quarter second
    // in, at three quarters of the spring's speed.
    if (m_animation)
        m_animation->stop();
    setPercentage(0);
    auto* group = new QSequentialAnimationGroup(this);
    group->addPause(250);
    auto* stroke = new QVariantAnimation(group);
    stroke->setStartValue(0.0);
    stroke->setEndValue(1.0);
    stroke->setDuration(qRound(springDurationMs() / 0.75));
    stroke->setEasingCurve(springCurve());
    connect(stroke, &QVariantAnimation::valueChanged, this,
        [this](const QVariant& value) { setPercentage(value.toReal()); });
    group->addAnimation(stroke);
    m_animation = group;
    group->start(QAbstractAnimation::DeleteWhenStopped);
}

void AnimatedMark::hideEvent(QHideEvent* event)
{
    QWidget::hideEvent(event);
    if (m_animation)
        m_animation->stop();
}

ActivityIndicator::ActivityIndicator(QWidget* parent)
    : QWidget(parent)
    , m_timer(new QTimer(this))
{
    setObjectName(QStringLiteral("leading"));
    setFixedSize(sizeHint());
    m_timer->setInterval(80);
    connect(m_timer, &QTimer::timeout, this, [this] {
        m_step = (m_step + 1) % 12;
        update();
    });
}

bool ActivityIndicator::isSpinning() const
{
    return m_timer->isActive();
}

void ActivityIndicator::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.translate(width() / 2.0, height() / 2.0);
    const qreal radius = qMin(width(), height()) / 2.0;
    QColor colour = palette().color(QPalette::WindowText);
    for (int i = 0; i < 12; ++i) {
        // The spoke at the current step is darkest; the others fade behind it.
        colour.setAlphaF(0.15 + 0.85 * ((i - m_step + 12) % 12) / 11.0);
        painter.setPen(QPen(colour, radius / 5, Qt::SolidLine, Qt::RoundCap));
        painter.drawLine(QPointF(0, -radius * 0.45), QPointF(0, -radius * 0.9));
        painter.rotate(30);
    }
}

void ActivityIndicator::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    m_timer->start();
}

void ActivityIndicator::hideEvent(QHideEvent* event)
{
    QWidget::hideEvent(event);
    m_timer->stop();
}

QColor BlurView::fill(const QPalette& palette)
{
    // A frosted panel a step apart from the window it lies on: near white
    // over a light theme, near black over a dark one.
    const bool light = palette.color(QPalette::Window).lightness() >= 128;
    return light ? QColor(250, 250, 250, 230) : QColor(30, 30, 30, 230);
}

void BlurView::paint(QPainter& painter, const QPainterPath& shape, const QPalette& palette)
{
    painter.fillPath(shape, fill(palette));
}

IconView::IconView(QPixmap pixmap, const QColor& color, bool asTemplate, QSize natural, QWidget* parent)
    : QWidget(parent)
    , m_pixmap(std::move(pixmap))
    , m_color(color)
    , m_template(asTemplate)
    , m_natural(natural)
{
    setObjectName(QStringLiteral("leading"));
}

IconView::IconView(MarkKind kind, const QColor& color, QSize natural, QWidget* parent)
    : QWidget(parent)
    , m_mark(kind)
    , m_color(color)
    , m_natural(natural)
{
    setObjectName(QStringLiteral("leading"));
}

void IconView::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setRenderHints(QPainter::Antialiasing | QPainter::SmoothPixmapTransform);
    const int side = qMin(width(), height());
    const QRect box((width() - side) / 2, (height() - side) / 2, side, side);
    if (m_mark) {
        const int stroke = qMax(1, markStrokeWidth(side));
        const qreal inner = side - stroke;
        painter.translate(box.topLeft() + QPointF(stroke / 2.0, stroke / 2.0));
        painter.setPen(QPen(m_color, stroke, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        painter.drawPath(markPath(*m_mark, inner));
        return;
    }
    if (m_pixmap.isNull())
        return;
    const QSize fitted = m_pixmap.size().scaled(size(), Qt::KeepAspectRatio);
    const QRect target(QPoint((width() - fitted.width()) / 2, (height() - fitted.height()) / 2), fitted);
    painter.drawPixmap(target, m_template ? tinted(m_pixmap, m_color) : m_pixmap);
}

QPixmap toastIconPixmap(const ToastOverlay::AlertType& type, int extent)
{
    if (type.kind == ToastOverlay::AlertType::Kind::systemImage)
        return QIcon::fromTheme(type.name).pixmap(extent, extent);
    if (type.kind == ToastOverlay::AlertType::Kind::image)
        return QPixmap(type.name);
    return {};
}

ToastCard::ToastCard(const ToastOverlay& toast, QWidget* parent)
    : QWidget(parent)
    , m_toast(toast)
{
    setObjectName(QStringLiteral("toastCard"));
    switch (toast.displayMode.kind) {
    case ToastOverlay::DisplayMode::Kind::alert:
        buildAlert();
        break;
    case ToastOverlay::DisplayMode::Kind::hud:
        buildHud();
        break;
    case ToastOverlay::DisplayMode::Kind::banner:
        buildBanner();
        break;
    }
}

QWidget* ToastCard::textBlock(int spacing, Qt::Alignment alignment, bool bannerColours)
{
    using Kind = ToastOverlay::DisplayMode::Kind;
    const bool banner = m_toast.displayMode.kind == Kind::banner;
    const ToastOverlay::AlertStyle style = m_toast.style.value_or(ToastOverlay::AlertStyle {});
    auto* block = new QWidget;
    auto* column = new QVBoxLayout(block);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(spacing);
    const bool wrap = m_toast.displayMode.kind == Kind::alert && maximumWidth() == maxAlertExtent;
    if (m_toast.title && !banner) {
        column->addWidget(textLabel(*m_toast.title, style.titleFont.value_or(scaledFont(font(), 1.0, true)),
            style.titleColor, 1.0, alignment, wrap, "title"));
    }
    if (m_toast.subTitle) {
        const QFont fallback = scaledFont(font(), banner ? 0.95 : 0.85, false);
        column->addWidget(textLabel(*m_toast.subTitle, style.subTitleFont.value_or(fallback),
            bannerColours ? style.titleColor : style.subTitleColor, banner ? 1.0 : 0.7, alignment, wrap,
            "subTitle"));
    }
    return block;
}

void ToastCard::buildAlert()
{
    using Kind = ToastOverlay::AlertType::Kind;
    const ToastOverlay::AlertType& type = m_toast.type;
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(padding, padding, padding, padding);
    const bool framed = type.kind != Kind::loading && type.kind != Kind::regular;
    if (framed)
        setMaximumSize(maxAlertExtent, maxAlertExtent);
    switch (type.kind) {
    case Kind::complete:
    case Kind::error: {
        QWidget* mark = type.kind == Kind::complete
            ? static_cast<QWidget*>(new AnimatedCheckmark(type.color, 50))
            : new AnimatedXmark(type.color, 50);
        column->addStretch();
        column->addWidget(mark, 0, Qt::AlignHCenter);
        column->addStretch();
        break;
    }
    case Kind::systemImage:
    case Kind::image: {
        auto* icon = new IconView(
            toastIconPixmap(type, 64), type.color, type.kind == Kind::systemImage, QSize(64, 64));
        icon->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
        column->addStretch();
        column->addWidget(icon);
        column->addSpacing(padding / 2);
        column->addStretch();
        break;
    }
    case Kind::loading:
        column->addWidget(new ActivityIndicator, 0, Qt::AlignHCenter);
        break;
    case Kind::regular:
        break;
    }
    column->addWidget(textBlock(type.kind == Kind::regular ? 8 : 2, Qt::AlignHCenter, false));
}

void ToastCard::buildHud()
{
    using Kind = ToastOverlay::AlertType::Kind;
    const ToastOverlay::AlertType& type = m_toast.type;
    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(24, 8, 24, 8);
    row->setSpacing(16);
    setMinimumHeight(50);
    const QSize iconBox(20, 20);
    QWidget* leading = nullptr;
    if (type.kind == Kind::complete || type.kind == Kind::error)
        leading = new IconView(
            type.kind == Kind::complete ? MarkKind::checkmark : MarkKind::xmark, type.color, iconBox);
    else if (type.kind == Kind::systemImage || type.kind == Kind::image)
        leading = new IconView(toastIconPixmap(type, 20), type.color, true, iconBox);
    else if (type.kind == Kind::loading)
        leading = new ActivityIndicator;
    if (leading) {
        leading->setMaximumSize(iconBox.expandedTo(leading->sizeHint().boundedTo(QSize(32, 32))));
        if (type.kind != Kind::loading)
            leading->setFixedSize(iconBox);
        row->addWidget(leading, 0, Qt::AlignVCenter);
    }
    if (m_toast.title || m_toast.subTitle)
        row->addWidget(textBlock(2, type.kind == Kind::regular ? Qt::AlignHCenter : Qt::AlignLeft, false));
}

void ToastCard::buildBanner()
{
    using Kind = ToastOverlay::AlertType::Kind;
    const ToastOverlay::AlertType& type = m_toast.type;
    const ToastOverlay::AlertStyle style = m_toast.style.value_or(ToastOverlay::AlertStyle {});
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(padding, padding, padding, padding);
    column->setSpacing(10);
    auto* row = new QHBoxLayout;
    QWidget* leading = nullptr;
    // The icons keep their natural size here.
    const int natural = fontMetrics().height();
    if (type.kind == Kind::complete || type.kind == Kind::error)
        leading = new IconView(type.kind == Kind::complete ? MarkKind::checkmark : MarkKind::xmark,
            type.color, QSize(natural, natural));
    else if (type.kind == Kind::systemImage || type.kind == Kind::image) {
        const QPixmap pixmap = toastIconPixmap(type, natural);
        leading = new IconView(pixmap, type.color, true, pixmap.isNull() ? QSize() : pixmap.size());
    } else if (type.kind == Kind::loading)
        leading = new ActivityIndicator;
    if (leading && leading->sizeHint().isValid()) {
        leading->setFixedSize(leading->sizeHint());
        row->addWidget(leading, 0, Qt::AlignVCenter);
    } else {
        delete leading;
    }
    row->addWidget(
        textLabel(m_toast.title.value_or(QString()), style.titleFont.value_or(scaledFont(font(), 1.1, true)),
            style.titleColor, 1.0, Qt::AlignLeft, false, "title"),
        1);
    column->addLayout(row);
    if (m_toast.subTitle)
        column->addWidget(textBlock(0, Qt::AlignLeft, true));
    // Its ideal width, up to 400: lines wrap only when they would not fit.
    if (sizeHint().width() > maxBannerWidth) {
        for (QLabel* label : findChildren<QLabel*>())
            label->setWordWrap(true);
        setFixedWidth(maxBannerWidth);
    }
    setMaximumWidth(maxBannerWidth);
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Preferred);
}

QPainterPath ToastCard::shape() const
{
    QPainterPath path;
    const QRectF r = rect();
    const qreal radius
        = m_toast.displayMode.kind == ToastOverlay::DisplayMode::Kind::hud ? r.height() / 2 : 10;
    path.addRoundedRect(r, radius, radius);
    return path;
}

QColor ToastCard::backgroundColor() const
{
    const std::optional<QColor> background = m_toast.style ? m_toast.style->backgroundColor : std::nullopt;
    return background ? *background : BlurView::fill(palette());
}

void ToastCard::preparePicture()
{
    const qreal ratio = devicePixelRatioF();
    const QSize pixels = (QSizeF(size()) * ratio).toSize();
    const QColor color = backgroundColor();
    if (!m_picture.isNull() && m_picture.size() == pixels && m_picture.devicePixelRatio() == ratio
        && m_pictureColor == color)
        return;
    // The rounded shape is filled with antialiasing once, here: a fill of
    // that many edge spans is handed to Qt's thread pool, which woke several
    // threads at every paint of the card. Its paints copy the picture.
    m_picture = QImage(pixels, QImage::Format_ARGB32_Premultiplied);
    m_picture.setDevicePixelRatio(ratio);
    m_picture.fill(Qt::transparent);
    m_pictureColor = color;
    QPainter painter(&m_picture);
    painter.setRenderHint(QPainter::Antialiasing);
    const QPainterPath outline = shape();
    painter.fillPath(outline, color);
    if (m_toast.displayMode.kind == ToastOverlay::DisplayMode::Kind::hud) {
        QColor gray(Qt::gray);
        gray.setAlphaF(0.2);
        painter.strokePath(outline, QPen(gray, 1));
    }
}

void ToastCard::paintEvent(QPaintEvent*)
{
    preparePicture();
    QPainter painter(this);
    painter.drawImage(QPoint(0, 0), m_picture);
}

void ToastCard::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()))
        emit tapped();
}
