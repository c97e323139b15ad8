#pragma once

// Names one variant of a recorder style: appearance, accessibility, layout
// direction and tint. The resource loader sorts the variants a style
// supports by closeness to the present ones and reads each as a suffix of
// resource names ("-darkaqua-acc-rtl-graphite").
#include "KeyComboKit/KCCommon.h"

#include <QObject>
#include <QString>
#include <Qt>

class QWidget;

class KCRecorderControlStyleComponents final : public KCObject {
public:
    enum Appearance : quint64 {
        appearanceUnspecified = 0,
        appearanceAqua = 1,
        appearanceVibrantLight = 2,
        appearanceDarkAqua = 3,
        appearanceVibrantDark = 4,
    };
    // A bit set; "none" stands alone.
    enum Accessibility : quint64 {
        accessibilityUnspecified = 0,
        accessibilityNone = 1,
        accessibilityHighContrast = 2
    };
    enum LayoutDirection : quint64 { layoutDirectionUnspecified = 0, leftToRight = 1, rightToLeft = 2 };
    enum Tint : quint64 { tintUnspecified = 0, tintBlue = 1, tintGraphite = 2 };

    static const KCClass kcClassInfo;

    KCRecorderControlStyleComponents() = default;
    // Throws KCAssertionFailure for a value outside its range.
    KCRecorderControlStyleComponents(
        quint64 appearance, quint64 accessibility, quint64 layoutDirection, quint64 tint);

    // The present state: dark aqua for a dark palette, else aqua; high
    // contrast from the kit's setting; the widget's direction (the
    // application's without one); tint unspecified, as Qt has none.
    static KCRecorderControlStyleComponents currentComponents(const QWidget* widget = nullptr);
    // Qt offers no high-contrast query; the application sets it. A change
    // is announced through KCAccessibilityDisplayOptions.
    static void setPrefersHighContrast(bool on);
    static bool prefersHighContrast();

    quint64 appearance() const { return m_appearance; }
    quint64 accessibility() const { return m_accessibility; }
    quint64 layoutDirection() const { return m_layoutDirection; }
    quint64 tint() const { return m_tint; }

    bool isSpecified() const { return m_appearance && m_accessibility && m_layoutDirection && m_tint; }
    QString stringRepresentation() const;
    QString description() const { return stringRepresentation(); }
    size_t hash() const
    {
        return (m_accessibility << 7) | (m_appearance << 4) | (m_layoutDirection << 2) | m_tint;
    }

    bool isEqualToComponents(const KCRecorderControlStyleComponents& other) const;
    bool isEqual(const KCObject* other) const;
    bool operator==(const KCRecorderControlStyleComponents& other) const
    {
        return isEqualToComponents(other);
    }

    // -1 when this one is closer to the ideal, 1 when the other is, 0 for
    // a tie. The first component that differs decides alone.
    int compare(
        const KCRecorderControlStyleComponents& other, const KCRecorderControlStyleComponents& ideal) const;

    const KCClass& kcClass() const override { return kcClassInfo; }
    const KCClass& equalityOwner() const override { return kcClassInfo; }

private:
    quint64 m_appearance = 0;
    quint64 m_accessibility = 0;
    quint64 m_layoutDirection = 0;
    quint64 m_tint = 0;
};

// Appearance names: "Aqua", "VibrantLight", "DarkAqua", "VibrantDark".
// Another name gets its closest match (a name with "Dark" in it is dark);
// 0 when nothing matches.
quint64 KCAppearanceComponentFromName(const QString& name);
// Throws KCInvalidArgumentException for a value without a name.
QString KCAppearanceNameFromComponent(quint64 appearance);
Qt::LayoutDirection KCLayoutDirectionFromComponent(quint64 direction);

// Announces a change of the accessibility display options (the kit's
// high-contrast setting) to every recorder control, so each one's style
// picks its matching images.
class KCAccessibilityDisplayOptions final : public QObject {
    Q_OBJECT
public:
    static KCAccessibilityDisplayOptions& shared();

signals:
    void didChange();

private:
    KCAccessibilityDisplayOptions() = default;
};
