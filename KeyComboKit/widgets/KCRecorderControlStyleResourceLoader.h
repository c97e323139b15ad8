#pragma once

// Reads a recorder style's resources: the "<id>-info" JSON (the variants
// that have images, and the metrics), the resource-name prefixes that suit
// given components, best first, and the images found through them. One
// shared loader caches all three; bad resources are packaging errors and
// throw KCInternalInconsistencyException, caching nothing.
#include "KeyComboKit/widgets/KCRecorderControlStyleComponents.h"

#include <QColor>
#include <QFont>
#include <QHash>
#include <QImage>
#include <QMarginsF>
#include <QRecursiveMutex>
#include <QSizeF>

#include <memory>

struct KCLabelAttributes {
    QFont font;
    QColor color;
    // Width of "…" in the font: a label narrower than this is not drawn.
    qreal minimalDrawableWidth = 0;
};

struct KCRecorderControlStyleMetrics {
    QSizeF minSize;
    qreal labelToCancel = 0;
    qreal cancelToClear = 0;
    qreal buttonToAlignment = 0;
    qreal baselineFromTop = 0;
    qreal alignmentToLabel = 0;
    qreal labelToAlignment = 0;
    qreal baselineLayoutOffsetFromBottom = 0;
    qreal baselineDrawingOffsetFromBottom = 0;
    QSizeF focusRingCornerRadius;
    QMarginsF focusRingInsets;
    QMarginsF alignmentInsets;
    KCLabelAttributes normalLabelAttributes;
    KCLabelAttributes recordingLabelAttributes;
    KCLabelAttributes disabledLabelAttributes;
};

struct KCRecorderControlStyleInfo {
    // The file's variants in file order, then the unspecified one, so the
    // bare identifier is always a candidate.
    QList<KCRecorderControlStyleComponents> supportedComponents;
    KCRecorderControlStyleMetrics metrics;
};

class KCRecorderControlStyleResourceLoader final {
public:
    static KCRecorderControlStyleResourceLoader& shared();

    // Where the application's own "data/<name>.json" and
    // "images/<name>.png" are looked for after the kit's bundle.
    static void setApplicationResourceFolder(const QString& folder);

    std::shared_ptr<const KCRecorderControlStyleInfo> info(const QString& identifier);
    QStringList lookupPrefixes(const QString& identifier, const KCRecorderControlStyleComponents& components);
    QImage imageNamed(
        const QString& name, const QString& identifier, const KCRecorderControlStyleComponents& components);
    // Whether the cached image of that request came from the kit's bundle;
    // nullopt when nothing is cached for it.
    std::optional<bool> cachedImageIsFromBundle(const QString& name, const QString& identifier,
        const KCRecorderControlStyleComponents& components) const;

    void clearCache();

private:
    mutable QRecursiveMutex m_lock;
    QHash<QString, std::shared_ptr<const KCRecorderControlStyleInfo>> m_info;
    QHash<QString, QStringList> m_prefixes;
    QHash<QString, std::pair<QString, bool>> m_images;
};
