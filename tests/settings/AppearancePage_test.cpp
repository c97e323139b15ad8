// The "Themes" page's rules: what each apply stores and publishes.
#include "settings/AppearancePage.h"

#include "state/AppState.h"
#include "state/UserDefaults.h"
#include "tests/support/ChangeCounter.h"
#include "tests/support/TempStores.h"

#include <QDir>
#include <QFileInfo>
#include <QImage>
#include <QImageReader>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace orbitshelf::test;

namespace {

struct AppearanceScript {
    QStringList tracked;
    std::function<void(int)> answered; // the question's, kept until the test answers
    int asked = 0;
    int relaunched = 0;
    bool relaunchWorks = true;
    QStringList alerts;
    QString supportFolder;
};

AppearanceServices appearanceServices(AppearanceScript& script)
{
    AppearanceServices services;
    services.trackFeature = [&script](const QString& f) { script.tracked << f; };
    services.ask
        = [&script](const QString& message, const QStringList& buttons, std::function<void(int)> answered) {
              ++script.asked;
              EXPECT_EQ(message, QStringLiteral("Need restart OrbitShelf to render the new ui"));
              EXPECT_EQ(buttons, (QStringList { "oK", "cancel" }));
              script.answered = std::move(answered);
          };
    services.alert = [&script](const QString& m, const QString&) { script.alerts << m; };
    services.relaunch = [&script] {
        ++script.relaunched;
        return script.relaunchWorks;
    };
    services.supportFile = [&script](const QString& name) -> std::optional<QUrl> {
        if (script.supportFolder.isEmpty())
            return std::nullopt;
        return QUrl::fromLocalFile(script.supportFolder + QStringLiteral("/") + name);
    };
    services.randomName = [](int length) { return QString(length, u'k'); };
    return services;
}

class AppearancePageTest : public ::testing::Test {
protected:
    TempUserDefaults defaults;
    AppState state;
    AppearanceScript script;
};

} // namespace

TEST_F(AppearancePageTest, PalettesInOrder)
{
    EXPECT_EQ(AppearancePage::defaultColors(),
        (QStringList { "00b894", "00cec9", "ff7675", "6c5ce7", "b2bec3", "ffeaa7", "fab1a0", "d63031",
            "e84393", "74b9ff", "55efc4", "2d3436", "1e272e" }));
    EXPECT_EQ(AppearancePage::defaultTitleColors(),
        (QStringList {
            "ffffff", "000000", "ff7675", "6c5ce7", "e84393", "74b9ff", "55efc4", "2d3436", "1e272e" }));
    AppearancePage page(state, appearanceServices(script));
    EXPECT_EQ(page.palette(ColorRow::dockTitle), AppearancePage::defaultTitleColors());
    EXPECT_EQ(page.palette(ColorRow::openIndicator), AppearancePage::defaultColors());
}

TEST_F(AppearancePageTest, EachApplyIsOneWriteAndOnePublish)
{
    AppearancePage page(state, appearanceServices(script));
    ChangeCounter changes(state);
    EXPECT_TRUE(page.applyColorText(ColorRow::dock, QStringLiteral("FF0000")));
    EXPECT_EQ(state.settings.dockColor(), QStringLiteral("FF0000")) << "stored as typed";
    EXPECT_EQ(page.swatchRgb(ColorRow::dock), 0xff0000u);
    page.applyColorText(ColorRow::dockTitle, QStringLiteral("00cec9"));
    EXPECT_EQ(page.swatchRgb(ColorRow::dockTitle), 0x00cec9u);
    page.applyFullScreenDock(true);
    EXPECT_TRUE(state.settings.fullScreenDock());
    page.iconHeight = 60;
    page.applyIconHeight();
    EXPECT_EQ(state.appIcon.height(), 60);
    EXPECT_EQ(state.appIcon.width(), 60);
    page.selectBuiltinDockIcon(QStringLiteral("Finder5"));
    EXPECT_EQ(state.settings.dockIcon(), QStringLiteral("Finder5"));
    EXPECT_FALSE(state.settings.isDockIconCustomUpload());
    page.selectUploadedDockIcon();
    EXPECT_TRUE(state.settings.isDockIconCustomUpload());
    EXPECT_EQ(changes.count, 6);
}

TEST_F(AppearancePageTest, TextThatIsNoColourKeepsThePreviousOne)
{
    AppearancePage page(state, appearanceServices(script));
    ASSERT_TRUE(page.applyColorText(ColorRow::dock, QStringLiteral("00cec9")));
    ChangeCounter changes(state);
    for (const char* text : { "zzq", "#ff0000", "", " 00cec9", "0x12" }) {
        EXPECT_FALSE(page.applyColorText(ColorRow::dock, QString::fromLatin1(text))) << text;
        EXPECT_EQ(state.settings.dockColor(), QStringLiteral("00cec9")) << text;
        EXPECT_EQ(page.colorText(ColorRow::dock), QStringLiteral("00cec9")) << text;
    }
    EXPECT_EQ(changes.count, 0);
    EXPECT_TRUE(AppearancePage::notAColorMessage(QStringLiteral("zzq")).contains(QStringLiteral("\"zzq\"")));
}

struct StackCase {
    const char* text;
    int stored;
    bool stores;
};
class StackRow : public AppearancePageTest, public ::testing::WithParamInterface<StackCase> { };
TEST_P(StackRow, CommitsWholeNumbersAtLeastTwo)
{
    const auto& c = GetParam();
    AppearancePage page(state, appearanceServices(script));
    ChangeCounter changes(state);
    EXPECT_EQ(page.commitStackText(QString::fromUtf8(c.text), QLocale(QStringLiteral("en_US"))), c.stores);
    EXPECT_EQ(state.settings.stackAppLimit(), c.stored);
    EXPECT_EQ(changes.count, c.stores ? 1 : 0);
}
INSTANTIATE_TEST_SUITE_P(AppearancePage, StackRow,
    ::testing::Values(StackCase { "12", 12, true }, StackCase { "1,000", 1000, true },
        StackCase { "abc", 8, false }, StackCase { "0", 2, true }, StackCase { "-3", 2, true },
        StackCase { "1", 2, true }, StackCase { "8", 8, false }));

struct ThemeCase {
    const char* name;
    int answer;
    bool pageGoneFirst; // the settings window closed before the answer
    bool stores;
};
class ThemeQuestion : public AppearancePageTest, public ::testing::WithParamInterface<ThemeCase> { };
TEST_P(ThemeQuestion, OnlyAnOkToALivePageStoresAndRelaunches)
{
    const ThemeCase& c = GetParam();
    state.settings.setButtonTheme(QStringLiteral("onlyIcon"));
    auto page = std::make_unique<AppearancePage>(state, appearanceServices(script));
    ChangeCounter changes(state);
    const auto theme = [] { return UserDefaults::value(QStringLiteral("buttonTheme")).toString(); };
    page->applyButtonTheme(QStringLiteral("bigIcon"));
    EXPECT_EQ(script.tracked, QStringList { "ChangeButtonTheme-bigIcon" });
    EXPECT_EQ(theme(), QStringLiteral("onlyIcon")) << "stored before the answer";
    if (c.pageGoneFirst)
        page.reset();
    ASSERT_TRUE(script.answered);
    script.answered(c.answer);
    EXPECT_EQ(theme(), QLatin1String(c.stores ? "bigIcon" : "onlyIcon"));
    EXPECT_EQ(script.relaunched, c.stores ? 1 : 0);
    EXPECT_EQ(changes.count, 0) << "the new process draws the theme; this one publishes nothing";
}
INSTANTIATE_TEST_SUITE_P(AppearancePage, ThemeQuestion,
    ::testing::Values(ThemeCase { "OkStoresAndRelaunches", 0, false, true },
        ThemeCase { "CancelStoresNothing", 1, false, false },
        ThemeCase { "OkAfterThePageIsGoneChangesNothing", 0, true, false }),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(AppearancePageTest, UploadIntoAPathWithASpaceAndAnAccent)
{
    QTemporaryDir root;
    script.supportFolder = root.path() + QStringLiteral("/Application Support/orbitShelf-é");
    ASSERT_TRUE(QDir().mkpath(script.supportFolder));
    QImage picked(300, 200, QImage::Format_RGB32);
    picked.fill(QColor(200, 30, 40));
    const QString source = root.path() + QStringLiteral("/picked.jpg");
    ASSERT_TRUE(picked.save(source, "JPG"));

    AppearancePage page(state, appearanceServices(script));
    ChangeCounter changes(state);
    ASSERT_TRUE(page.uploadCustomDockIcon(source));
    const QString file = script.supportFolder + QStringLiteral("/kkkkkkkkkkkkkkkk.png");
    QImageReader written(file);
    EXPECT_EQ(written.format(), "png");
    EXPECT_EQ(written.size(), QSize(128, 128));
    const QString stored = state.settings.dockIconCustomUploadURL();
    EXPECT_TRUE(stored.contains(QStringLiteral("%20"))) << stored.toStdString();
    EXPECT_FALSE(stored.startsWith(QStringLiteral("file://")));
    EXPECT_EQ(page.uploadedUrl, stored);
    EXPECT_TRUE(state.settings.isDockIconCustomUpload());
    EXPECT_EQ(changes.count, 1);
    const QColor tile = page.uploadedTileImage(QSize(60, 60)).pixelColor(30, 30);
    EXPECT_NEAR(tile.red(), 200, 8) << "the tile reads the uploaded file back";
    EXPECT_NEAR(tile.green(), 30, 8);
}

TEST_F(AppearancePageTest, RefusedUploadsChangeNothing)
{
    QTemporaryDir root;
    const QString text = root.path() + QStringLiteral("/notes.png");
    QFile file(text);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("not a picture");
    file.close();
    QImage picked(10, 10, QImage::Format_RGB32);
    picked.fill(Qt::blue);
    const QString image = root.path() + QStringLiteral("/ok.png");
    ASSERT_TRUE(picked.save(image));

    AppearancePage page(state, appearanceServices(script));
    ChangeCounter changes(state);
    script.supportFolder = root.path();
    EXPECT_FALSE(page.uploadCustomDockIcon(text));
    script.supportFolder.clear(); // no support folder to be had
    EXPECT_FALSE(page.uploadCustomDockIcon(image));
    script.supportFolder = root.path() + QStringLiteral("/missing/folder");
    EXPECT_FALSE(page.uploadCustomDockIcon(image)) << "the write fails";
    EXPECT_EQ(script.alerts.size(), 3);
    EXPECT_FALSE(state.settings.isDockIconCustomUpload());
    EXPECT_TRUE(state.settings.dockIconCustomUploadURL().isEmpty());
    EXPECT_EQ(changes.count, 0);
}

// The icon is kept within the dock whichever height moves, and the page
// says which other height it changed.
TEST_F(AppearancePageTest, IconHeightStaysWithinDockHeightAndThePageSaysWhatMoved)
{
    struct Case {
        const char* what;
        double dock;
        double icon;
        bool dockMoved; // else the icon slider moved
        double newValue;
        double storedDock;
        double storedIcon;
        const char* note;
    };
    const Case cases[] = {
        { "a lower dock that still holds the icon", 80, 46, true, 60, 60, 46, "" },
        { "a dock lower than the icon lowers it", 80, 46, true, 40, 40, 40,
            "Icon Height lowered to 40 to fit a dock of 40." },
        { "a taller icon raises the dock", 50, 46, false, 84, 84, 84,
            "Dock Height raised to 84 to hold icons of 84." },
        { "to the dock slider's next even step", 50, 46, false, 71, 72, 71,
            "Dock Height raised to 72 to hold icons of 71." },
        { "an icon as tall as its dock", 100, 46, false, 100, 100, 100, "" },
    };
    for (const Case& c : cases) {
        state.settings.setDockBackgroundHeight(c.dock);
        state.appIcon.setHeight(c.icon);
        AppearancePage page(state, appearanceServices(script));
        ChangeCounter changes(state);
        if (c.dockMoved) {
            page.height = c.newValue;
            page.applyDockHeight();
        } else {
            page.iconHeight = c.newValue;
            page.applyIconHeight();
        }
        EXPECT_EQ(state.settings.dockBackgroundHeight(), c.storedDock) << c.what;
        EXPECT_EQ(state.appIcon.height(), c.storedIcon) << c.what;
        EXPECT_EQ(page.height, c.storedDock) << c.what;
        EXPECT_EQ(page.iconHeight, c.storedIcon) << c.what;
        EXPECT_EQ(page.fitNote, QString::fromUtf8(c.note)) << c.what;
        EXPECT_EQ(changes.count, 1) << c.what << ": one publish";
    }
}
