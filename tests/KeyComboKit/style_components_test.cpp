#include "KeyComboKit/widgets/KCRecorderControlStyleComponents.h"

#include <QApplication>
#include <QWidget>

#include <gtest/gtest.h>

namespace {

using C = KCRecorderControlStyleComponents;

TEST(StyleComponents, Suffixes)
{
    struct Case {
        C components;
        const char* suffix;
    };
    const Case cases[] = {
        { C(), "" },
        { C(C::appearanceDarkAqua, C::accessibilityHighContrast, C::rightToLeft, C::tintGraphite),
            "-darkaqua-acc-rtl-graphite" },
        { C(C::appearanceAqua, C::accessibilityNone, C::leftToRight, C::tintBlue), "-aqua-ltr-blue" },
        { C(C::appearanceVibrantLight, 0, 0, 0), "-vibrantlight" },
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.components.stringRepresentation(), c.suffix);
    EXPECT_FALSE(C().isSpecified());
    EXPECT_TRUE(C(1, 1, 1, 1).isSpecified());
    EXPECT_EQ(
        C(C::appearanceVibrantDark, C::accessibilityHighContrast, C::rightToLeft, C::tintGraphite).hash(),
        330u);
}

TEST(StyleComponents, OutOfRangeValues)
{
    struct Case {
        quint64 appearance, accessibility, direction, tint;
        const char* reason;
    };
    const Case cases[] = {
        { 5, 1, 1, 1, "anAppearance is outside of the allowed range." },
        { 1, 1, 1, 3, "aTint is outside of the allowed range." },
        { 1, 4, 1, 1, "anAccessibility is outside of the allowed range." },
        { 1, 3, 1, 1, "None cannot be combined with other accessibility options." },
        { 1, 1, 3, 1, "aDirection is outside of the allowed range." },
    };
    for (const Case& c : cases) {
        try {
            C(c.appearance, c.accessibility, c.direction, c.tint);
            ADD_FAILURE() << c.reason;
        } catch (const KCAssertionFailure& e) {
            EXPECT_EQ(e.description, c.reason);
            EXPECT_EQ(e.source, "KCRecorderControlStyle");
        }
    }
}

TEST(StyleComponents, Matching)
{
    struct Case {
        const char* name;
        C a, b, ideal;
        int result;
    };
    const Case cases[] = {
        { "vibrant dark beats aqua for dark aqua", C(1, 1, 1, 1), C(4, 1, 1, 1), C(3, 1, 1, 1), 1 },
        { "no ideal appearance: a tie, later fields unseen", C(1, 1, 1, 1), C(3, 2, 2, 2), C(0, 1, 1, 1), 0 },
        { "unspecified beats high contrast for none", C(1, 0, 1, 1), C(1, 2, 1, 1), C(1, 1, 1, 1), -1 },
        { "none beats unspecified", C(1, 1, 1, 1), C(1, 0, 1, 1), C(1, 1, 1, 1), -1 },
        { "own direction first", C(1, 1, 1, 1), C(1, 1, 2, 1), C(1, 1, 2, 1), 1 },
        { "another direction beats none", C(1, 1, 1, 1), C(1, 1, 0, 1), C(1, 1, 2, 1), -1 },
        { "unspecified appearance last", C(0, 1, 1, 1), C(4, 1, 1, 1), C(1, 1, 1, 1), 1 },
        { "equal", C(1, 1, 1, 1), C(1, 1, 1, 1), C(3, 2, 2, 2), 0 },
    };
    for (const Case& c : cases) {
        EXPECT_EQ(c.a.compare(c.b, c.ideal), c.result) << c.name;
        EXPECT_EQ(c.b.compare(c.a, c.ideal), -c.result) << c.name;
    }
}

TEST(StyleComponents, NamesAndDirections)
{
    EXPECT_EQ(KCAppearanceComponentFromName("DarkAqua"), 3u);
    EXPECT_EQ(KCAppearanceComponentFromName("AccessibilityHighContrastDarkAqua"), 3u);
    EXPECT_EQ(KCAppearanceComponentFromName("Nothing"), 0u);
    for (quint64 v = 1; v <= 4; ++v)
        EXPECT_EQ(KCAppearanceComponentFromName(KCAppearanceNameFromComponent(v)), v);
    try {
        KCAppearanceNameFromComponent(0);
        ADD_FAILURE();
    } catch (const KCInvalidArgumentException& e) {
        EXPECT_EQ(e.reason(), "0 cannot be represented as NSAppearanceName");
    }
    EXPECT_EQ(KCLayoutDirectionFromComponent(2), Qt::RightToLeft);
    EXPECT_THROW(KCLayoutDirectionFromComponent(0), KCInvalidArgumentException);
}

TEST(StyleComponents, CurrentComponentsFollowThePaletteAndDirection)
{
    QWidget w;
    QPalette dark;
    dark.setColor(QPalette::Window, QColor(30, 30, 30));
    dark.setColor(QPalette::WindowText, QColor(230, 230, 230));
    w.setPalette(dark);
    w.setLayoutDirection(Qt::RightToLeft);
    EXPECT_EQ(C::currentComponents(&w), C(C::appearanceDarkAqua, C::accessibilityNone, C::rightToLeft, 0));

    QPalette light;
    light.setColor(QPalette::Window, QColor(240, 240, 240));
    light.setColor(QPalette::WindowText, QColor(0, 0, 0));
    w.setPalette(light);
    C::setPrefersHighContrast(true);
    const C current = C::currentComponents(&w);
    C::setPrefersHighContrast(false);
    EXPECT_EQ(current, C(C::appearanceAqua, C::accessibilityHighContrast, C::rightToLeft, 0));
}

} // namespace
