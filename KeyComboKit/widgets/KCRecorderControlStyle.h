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

class KCRecorderControlStyle final {
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

    QString noValueNormalLabel() const;
    QString noValueRecordingLabel() const;

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
