#include "platform/WindowSizes.h"

#include <algorithm>

namespace platform {

namespace {

    // Qt's own limits: "no maximum", and what an X11 size field holds.
    constexpr int kNoMaximum = (1 << 24) - 1;
    constexpr int kXCoordMax = 32767;

    // QHighDpi::toNativePixels for a size: each side times the factor,
    // rounded as qRound rounds (half away from zero, -1.5 to -2).
    QSize scaled(QSize size, qreal factor)
    {
        return size * factor;
    }

    QString text(QSize size)
    {
        return QStringLiteral("%1 by %2").arg(size.width()).arg(size.height());
    }

} // namespace

QSize readableBaseSize(const SizeConstraints& constraints)
{
    QSize base = constraints.base;
    if (base.width() < 0)
        base.setWidth(std::max(0, constraints.minimum.width()));
    if (base.height() < 0)
        base.setHeight(std::max(0, constraints.minimum.height()));
    return base;
}

NormalSizeHints writtenSizeHints(const SizeConstraints& constraints, WindowScaling scaling)
{
    const qreal factor = scaling.active ? scaling.factor : 1.0;
    NormalSizeHints hints;
    const QSize minimum = scaled(constraints.minimum, factor);
    if (minimum.width() > 0 || minimum.height() > 0)
        hints.minimum = QSize(std::min(kXCoordMax, minimum.width()), std::min(kXCoordMax, minimum.height()));
    const QSize maximum = scaled(constraints.maximum, factor);
    if (maximum.width() < kNoMaximum || maximum.height() < kNoMaximum)
        hints.maximum = QSize(std::min(kXCoordMax, maximum.width()), std::min(kXCoordMax, maximum.height()));
    // Scaled, an unset increment counts as 1 by 1: Qt writes one whenever
    // it scales.
    QSize increment = constraints.increment;
    if (scaling.active) {
        if (increment.isEmpty())
            increment = QSize(1, 1);
        increment = scaled(increment, factor);
    }
    if (increment.width() > 0 || increment.height() > 0) {
        hints.base = scaled(constraints.base, factor);
        hints.increment = increment;
    }
    return hints;
}

QStringList misreadableSizeHints(const NormalSizeHints& hints, bool fixedSize)
{
    QStringList faults;
    const auto negative = [&faults](const std::optional<QSize>& field, const char* name) {
        if (field && (field->width() < 0 || field->height() < 0))
            faults << QStringLiteral("a negative %1 size: %2").arg(QLatin1String(name), text(*field));
    };
    negative(hints.minimum, "minimum");
    negative(hints.maximum, "maximum");
    negative(hints.base, "base");
    if (hints.increment && (hints.increment->width() < 0 || hints.increment->height() < 0))
        faults << QStringLiteral("a negative increment: ") + text(*hints.increment);
    if (hints.minimum && hints.maximum
        && (hints.minimum->width() > hints.maximum->width()
            || hints.minimum->height() > hints.maximum->height()))
        faults << QStringLiteral("a minimum of %1 above the maximum of %2")
                      .arg(text(*hints.minimum), text(*hints.maximum));
    if (!fixedSize)
        return faults;
    if (!hints.minimum || !hints.maximum || *hints.minimum != *hints.maximum) {
        faults << QStringLiteral("a window of fixed size with minimum %1 and maximum %2")
                      .arg(hints.minimum ? text(*hints.minimum) : QStringLiteral("none"),
                          hints.maximum ? text(*hints.maximum) : QStringLiteral("none"));
        return faults;
    }
    // ICCCM: the sizes a window may take are base + i * increment; without
    // a base the minimum serves as one.
    if (hints.increment) {
        const QSize size = *hints.minimum;
        const QSize base = hints.base.value_or(size);
        const auto reached = [](int size, int base, int step) {
            return step <= 0 || (size >= base && (size - base) % step == 0);
        };
        if (!reached(size.width(), base.width(), hints.increment->width())
            || !reached(size.height(), base.height(), hints.increment->height()))
            faults << QStringLiteral("a window of fixed size %1 that base %2 and increment %3 never reach")
                          .arg(text(size), text(base), text(*hints.increment));
    }
    return faults;
}

GivenSize judgeGivenSize(QSize given, QSize meant, QSize screens, int askedBack)
{
    if (given == meant || screens.isEmpty())
        return GivenSize::taken;
    if (given.width() <= screens.width() && given.height() <= screens.height())
        return GivenSize::taken;
    return askedBack < kAskBackLimit ? GivenSize::refusedAndAskedBack : GivenSize::refused;
}

} // namespace platform
