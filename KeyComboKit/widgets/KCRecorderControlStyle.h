#pragma once

// The recorder control's look and layout from resources: the images of the
// variant that best suits the present appearance, the metrics, and seven
// guide rectangles worked out from four sets of constraints. Qt has no
// constraint solver; the constraints are data (their constants change with
// the metrics and images) and one formula for this fixed graph turns the
// active sets into rectangles.
#include "KeyComboKit/widgets/KCRecorderControlStyleResourceLoader.h"

#include <QPointer>
#include <QRectF>

#include <memory>
#include <optional>

class QWidget;

struct KCStyleConstraint {
    QString identifier;
    qreal constant = 0;
    int priority = 1000;
};
using KCStyleConstraintRef = std::shared_ptr<KCStyleConstraint>;

struct KCStyleGuides {
    QRectF alignment, background, label, cancelButtonDrawing, clearButtonDrawing, cancelButtonLayout,
        clearButtonLayout;
};

// Subclasses may offer the texts the control otherwise takes from the
// kit's strings, and must override copy().
class KCRecorderControlStyle {
public:
    enum class ConstraintSet { displaying, recordingWithNoValue, recordingWithValue };
    enum Image {
        bezelNormalLeft,
        bezelNormalCenter,
        bezelNormalRight,
        bezelPressedLeft,
        bezelPressedCenter,
        bezelPressedRight,
        bezelRecordingLeft,
        bezelRecordingCenter,
        bezelRecordingRight,
        bezelDisabledLeft,
        bezelDisabledCenter,
        bezelDisabledRight,
        cancelButton,
        cancelButtonPressed,
        clearButton,
        clearButtonPressed,
        imageCount
    };
    static const char* const imageNames[imageCount];

    explicit KCRecorderControlStyle(const QString& identifier = QStringLiteral("kc-mojave"),
        const KCRecorderControlStyleComponents& preferred = {});
    virtual ~KCRecorderControlStyle();
    KCRecorderControlStyle(const KCRecorderControlStyle&) = delete;
    KCRecorderControlStyle& operator=(const KCRecorderControlStyle&) = delete;

    // A new, unattached style of the same kind with the same identifier and
    // preferred components: a control installs its own copy.
    virtual std::unique_ptr<KCRecorderControlStyle> copy() const;

    QString identifier() const { return m_identifier; }
    KCRecorderControlStyleComponents preferredComponents() const { return m_preferred; }
    KCRecorderControlStyleComponents effectiveComponents() const { return m_effective; }

    // Throws KCAssertionFailure when already attached; resource errors of
    // the first appearance update pass through.
    void prepareForRecorderControl(QWidget* control);
    // Throws KCAssertionFailure when not attached.
    void prepareForRemoval();
    QWidget* recorderControl() const { return m_control; }

    // Recomputes the effective components; images and button sizes only
    // when the variant changes, metrics only on the first update after
    // attaching.
    void recorderControlAppearanceDidChange();

    QImage image(Image which) const { return m_images[which]; }
    const KCRecorderControlStyleMetrics& metrics() const { return m_metrics; }
    // Invalid (-1 × -1) until the first appearance update.
    QSizeF intrinsicContentSize() const { return m_intrinsicContentSize; }
    QStringList currentLookupPrefixes() const { return m_currentLookupPrefixes; }

    const QList<KCStyleConstraintRef>& alwaysConstraints() const { return m_always; }
    const QList<KCStyleConstraintRef>& displayingConstraints() const { return m_displaying; }
    const QList<KCStyleConstraintRef>& recordingWithNoValueConstraints() const { return m_recordingNoValue; }
    const QList<KCStyleConstraintRef>& recordingWithValueConstraints() const { return m_recordingValue; }

    // The guides for the control's bounds, the active set and the label's
    // width; leading and trailing follow the direction.
    KCStyleGuides guides(
        const QRectF& bounds, ConstraintSet set, qreal labelWidth, Qt::LayoutDirection direction) const;

    // The label with no value, idle and recording; the localized "Record
    // Shortcut" and "Press keys now" here.
    virtual QString noValueNormalLabel() const;
    virtual QString noValueRecordingLabel() const;
    // Tooltips of the control and its two buttons; this style offers none
    // (nullopt), and the control uses its own texts.
    virtual std::optional<QString> normalTooltip() const { return std::nullopt; }
    virtual std::optional<QString> recordingTooltip() const { return std::nullopt; }
    virtual std::optional<QString> cancelButtonTooltip() const { return std::nullopt; }
    virtual std::optional<QString> clearButtonTooltip() const { return std::nullopt; }

private:
    void addConstraints();
    KCStyleConstraintRef constraint(const QString& identifier) const;

    QString m_identifier;
    KCRecorderControlStyleComponents m_preferred;
    KCRecorderControlStyleComponents m_effective;
    QPointer<QWidget> m_control;
    bool m_attached = false;
    QStringList m_currentLookupPrefixes;
    bool m_haveLookupPrefixes = false;
    QImage m_images[imageCount];
    KCRecorderControlStyleMetrics m_metrics;
    QSizeF m_intrinsicContentSize { -1, -1 };
    QList<KCStyleConstraintRef> m_always, m_displaying, m_recordingNoValue, m_recordingValue;
};
