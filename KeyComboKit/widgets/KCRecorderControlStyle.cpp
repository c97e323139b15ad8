#include "KeyComboKit/widgets/KCRecorderControlStyle.h"

#include <QFontMetricsF>
#include <QWidget>

#include <cmath>

const char* const KCRecorderControlStyle::imageNames[imageCount] = {
    "bezel-normal-left",
    "bezel-normal-center",
    "bezel-normal-right",
    "bezel-pressed-left",
    "bezel-pressed-center",
    "bezel-pressed-right",
    "bezel-recording-left",
    "bezel-recording-center",
    "bezel-recording-right",
    "bezel-disabled-left",
    "bezel-disabled-center",
    "bezel-disabled-right",
    "button-cancel-normal",
    "button-cancel-pressed",
    "button-clear-normal",
    "button-clear-pressed",
};

namespace {

[[noreturn]] void fail(const QString& description)
{
    throw KCAssertionFailure(description, "KCRecorderControlStyle", __LINE__);
}

KCStyleConstraintRef make(const char* identifier, int priority = 1000)
{
    return std::make_shared<KCStyleConstraint>(
        KCStyleConstraint { QString::fromLatin1(identifier), 0, priority });
}

// Rows whose constants the metrics and images set, by their identifiers.
const QString backgroundTop = QStringLiteral("KC_backgroundDrawingGuide_topToAlignment");
const QString backgroundLeft = QStringLiteral("KC_backgroundDrawingGuide_leftToAlignment");
const QString backgroundBottom = QStringLiteral("KC_backgroundDrawingGuide_bottomToAlignment");
const QString backgroundRight = QStringLiteral("KC_backgroundDrawingGuide_rightToAlignment");
const QString alignmentToLabel = QStringLiteral("KC_labelDrawingGuide_leadingToAlignment");
const QString labelToAlignment = QStringLiteral("KC_labelDrawingGuide_trailingToAlignment");
const QString labelToCancel = QStringLiteral("KC_labelDrawingGuide_trailingToCancel");
const QString cancelToAlignment = QStringLiteral("KC_cancelButtonDrawingGuide_trailingToAlignment");
const QString cancelWidth = QStringLiteral("KC_cancelButtonDrawingGuide_width");
const QString cancelHeight = QStringLiteral("KC_cancelButtonDrawingGuide_height");
const QString cancelToClear = QStringLiteral("KC_cancelButtonDrawingGuide_trailingToClear");
const QString clearToAlignment = QStringLiteral("KC_clearButtonDrawingGuide_trailingToAlignment");
const QString clearWidth = QStringLiteral("KC_clearButtonDrawingGuide_width");
const QString clearHeight = QStringLiteral("KC_clearButtonDrawingGuide_height");

QRectF mirrored(const QRectF& r, const QRectF& within)
{
    if (r.isNull())
        return r;
    return QRectF(within.left() + within.right() - r.right(), r.top(), r.width(), r.height());
}

} // namespace

KCRecorderControlStyle::KCRecorderControlStyle(
    const QString& identifier, const KCRecorderControlStyleComponents& preferred)
    : m_identifier(identifier)
    , m_preferred(preferred)
    , m_effective(KCRecorderControlStyleComponents::currentComponents())
{
}

KCRecorderControlStyle::~KCRecorderControlStyle() = default;

std::unique_ptr<KCRecorderControlStyle> KCRecorderControlStyle::copy() const
{
    return std::make_unique<KCRecorderControlStyle>(m_identifier, m_preferred);
}

QString KCRecorderControlStyle::noValueNormalLabel() const
{
    return KCLocalizedString(QStringLiteral("Record Shortcut"));
}

QString KCRecorderControlStyle::noValueRecordingLabel() const
{
    return KCLocalizedString(QStringLiteral("Press keys now"));
}

void KCRecorderControlStyle::prepareForRecorderControl(QWidget* control)
{
    if (m_attached)
        fail(QStringLiteral("Style was not removed properly."));
    m_control = control;
    m_attached = control != nullptr;
    if (!control)
        return;
    addConstraints();
    recorderControlAppearanceDidChange();
    control->update();
}

void KCRecorderControlStyle::prepareForRemoval()
{
    if (!m_attached)
        fail(QStringLiteral("Style was not applied properly."));
    m_always.clear();
    m_displaying.clear();
    m_recordingNoValue.clear();
    m_recordingValue.clear();
    m_control = nullptr;
    m_attached = false;
    // A re-attached style builds new constraints: forgetting the variant
    // makes the next update give them their gaps and button sizes again.
    m_currentLookupPrefixes.clear();
    m_haveLookupPrefixes = false;
}

void KCRecorderControlStyle::addConstraints()
{
    m_always = {
        make("KC_alignmentGuide_topToView"),
        make("KC_alignmentGuide_leftToView"),
        make("KC_alignmentGuide_rightToView"),
        make("KC_alignmentGuide_bottomToView", 750),
        make("KC_backgroundDrawingGuide_topToAlignment"),
        make("KC_backgroundDrawingGuide_leftToAlignment"),
        make("KC_backgroundDrawingGuide_bottomToAlignment"),
        make("KC_backgroundDrawingGuide_rightToAlignment"),
        make("KC_labelDrawingGuide_topToAlignment"),
        make("KC_labelDrawingGuide_leadingToAlignment"),
        make("KC_labelDrawingGuide_bottomToAlignment"),
        make("KC_labelDrawingGuide_centerXToAlignment", 749),
    };
    m_displaying = { make("KC_labelDrawingGuide_trailingToAlignment") };
    const auto row14 = make("KC_labelDrawingGuide_trailingToCancel");
    const auto row17 = make("KC_cancelButtonDrawingGuide_width");
    const auto row18 = make("KC_cancelButtonDrawingGuide_height");
    m_recordingNoValue = {
        row14,
        make("KC_cancelButtonDrawingGuide_trailingToAlignment"),
        make("KC_cancelButtonDrawingGuide_centerYAlignment"),
        row17,
        row18,
        make("KC_cancelButtonLayoutGuide_topToAlignment"),
        make("KC_cancelButtonLayoutGuide_leadingToDrawing"),
        make("KC_cancelButtonLayoutGuide_bottomToAlignment"),
        make("KC_cancelButtonLayoutGuide_trailingToAlignment"),
    };
    m_recordingValue = {
        row14,
        make("KC_cancelButtonDrawingGuide_centerYToAlignment"),
        make("KC_cancelButtonDrawingGuide_trailingToClear"),
        row17,
        row18,
        make("KC_clearButtonDrawingGuide_centerYToAlignment"),
        make("KC_clearButtonDrawingGuide_trailingToAlignment"),
        make("KC_clearButtonDrawingGuide_width"),
        make("KC_clearButtonDrawingGuide_height"),
        make("KC_cancelButtonLayoutGuide_topToAlignment"),
        make("KC_cancelButtonLayoutGuide_leadingToDrawing"),
        make("KC_cancelButtonLayoutGuide_bottomToAlignment"),
        make("KC_cancelButtonLayoutGuide_trailingToDrawing"),
        make("KC_clearButtonLayoutGuide_topToAlignment"),
        make("KC_clearButtonLayoutGuide_leadingToDrawing"),
        make("KC_clearButtonLayoutGuide_bottomToAlignment"),
        make("KC_clearButtonLayoutGuide_trailingToAlignment"),
    };
    if (m_control)
        m_control->updateGeometry();
}

KCStyleConstraintRef KCRecorderControlStyle::constraint(const QString& identifier) const
{
    for (const auto* set : { &m_always, &m_displaying, &m_recordingNoValue, &m_recordingValue })
        for (const auto& c : *set)
            if (c->identifier == identifier)
                return c;
    // Before attaching there are no constraints; a detached stand-in keeps
    // callers simple.
    return std::make_shared<KCStyleConstraint>();
}

void KCRecorderControlStyle::recorderControlAppearanceDidChange()
{
    using C = KCRecorderControlStyleComponents;
    if (m_preferred.isSpecified()) {
        m_effective = m_preferred;
    } else {
        const C current = C::currentComponents(m_control);
        const auto pick = [](quint64 preferred, quint64 present) {
            return preferred ? preferred : (present ? present : 1);
        };
        m_effective = C(pick(m_preferred.appearance(), current.appearance()),
            pick(m_preferred.accessibility(), current.accessibility()),
            pick(m_preferred.layoutDirection(), current.layoutDirection()),
            pick(m_preferred.tint(), current.tint()));
    }

    auto& loader = KCRecorderControlStyleResourceLoader::shared();
    const QStringList prefixes = loader.lookupPrefixes(m_identifier, m_effective);
    if (m_haveLookupPrefixes && prefixes == m_currentLookupPrefixes)
        return;

    for (int i = 0; i < imageCount; ++i) {
        const QString name = QString::fromLatin1(imageNames[i]);
        const QImage image = loader.imageNamed(name, m_identifier, m_effective);
        if (image.isNull())
            fail(QStringLiteral("Missing image for %1!").arg(name));
        if (image == m_images[i])
            continue;
        m_images[i] = image;
        if (m_control)
            m_control->update();
    }
    const auto pointSize
        = [](const QImage& image) { return QSizeF(image.size()) / image.devicePixelRatio(); };
    constraint(cancelWidth)->constant = pointSize(m_images[cancelButton]).width();
    constraint(cancelHeight)->constant = pointSize(m_images[cancelButton]).height();
    constraint(clearWidth)->constant = pointSize(m_images[clearButton]).width();
    constraint(clearHeight)->constant = pointSize(m_images[clearButton]).height();

    if (!m_haveLookupPrefixes) {
        m_metrics = loader.info(m_identifier)->metrics;
        const QMarginsF insets = m_metrics.alignmentInsets;
        constraint(backgroundTop)->constant = insets.top();
        constraint(backgroundLeft)->constant = insets.left();
        constraint(backgroundBottom)->constant = insets.bottom();
        constraint(backgroundRight)->constant = insets.right();
        constraint(alignmentToLabel)->constant = m_metrics.alignmentToLabel;
        constraint(labelToAlignment)->constant = m_metrics.labelToAlignment;
        constraint(labelToCancel)->constant = m_metrics.labelToCancel;
        constraint(cancelToAlignment)->constant = m_metrics.buttonToAlignment;
        constraint(clearToAlignment)->constant = m_metrics.buttonToAlignment;
        constraint(cancelToClear)->constant = m_metrics.cancelToClear;

        const auto width = [](const QString& text, const KCLabelAttributes& a) {
            return std::ceil(QFontMetricsF(a.font).horizontalAdvance(text));
        };
        const qreal label = std::max({ width(noValueNormalLabel(), m_metrics.normalLabelAttributes),
            width(noValueNormalLabel(), m_metrics.disabledLabelAttributes),
            width(noValueRecordingLabel(), m_metrics.recordingLabelAttributes) });
        const qreal trailing = std::max(constraint(labelToAlignment)->constant,
            constraint(labelToCancel)->constant + constraint(cancelWidth)->constant
                + constraint(cancelToClear)->constant + constraint(clearWidth)->constant
                + constraint(clearToAlignment)->constant);
        const qreal w = label + constraint(alignmentToLabel)->constant + trailing;
        m_intrinsicContentSize
            = QSizeF(std::max(w, std::max(0.0, m_metrics.minSize.width() - (insets.left() + insets.right()))),
                std::max(0.0, m_metrics.minSize.height() - (insets.top() + insets.bottom())));
        if (m_control) {
            m_control->updateGeometry();
            m_control->update();
        }
    }
    m_currentLookupPrefixes = prefixes;
    m_haveLookupPrefixes = true;
}

KCStyleGuides KCRecorderControlStyle::guides(
    const QRectF& bounds, ConstraintSet set, qreal labelWidth, Qt::LayoutDirection direction) const
{
    const auto c = [this](const QString& id) { return constraint(id)->constant; };
    KCStyleGuides g;
    const QRectF a = bounds;
    g.alignment = a;
    g.background = a.adjusted(-c(backgroundLeft), -c(backgroundTop), c(backgroundRight), c(backgroundBottom));

    const auto centredButton
        = [&](qreal right, qreal w, qreal h) { return QRectF(right - w, a.center().y() - h / 2, w, h); };
    qreal labelLimit = a.right() - c(labelToAlignment);
    if (set == ConstraintSet::recordingWithNoValue) {
        g.cancelButtonDrawing
            = centredButton(a.right() - c(cancelToAlignment), c(cancelWidth), c(cancelHeight));
        g.cancelButtonLayout = QRectF(QPointF(g.cancelButtonDrawing.left(), a.top()), a.bottomRight());
        labelLimit = g.cancelButtonDrawing.left() - c(labelToCancel);
    } else if (set == ConstraintSet::recordingWithValue) {
        g.clearButtonDrawing = centredButton(a.right() - c(clearToAlignment), c(clearWidth), c(clearHeight));
        g.cancelButtonDrawing
            = centredButton(g.clearButtonDrawing.left() - c(cancelToClear), c(cancelWidth), c(cancelHeight));
        g.cancelButtonLayout = QRectF(QPointF(g.cancelButtonDrawing.left(), a.top()),
            QPointF(g.cancelButtonDrawing.right(), a.bottom()));
        g.clearButtonLayout = QRectF(QPointF(g.clearButtonDrawing.left(), a.top()), a.bottomRight());
        labelLimit = g.cancelButtonDrawing.left() - c(labelToCancel);
    }
    // Centred when it fits (the centring is the weaker wish), else pushed
    // off the trailing limit, and never past the leading gap.
    const qreal leadingLimit = a.left() + c(alignmentToLabel);
    qreal left = std::max(a.center().x() - labelWidth / 2, leadingLimit);
    qreal right = left + labelWidth;
    if (right > labelLimit) {
        right = labelLimit;
        left = std::max(leadingLimit, right - labelWidth);
    }
    g.label = QRectF(QPointF(left, a.top()), QPointF(std::max(left, right), a.bottom()));

    if (direction == Qt::RightToLeft)
        for (QRectF* r : { &g.label, &g.cancelButtonDrawing, &g.clearButtonDrawing, &g.cancelButtonLayout,
                 &g.clearButtonLayout })
            *r = mirrored(*r, a);
    return g;
}
