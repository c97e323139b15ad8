#include "KeyComboKit/widgets/KCRecorderControlStyleComponents.h"

#include <QApplication>
#include <QPalette>
#include <QWidget>

#include <array>

const KCClass KCRecorderControlStyleComponents::kcClassInfo = { "KCRecorderControlStyleComponents", nullptr };

namespace {

bool& highContrastSetting()
{
    static bool on = false;
    return on;
}

[[noreturn]] void failAssertion(const char* description)
{
    throw KCAssertionFailure(QString::fromLatin1(description), "KCRecorderControlStyle", __LINE__);
}

// Ideal direction or tint first, then the other specified value, then
// unspecified; no preference without an ideal.
int compareOrdinal(quint64 a, quint64 b, quint64 ideal)
{
    if (ideal == 0)
        return 0;
    const auto rank = [ideal](quint64 v) { return v == ideal ? 0 : (v != 0 ? 1 : 2); };
    const int ra = rank(a);
    const int rb = rank(b);
    return ra < rb ? -1 : (ra > rb ? 1 : 0);
}

} // namespace

KCRecorderControlStyleComponents::KCRecorderControlStyleComponents(
    quint64 appearance, quint64 accessibility, quint64 layoutDirection, quint64 tint)
{
    if (appearance >= 5)
        failAssertion("anAppearance is outside of the allowed range.");
    if (tint >= 3)
        failAssertion("aTint is outside of the allowed range.");
    if (accessibility >= 4)
        failAssertion("anAccessibility is outside of the allowed range.");
    if (accessibility != accessibilityNone && (accessibility & accessibilityNone))
        failAssertion("None cannot be combined with other accessibility options.");
    if (layoutDirection >= 3)
        failAssertion("aDirection is outside of the allowed range.");
    m_appearance = appearance;
    m_accessibility = accessibility;
    m_layoutDirection = layoutDirection;
    m_tint = tint;
}

void KCRecorderControlStyleComponents::setPrefersHighContrast(bool on)
{
    if (highContrastSetting() == on)
        return;
    highContrastSetting() = on;
    emit KCAccessibilityDisplayOptions::shared().didChange();
}

KCAccessibilityDisplayOptions& KCAccessibilityDisplayOptions::shared()
{
    static KCAccessibilityDisplayOptions* options = new KCAccessibilityDisplayOptions;
    return *options;
}

bool KCRecorderControlStyleComponents::prefersHighContrast()
{
    return highContrastSetting();
}

KCRecorderControlStyleComponents KCRecorderControlStyleComponents::currentComponents(const QWidget* widget)
{
    const QPalette palette = widget ? widget->palette() : QApplication::palette();
    const QColor window = palette.color(QPalette::Window);
    const QColor text = palette.color(QPalette::WindowText);
    const quint64 appearance = window.lightness() < text.lightness() ? appearanceDarkAqua : appearanceAqua;
    const Qt::LayoutDirection direction
        = widget ? widget->layoutDirection() : QGuiApplication::layoutDirection();
    return KCRecorderControlStyleComponents(appearance,
        highContrastSetting() ? accessibilityHighContrast : accessibilityNone,
        direction == Qt::RightToLeft ? quint64(rightToLeft)
                                     : (direction == Qt::LeftToRight ? quint64(leftToRight) : 0),
        tintUnspecified);
}

QString KCRecorderControlStyleComponents::stringRepresentation() const
{
    static const char* const appearances[] = { "", "-aqua", "-vibrantlight", "-darkaqua", "-vibrantdark" };
    static const char* const accessibilities[] = { "", "", "-acc" };
    static const char* const directions[] = { "", "-ltr", "-rtl" };
    static const char* const tints[] = { "", "-blue", "-graphite" };
    if (m_appearance >= 5 || m_accessibility >= 3 || m_layoutDirection >= 3 || m_tint >= 3)
        failAssertion("Unexpected appearance.");
    return QString::fromLatin1(appearances[m_appearance])
        + QString::fromLatin1(accessibilities[m_accessibility])
        + QString::fromLatin1(directions[m_layoutDirection]) + QString::fromLatin1(tints[m_tint]);
}

bool KCRecorderControlStyleComponents::isEqualToComponents(
    const KCRecorderControlStyleComponents& other) const
{
    return m_appearance == other.m_appearance && m_accessibility == other.m_accessibility
        && m_layoutDirection == other.m_layoutDirection && m_tint == other.m_tint;
}

bool KCRecorderControlStyleComponents::isEqual(const KCObject* other) const
{
    return KC_isEqual<KCRecorderControlStyleComponents>(
        *this, other, &KCRecorderControlStyleComponents::isEqualToComponents, kcClassInfo);
}

int KCRecorderControlStyleComponents::compare(
    const KCRecorderControlStyleComponents& other, const KCRecorderControlStyleComponents& ideal) const
{
    if (m_appearance != other.m_appearance) {
        // Best first, per ideal appearance; unspecified always last.
        static const std::array<std::array<quint64, 5>, 5> preferences = { {
            { 0, 0, 0, 0, 0 },
            { 1, 2, 3, 4, 0 },
            { 2, 1, 4, 3, 0 },
            { 3, 4, 1, 2, 0 },
            { 4, 3, 2, 1, 0 },
        } };
        if (ideal.m_appearance == 0)
            return 0;
        const auto& list = preferences[ideal.m_appearance];
        const auto rank
            = [&](quint64 v) { return int(std::find(list.begin(), list.end(), v) - list.begin()); };
        return rank(m_appearance) < rank(other.m_appearance) ? -1 : 1;
    }
    if (m_accessibility != other.m_accessibility) {
        const int sharedA = qPopulationCount(m_accessibility & ideal.m_accessibility);
        const int sharedB = qPopulationCount(other.m_accessibility & ideal.m_accessibility);
        if (sharedA != sharedB)
            return sharedA > sharedB ? -1 : 1;
        const int outsideA = qPopulationCount(m_accessibility & ~ideal.m_accessibility);
        const int outsideB = qPopulationCount(other.m_accessibility & ~ideal.m_accessibility);
        return outsideA < outsideB ? -1 : (outsideA > outsideB ? 1 : 0);
    }
    if (m_layoutDirection != other.m_layoutDirection)
        return compareOrdinal(m_layoutDirection, other.m_layoutDirection, ideal.m_layoutDirection);
    if (m_tint != other.m_tint)
        return compareOrdinal(m_tint, other.m_tint, ideal.m_tint);
    return 0;
}

quint64 KCAppearanceComponentFromName(const QString& name)
{
    static const QList<std::pair<QString, quint64>> names = {
        { QStringLiteral("Aqua"), 1 },
        { QStringLiteral("VibrantLight"), 2 },
        { QStringLiteral("DarkAqua"), 3 },
        { QStringLiteral("VibrantDark"), 4 },
    };
    for (const auto& [n, v] : names)
        if (n == name)
            return v;
    // The closest of the four for a variant name ("HighContrastDarkAqua").
    const bool dark = name.contains(QLatin1String("Dark"), Qt::CaseInsensitive);
    const bool vibrant = name.contains(QLatin1String("Vibrant"), Qt::CaseInsensitive);
    if (dark)
        return vibrant ? 4 : 3;
    if (vibrant || name.contains(QLatin1String("Light"), Qt::CaseInsensitive))
        return 2;
    if (name.contains(QLatin1String("Aqua"), Qt::CaseInsensitive))
        return 1;
    return 0;
}

QString KCAppearanceNameFromComponent(quint64 appearance)
{
    switch (appearance) {
    case 1:
        return QStringLiteral("Aqua");
    case 2:
        return QStringLiteral("VibrantLight");
    case 3:
        return QStringLiteral("DarkAqua");
    case 4:
        return QStringLiteral("VibrantDark");
    default:
        throw KCInvalidArgumentException(
            QStringLiteral("%1 cannot be represented as NSAppearanceName").arg(appearance).toStdString());
    }
}

Qt::LayoutDirection KCLayoutDirectionFromComponent(quint64 direction)
{
    if (direction == 1)
        return Qt::LeftToRight;
    if (direction == 2)
        return Qt::RightToLeft;
    throw KCInvalidArgumentException(
        QStringLiteral("%1 cannot be represented as NSUserInterfaceLayoutDirection")
            .arg(direction)
            .toStdString());
}
