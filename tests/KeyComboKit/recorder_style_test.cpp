// The recorder control with a style of the caller's choosing: the look it
// draws, the direction it lays out in, the texts it shows and the
// high-contrast switch, judged from rendered pictures.
#include "KeyComboKit/widgets/KCRecorderControl.h"
#include "KeyComboKit/widgets/KCRecorderControlStyle.h"
#include "tests/KeyComboKit/KitFixture.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QTemporaryDir>

namespace {

using C = KCRecorderControlStyleComponents;

using kctest::keyK;

// Offers every text the control would otherwise take from the kit.
class WordyStyle final : public KCRecorderControlStyle {
public:
    using KCRecorderControlStyle::KCRecorderControlStyle;
    std::unique_ptr<KCRecorderControlStyle> copy() const override
    {
        return std::make_unique<WordyStyle>(identifier(), preferredComponents());
    }
    QString noValueNormalLabel() const override { return QStringLiteral("Type a shortcut"); }
    QString noValueRecordingLabel() const override { return QStringLiteral("Listening"); }
    std::optional<QString> normalTooltip() const override { return QStringLiteral("Click, then type"); }
    std::optional<QString> recordingTooltip() const override { return QStringLiteral("Type it now"); }
    std::optional<QString> cancelButtonTooltip() const override { return QStringLiteral("Never mind"); }
    std::optional<QString> clearButtonTooltip() const override { return QStringLiteral("Forget it"); }
};

QImage picture(QWidget& widget)
{
    QImage image(widget.size(), QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    widget.render(&image);
    return image;
}

// Columns [first, last] holding pixels of exactly this colour; (-1, -1)
// when there are none.
std::pair<int, int> columnsOf(const QImage& image, QColor colour)
{
    int first = -1, last = -1;
    for (int x = 0; x < image.width(); ++x)
        for (int y = 0; y < image.height(); ++y)
            if (image.pixel(x, y) == colour.rgb()) {
                if (first < 0)
                    first = x;
                last = x;
                break;
            }
    return { first, last };
}

// A second style, "kc-test", from the application's resources: flat
// light-blue bezels, a red cancel button and a green clear button.
class RecorderStyle : public kctest::FakeLayouts {
protected:
    void SetUp() override
    {
        FakeLayouts::SetUp();
        ASSERT_TRUE(QDir().mkpath(resources.filePath("data")));
        ASSERT_TRUE(QDir().mkpath(resources.filePath("images")));
        QFile info(resources.filePath("data/kc-test-info.json"));
        ASSERT_TRUE(info.open(QIODevice::WriteOnly));
        // The kit's own metrics, so that only the images differ.
        QFile mojave(KCResourceBundle().path + "/data/kc-mojave-info.json");
        ASSERT_TRUE(mojave.open(QIODevice::ReadOnly));
        info.write(mojave.readAll());
        info.close();
        for (int i = 0; i < KCRecorderControlStyle::imageCount; ++i) {
            const bool bezel = i < KCRecorderControlStyle::cancelButton;
            const bool cancel = i == KCRecorderControlStyle::cancelButton
                || i == KCRecorderControlStyle::cancelButtonPressed;
            QImage image(bezel ? 8 : 14, bezel ? 22 : 14, QImage::Format_ARGB32);
            image.fill(bezel ? bezelColour : (cancel ? cancelColour : clearColour));
            ASSERT_TRUE(image.save(resources.filePath(
                QStringLiteral("images/kc-test-aqua-%1.png").arg(KCRecorderControlStyle::imageNames[i]))));
        }
        KCRecorderControlStyleResourceLoader::setApplicationResourceFolder(resources.path());
        KCRecorderControlStyleResourceLoader::shared().clearCache();

        control = new KCRecorderControl(&window);
        control->resize(160, 24);
        window.show();
        QApplication::setActiveWindow(&window);
        control->setFocus();
        QApplication::processEvents();
    }
    void TearDown() override
    {
        delete control;
        KCRecorderControlStyleResourceLoader::setApplicationResourceFolder(QStringLiteral(":/"));
        KCRecorderControlStyleResourceLoader::shared().clearCache();
        FakeLayouts::TearDown();
    }
    // Recording with a value: the label and both buttons are drawn.
    void recordingWithValue()
    {
        control->setShortcut(KCShortcut::shortcutWithCode(keyK, kc::command));
        ASSERT_TRUE(control->beginRecording());
    }

    const QColor bezelColour { 200, 220, 255 };
    const QColor cancelColour { 255, 0, 0 };
    const QColor clearColour { 0, 160, 0 };
    QTemporaryDir resources;
    QWidget window;
    KCRecorderControl* control = nullptr;
};

} // namespace

TEST_F(RecorderStyle, ASecondStyleDrawsMirroredAndTheDefaultComesBack)
{
    recordingWithValue();
    ASSERT_TRUE(control->style());
    const QImage standard = picture(*control);
    EXPECT_EQ(columnsOf(standard, cancelColour).first, -1);

    const KCRecorderControlStyle rightToLeft(QStringLiteral("kc-test"), C(0, 0, C::rightToLeft, 0));
    control->setStyle(&rightToLeft);
    EXPECT_NE(control->style(), &rightToLeft); // a copy of its own
    EXPECT_EQ(control->userInterfaceLayoutDirection(), Qt::RightToLeft);
    const QImage mirrored = picture(*control);
    EXPECT_NE(mirrored, standard);
    EXPECT_GT(columnsOf(mirrored, bezelColour).first, -1);

    const KCRecorderControlStyle leftToRight(QStringLiteral("kc-test"), C(0, 0, C::leftToRight, 0));
    control->setStyle(&leftToRight);
    const QImage straight = picture(*control);
    // The buttons sit at the trailing end, clear outermost: on the left
    // right to left, in the very columns mirrored.
    const int w = control->width();
    const auto [cancelFirst, cancelLast] = columnsOf(mirrored, cancelColour);
    const auto [clearFirst, clearLast] = columnsOf(mirrored, clearColour);
    ASSERT_GE(cancelFirst, 0);
    ASSERT_GE(clearFirst, 0);
    EXPECT_LT(clearLast, cancelFirst);
    EXPECT_LT(cancelLast, w / 2);
    EXPECT_EQ(columnsOf(straight, cancelColour), std::pair(w - 1 - cancelLast, w - 1 - cancelFirst));
    EXPECT_EQ(columnsOf(straight, clearColour), std::pair(w - 1 - clearLast, w - 1 - clearFirst));

    // The control's own direction wins over the style's.
    control->setLayoutDirection(Qt::RightToLeft);
    EXPECT_EQ(picture(*control), mirrored);
    control->setLayoutDirection(Qt::LeftToRight);

    // Its own style again changes nothing; none brings the default back.
    const QImage before = picture(*control);
    control->setStyle(control->style());
    EXPECT_EQ(picture(*control), before);
    control->setStyle(nullptr);
    EXPECT_EQ(picture(*control), standard);
}

TEST_F(RecorderStyle, APreferredAppearanceIsUndoneByTheNextStyleButNotTheCallersPalette)
{
    const QImage light = picture(*control);
    const KCRecorderControlStyle dark(QStringLiteral("kc-mojave"), C(C::appearanceDarkAqua, 0, 0, 0));
    control->setStyle(&dark);
    EXPECT_NE(picture(*control), light);
    control->setStyle(nullptr);
    EXPECT_EQ(picture(*control), light);

    QPalette own;
    own.setColor(QPalette::Window, QColor(10, 10, 10));
    control->setPalette(own);
    control->setStyle(nullptr);
    EXPECT_EQ(control->palette().color(QPalette::Window), QColor(10, 10, 10));
}

TEST_F(RecorderStyle, TheStylesTextsComeFirst)
{
    const WordyStyle wordy;
    control->setStyle(&wordy);
    EXPECT_EQ(control->toolTip(), "Click, then type");
    EXPECT_EQ(control->drawingLabel(), "Type a shortcut");
    ASSERT_TRUE(control->beginRecording());
    EXPECT_EQ(control->toolTip(), "Type it now");
    EXPECT_EQ(control->drawingLabel(), "Listening");
    EXPECT_EQ(control->buttonToolTipAt(control->cancelButtonRect().center()), "Never mind");
    control->endRecording();

    recordingWithValue();
    EXPECT_EQ(control->buttonToolTipAt(control->clearButtonRect().center()), "Forget it");
    control->endRecording();

    // The kit's own texts with a style that offers none.
    control->setShortcut(nullptr);
    control->setStyle(nullptr);
    EXPECT_EQ(control->toolTip(), "Click to record shortcut");
    EXPECT_EQ(control->drawingLabel(), "Record Shortcut");
}

TEST_F(RecorderStyle, HighContrastRedrawsEveryOpenControl)
{
    KCRecorderControl second(&window);
    second.resize(160, 24);
    second.move(0, 30);
    second.setShortcut(KCShortcut::shortcutWithCode(keyK, kc::command));
    ASSERT_TRUE(control->style());
    ASSERT_TRUE(second.style());
    const QImage first = picture(*control);
    const QImage other = picture(second);

    C::setPrefersHighContrast(true);
    QApplication::processEvents();
    EXPECT_NE(picture(*control), first);
    EXPECT_NE(picture(second), other);

    C::setPrefersHighContrast(false);
    QApplication::processEvents();
    EXPECT_EQ(picture(*control), first);
    EXPECT_EQ(picture(second), other);
}
