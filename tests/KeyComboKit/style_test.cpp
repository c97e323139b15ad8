#include "KeyComboKit/widgets/KCRecorderControlStyle.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFontMetricsF>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
#include <QWidget>

#include <gtest/gtest.h>

#include <cmath>

namespace {

using C = KCRecorderControlStyleComponents;
using Set = KCRecorderControlStyle::ConstraintSet;

QJsonObject labelAttributes()
{
    return { { "fontName", ".AppleSystemUIFont" }, { "fontSize", 13 }, { "fontColorCatalogName", "System" },
        { "fontColorName", "labelColor" } };
}

QJsonObject metrics(int minWidth)
{
    const QJsonObject zero { { "top", 0 }, { "left", 0 }, { "bottom", 0 }, { "right", 0 } };
    return {
        { "minSize", QJsonObject { { "width", minWidth }, { "height", 22 } } },
        { "labelToCancel", 6 },
        { "cancelToClear", 2 },
        { "buttonToAlignment", 4 },
        { "baselineFromTop", 15 },
        { "alignmentToLabel", 4 },
        { "labelToAlignment", 4 },
        { "baselineLayoutOffsetFromBottom", 5 },
        { "baselineDrawingOffsetFromBottom", 6 },
        { "focusRingCornerRadius", QJsonObject { { "width", 4 }, { "height", 4 } } },
        { "focusRingInsets", zero },
        { "alignmentInsets", zero },
        { "normalLabelAttributes", labelAttributes() },
        { "recordingLabelAttributes", labelAttributes() },
        { "disabledLabelAttributes", labelAttributes() },
    };
}

// A style "kc-test" with aqua images (14-point buttons) and dark aqua ones
// (16-point buttons).
class Style : public ::testing::Test {
protected:
    void SetUp() override
    {
        const QString bundle = dir.filePath("kit/KeyComboKit_KeyComboKit.bundle");
        QDir().mkpath(bundle + "/data");
        QDir().mkpath(bundle + "/images");
        write(bundle + "/Info.json", R"({"name": "KeyComboKit_KeyComboKit", "version": "1"})");
        writeInfo(bundle, 50);
        for (const char* name : KCRecorderControlStyle::imageNames) {
            writeImage(bundle + "/images/kc-test-aqua-" + name + ".png", 14, Qt::white);
            writeImage(bundle + "/images/kc-test-darkaqua-" + name + ".png", 16, Qt::black);
        }
        KCSetResourceBundleCandidates(QStringList { dir.filePath("kit") });
        KCRecorderControlStyleResourceLoader::shared().clearCache();
        setDark(false);
    }
    void TearDown() override
    {
        KCSetResourceBundleCandidates(std::nullopt);
        KCRecorderControlStyleResourceLoader::shared().clearCache();
    }
    static void write(const QString& path, const QByteArray& data)
    {
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(data);
    }
    static void writeInfo(const QString& bundle, int minWidth)
    {
        write(bundle + "/data/kc-test-info.json",
            QJsonDocument(QJsonObject { { "supportedComponents",
                                            QJsonArray { QJsonObject { { "appearance", 1 } },
                                                QJsonObject { { "appearance", 3 } } } },
                              { "metrics", metrics(minWidth) } })
                .toJson());
    }
    static void writeImage(const QString& path, int side, Qt::GlobalColor color)
    {
        QImage image(side, side, QImage::Format_ARGB32);
        image.fill(color);
        ASSERT_TRUE(image.save(path));
    }
    void setDark(bool dark)
    {
        QPalette p;
        p.setColor(QPalette::Window, dark ? QColor(30, 30, 30) : QColor(240, 240, 240));
        p.setColor(QPalette::WindowText, dark ? QColor(230, 230, 230) : QColor(0, 0, 0));
        control.setPalette(p);
    }
    static qreal constant(const QList<KCStyleConstraintRef>& set, const QString& id)
    {
        for (const auto& c : set)
            if (c->identifier == id)
                return c->constant;
        ADD_FAILURE() << id.toStdString();
        return -1;
    }
    static QString assertion(const std::function<void()>& f)
    {
        try {
            f();
        } catch (const KCAssertionFailure& e) {
            return e.description;
        }
        return {};
    }

    QTemporaryDir dir;
    QWidget control;
};

TEST_F(Style, AttachingAndDetaching)
{
    KCRecorderControlStyle style(QStringLiteral("kc-test"));
    EXPECT_EQ(KCRecorderControlStyle().identifier(), "kc-mojave");
    EXPECT_EQ(style.intrinsicContentSize(), QSizeF(-1, -1));
    EXPECT_EQ(assertion([&] { style.prepareForRemoval(); }), "Style was not applied properly.");
    style.prepareForRecorderControl(&control);
    QWidget other;
    EXPECT_EQ(assertion([&] { style.prepareForRecorderControl(&other); }), "Style was not removed properly.");
    EXPECT_EQ(style.recorderControl(), &control);

    // Shared rows are one object in both recording sets; the layout-guide
    // rows of the two sets are distinct objects with equal identifiers.
    const auto& noValue = style.recordingWithNoValueConstraints();
    const auto& value = style.recordingWithValueConstraints();
    EXPECT_EQ(noValue[0], value[0]);
    EXPECT_EQ(noValue[3], value[3]);
    EXPECT_EQ(noValue[4], value[4]);
    EXPECT_NE(noValue[5], value[9]);
    EXPECT_EQ(noValue[5]->identifier, value[9]->identifier);
    EXPECT_EQ(style.alwaysConstraints().size(), 12);
    EXPECT_EQ(value.size(), 17);

    // Detached and attached again: the new constraints get their gaps and
    // button sizes.
    style.prepareForRemoval();
    style.prepareForRecorderControl(&other);
    EXPECT_EQ(constant(style.recordingWithValueConstraints(), "KC_labelDrawingGuide_trailingToCancel"), 6);
    EXPECT_EQ(constant(style.recordingWithValueConstraints(), "KC_cancelButtonDrawingGuide_width"), 14);
}

TEST_F(Style, IntrinsicWidth)
{
    KCRecorderControlStyle style(QStringLiteral("kc-test"));
    style.prepareForRecorderControl(&control);
    const QFontMetricsF fm(style.metrics().normalLabelAttributes.font);
    const qreal label = std::max(std::ceil(fm.horizontalAdvance("Record Shortcut")),
        std::ceil(fm.horizontalAdvance("Press keys now")));
    // Gaps 4 + (6 + 14 + 2 + 14 + 4) on either side of the widest label.
    EXPECT_EQ(style.intrinsicContentSize(), QSizeF(label + 4 + 40, 22));

    KCRecorderControlStyleResourceLoader::shared().clearCache();
    writeInfo(dir.filePath("kit/KeyComboKit_KeyComboKit.bundle"), 1000);
    KCRecorderControlStyle wide(QStringLiteral("kc-test"));
    QWidget second;
    wide.prepareForRecorderControl(&second);
    EXPECT_EQ(wide.intrinsicContentSize().width(), 1000);
}

TEST_F(Style, GoingDarkReloadsImagesAndButtonSizesOnly)
{
    KCRecorderControlStyle style(QStringLiteral("kc-test"));
    style.prepareForRecorderControl(&control);
    EXPECT_EQ(style.effectiveComponents().appearance(), C::appearanceAqua);
    EXPECT_EQ(style.effectiveComponents().tint(), C::tintBlue);
    EXPECT_EQ(style.currentLookupPrefixes(), QStringList({ "kc-test-aqua", "kc-test-darkaqua", "kc-test" }));
    EXPECT_EQ(style.image(KCRecorderControlStyle::cancelButton).pixelColor(0, 0), QColor(Qt::white));
    const QSizeF size = style.intrinsicContentSize();

    setDark(true);
    style.recorderControlAppearanceDidChange();
    EXPECT_EQ(style.effectiveComponents().appearance(), C::appearanceDarkAqua);
    EXPECT_EQ(style.image(KCRecorderControlStyle::cancelButton).pixelColor(0, 0), QColor(Qt::black));
    EXPECT_EQ(constant(style.recordingWithValueConstraints(), "KC_clearButtonDrawingGuide_width"), 16);
    EXPECT_EQ(constant(style.recordingWithValueConstraints(), "KC_labelDrawingGuide_trailingToCancel"), 6);
    EXPECT_EQ(style.intrinsicContentSize(), size);
}

TEST_F(Style, PreferredComponentsWin)
{
    const C preferred(
        C::appearanceVibrantDark, C::accessibilityHighContrast, C::rightToLeft, C::tintGraphite);
    KCRecorderControlStyle style(QStringLiteral("kc-test"), preferred);
    style.prepareForRecorderControl(&control);
    EXPECT_EQ(style.effectiveComponents(), preferred);
}

TEST_F(Style, GuidesFollowTheSetAndDirection)
{
    KCRecorderControlStyle style(QStringLiteral("kc-test"));
    style.prepareForRecorderControl(&control);
    const QRectF bounds(0, 0, 200, 22);

    const KCStyleGuides idle = style.guides(bounds, Set::displaying, 60, Qt::LeftToRight);
    EXPECT_EQ(idle.label, QRectF(70, 0, 60, 22));
    EXPECT_TRUE(idle.cancelButtonDrawing.isNull());

    const KCStyleGuides value = style.guides(bounds, Set::recordingWithValue, 60, Qt::LeftToRight);
    EXPECT_EQ(value.clearButtonDrawing, QRectF(182, 4, 14, 14));
    EXPECT_EQ(value.cancelButtonDrawing, QRectF(166, 4, 14, 14));
    EXPECT_EQ(value.clearButtonLayout, QRectF(182, 0, 18, 22));

    // A long label yields to the buttons.
    const KCStyleGuides crowded = style.guides(bounds, Set::recordingWithNoValue, 190, Qt::LeftToRight);
    EXPECT_EQ(crowded.label.left(), 4);
    EXPECT_EQ(crowded.label.right(), crowded.cancelButtonDrawing.left() - 6);

    const KCStyleGuides rtl = style.guides(bounds, Set::recordingWithValue, 60, Qt::RightToLeft);
    EXPECT_EQ(rtl.clearButtonDrawing, QRectF(4, 4, 14, 14));
    EXPECT_EQ(rtl.clearButtonLayout, QRectF(0, 0, 18, 22));
}

} // namespace
