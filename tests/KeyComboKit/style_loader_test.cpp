#include "KeyComboKit/widgets/KCRecorderControlStyleResourceLoader.h"
#include "tests/KeyComboKit/KitFixture.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QPalette>
#include <QTemporaryDir>

namespace {

using C = KCRecorderControlStyleComponents;

QJsonObject attributes(const QString& font = ".AppleSystemUIFont", const QString& color = "labelColor")
{
    return { { "fontName", font }, { "fontSize", 13 }, { "fontColorCatalogName", "System" },
        { "fontColorName", color } };
}

QJsonObject metrics()
{
    const QJsonObject inset { { "top", 1 }, { "left", 2 }, { "bottom", 3 }, { "right", 4 } };
    return {
        { "minSize", QJsonObject { { "width", 50 }, { "height", 22 } } },
        { "labelToCancel", 4 },
        { "cancelToClear", 2 },
        { "buttonToAlignment", 4 },
        { "baselineFromTop", 15 },
        { "alignmentToLabel", 6 },
        { "labelToAlignment", 6 },
        { "baselineLayoutOffsetFromBottom", 5 },
        { "baselineDrawingOffsetFromBottom", 6 },
        { "focusRingCornerRadius", QJsonObject { { "width", 4 }, { "height", 4 } } },
        { "focusRingInsets", inset },
        { "alignmentInsets", inset },
        { "normalLabelAttributes", attributes() },
        { "recordingLabelAttributes", attributes() },
        { "disabledLabelAttributes", attributes() },
    };
}

// A kit bundle and an application folder in a temporary directory.
class Loader : public ::testing::Test {
protected:
    void SetUp() override
    {
        bundle = dir.filePath("kit/KeyComboKit_KeyComboKit.bundle");
        QDir().mkpath(bundle + "/data");
        QDir().mkpath(bundle + "/images");
        QDir().mkpath(dir.filePath("app/images"));
        write(bundle + "/Info.json", R"({"name": "KeyComboKit_KeyComboKit", "version": "1"})");
        KCSetResourceBundleCandidates(QStringList { dir.filePath("kit") });
        KCRecorderControlStyleResourceLoader::setApplicationResourceFolder(dir.filePath("app"));
        loader.clearCache();
    }
    void TearDown() override
    {
        KCSetResourceBundleCandidates(std::nullopt);
        KCRecorderControlStyleResourceLoader::setApplicationResourceFolder(":/");
        loader.clearCache();
    }
    static void write(const QString& path, const QByteArray& data)
    {
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(data);
    }
    void writeInfo(const QJsonArray& supported, const QJsonObject& m = metrics())
    {
        write(bundle + "/data/kc-test-info.json",
            QJsonDocument(QJsonObject { { "supportedComponents", supported }, { "metrics", m } }).toJson());
    }
    static void writeImage(const QString& path)
    {
        QImage image(4, 4, QImage::Format_ARGB32);
        image.fill(Qt::red);
        ASSERT_TRUE(image.save(path));
    }
    QString failure()
    {
        try {
            loader.info("kc-test");
        } catch (const KCInternalInconsistencyException& e) {
            return e.reason();
        }
        return {};
    }

    QTemporaryDir dir;
    QString bundle;
    KCRecorderControlStyleResourceLoader& loader = KCRecorderControlStyleResourceLoader::shared();
};

TEST_F(Loader, PrefixesBestFirst)
{
    writeInfo({});
    EXPECT_EQ(loader.lookupPrefixes("kc-test", C(3, 1, 1, 0)), QStringList { "kc-test" });

    loader.clearCache();
    writeInfo({ QJsonObject { { "appearance", 1 } }, QJsonObject { { "appearance", 3 } },
        QJsonObject { { "appearance", 4 } } });
    EXPECT_EQ(loader.lookupPrefixes("kc-test", C(3, 1, 1, 0)),
        QStringList({ "kc-test-darkaqua", "kc-test-vibrantdark", "kc-test-aqua", "kc-test" }));
    EXPECT_EQ(loader.info("kc-test")->metrics.minSize, QSizeF(50, 22));
}

TEST_F(Loader, BadInfo)
{
    struct Case {
        QJsonArray supported;
        QJsonObject metrics;
        const char* reason;
    };
    QJsonObject badSize = metrics();
    badSize["minSize"] = QJsonObject { { "width", 1 }, { "height", 2 }, { "depth", 3 } };
    QJsonObject missing = metrics();
    missing.remove("labelToCancel");
    QJsonObject textNumber = metrics();
    textNumber["cancelToClear"] = "2";
    const Case cases[] = {
        { { QJsonObject(), QJsonObject { { "appearance", 5 } } }, metrics(),
            "supportedComponents.[1].appearance: value >= 5" },
        { { QJsonObject { { "tint", -1 } } }, metrics(), "supportedComponents.[0].tint: value < 0" },
        { { QJsonObject { { "accessibility", 4 } } }, metrics(),
            "supportedComponents.[0].accessibility: value must be with mask 3" },
        { { 1 }, metrics(), "supportedComponents.[0]: expected NSDictionary but got NSNumber" },
        { {}, badSize, "minSize: unexpected keys" },
        { {}, missing, "labelToCancel: expected NSNumber but got (null)" },
        { {}, textNumber, "cancelToClear: expected NSNumber but got NSString" },
    };
    for (const Case& c : cases) {
        writeInfo(c.supported, c.metrics);
        EXPECT_EQ(failure(), c.reason);
    }
    write(bundle + "/data/kc-test-info.json", "{ nope");
    EXPECT_TRUE(failure().startsWith("kc-test-info is an invalid JSON: ")) << failure().toStdString();
    QFile::remove(bundle + "/data/kc-test-info.json");
    EXPECT_EQ(failure(), "Missing kc-test-info");
}

TEST_F(Loader, UnknownFontAndColourFallBack)
{
    QJsonObject m = metrics();
    m["normalLabelAttributes"] = attributes("No Such Font Anywhere", "noSuchColor");
    writeInfo({}, m);
    kctest::LogCapture log;
    const auto info = loader.info("kc-test");
    EXPECT_EQ(log.countStartingWith("#Error"), 2);
    EXPECT_EQ(info->metrics.normalLabelAttributes.color, QApplication::palette().color(QPalette::Text));
    EXPECT_GT(info->metrics.normalLabelAttributes.minimalDrawableWidth, 0);
}

TEST_F(Loader, ImagesFromTheBundleThenTheApplication)
{
    writeInfo({ QJsonObject { { "appearance", 3 } } });
    writeImage(bundle + "/images/kc-test-bezel-normal-left.png");
    writeImage(dir.filePath("app/images/kc-test-darkaqua-clear-button.png"));
    const C dark(3, 1, 1, 0);

    EXPECT_FALSE(loader.imageNamed("bezel-normal-left", "kc-test", dark).isNull());
    EXPECT_EQ(loader.cachedImageIsFromBundle("bezel-normal-left", "kc-test", dark), true);
    EXPECT_FALSE(loader.imageNamed("clear-button", "kc-test", dark).isNull());
    EXPECT_EQ(loader.cachedImageIsFromBundle("clear-button", "kc-test", dark), false);
    try {
        loader.imageNamed("cancel-button", "kc-test", dark);
        ADD_FAILURE();
    } catch (const KCInternalInconsistencyException& e) {
        EXPECT_EQ(e.reason(), "Missing image named cancel-button");
    }
    EXPECT_EQ(loader.cachedImageIsFromBundle("cancel-button", "kc-test", dark), std::nullopt);
}

} // namespace
