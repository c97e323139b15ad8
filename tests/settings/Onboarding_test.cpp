// The onboarding page over scripted permissions: colours before and after an
// activation, what each step reports, stores and requests; and the tour's
// fixed content and image frames.
#include "settings/Onboarding.h"

#include "settings/FeatureTour.h"
#include "state/AppState.h"
#include "state/ShownTexts.h"
#include "tests/support/ChangeCounter.h"
#include "tests/support/TempStores.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QCoreApplication>
#include <QLabel>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QThreadPool>
#include <QVBoxLayout>

#include <gtest/gtest.h>

#include <atomic>

using namespace orbitshelf::test;

namespace {

struct OnboardingScript {
    bool trusted = false;
    bool captureAllowed = false;
    int prompts = 0;
    int captureRequests = 0;
    std::atomic<int> dockScripts = 0; // counted on the pool's threads
    platform::OtherDocksFound otherDocks;
    platform::HideDocksReport hideReport;
    QStringList tracked;
};

// Step 3's work runs on the pool; its note comes back through the event loop.
void step3Done()
{
    QThreadPool::globalInstance()->waitForDone();
    QCoreApplication::processEvents();
}

PermissionChecks quietChecks(OnboardingScript& script)
{
    return { [&script] { return script.trusted; }, [&script] { return script.captureAllowed; } };
}

OnboardingServices onboardingServices(OnboardingScript& script)
{
    OnboardingServices s;
    s.accessibilityTrustedWithPrompt = [&script] {
        ++script.prompts;
        return script.trusted;
    };
    s.requestScreenCapture = [&script] { ++script.captureRequests; };
    s.trackFeature = [&script](const QString& f) { script.tracked << f; };
    s.otherDocks = [&script](const auto&) { return script.otherDocks; };
    s.hideSystemDock = [&script](const auto&) {
        ++script.dockScripts;
        return script.hideReport;
    };
    return s;
}

class OnboardingTest : public ::testing::Test {
protected:
    void SetUp() override { state.settings.setFirstInstalled(false); }

    TempUserDefaults defaults;
    AppState state;
    OnboardingScript script;
};

TEST_F(OnboardingTest, RedUntilTheFirstActivationThenGreenWhenGranted)
{
    Onboarding view(state, quietChecks(script), onboardingServices(script));
    EXPECT_EQ(view.step1Button()->property("statusColor").toString(), "#e0443e");
    EXPECT_EQ(view.step2Toggle()->property("statusColor").toString(), "#e0443e");
    script.trusted = true;
    script.captureAllowed = true;
    EXPECT_EQ(view.step1Button()->property("statusColor").toString(), "#e0443e");
    view.state().refreshPermissionFlags();
    EXPECT_EQ(view.step1Button()->property("statusColor").toString(), "#2fa84f");
    EXPECT_EQ(view.step2Toggle()->property("statusColor").toString(), "#2fa84f");
    EXPECT_EQ(script.prompts, 0) << "an activation never prompts";
}

TEST_F(OnboardingTest, Step1PromptsOnceAndReports)
{
    Onboarding view(state, quietChecks(script), onboardingServices(script));
    view.step1Button()->click();
    EXPECT_EQ(script.prompts, 1);
    EXPECT_EQ(script.tracked, QStringList { "Onboard-Request Accessability Permissions" });
    EXPECT_EQ(view.step1Button()->text(), "🔥Step 1: Request Accessability Permissions");
    EXPECT_EQ(view.findChild<QLabel*>("noPermissionNote"), nullptr) << "the fake gates access";
}

TEST_F(OnboardingTest, PreviewToggleStoresReportsStampsAndRequestsOnlyWhenPreviewsComeOn)
{
    state.settings.setDisablePreview(true);
    Onboarding view(state, quietChecks(script), onboardingServices(script));
    ASSERT_TRUE(view.step2Toggle()->isChecked());
    const QDateTime stamp = QDateTime::fromSecsSinceEpoch(1000);
    state.lastUpdateTime = stamp;
    view.step2Toggle()->click();
    EXPECT_FALSE(CustomSettings().disablePreview());
    EXPECT_EQ(script.captureRequests, 1);
    EXPECT_EQ(script.tracked, QStringList { "Onboard-Disable Window Preview" });
    EXPECT_NE(state.lastUpdateTime, stamp);

    state.lastUpdateTime = stamp;
    view.step2Toggle()->click();
    EXPECT_TRUE(CustomSettings().disablePreview());
    EXPECT_EQ(script.captureRequests, 1);
    EXPECT_EQ(script.tracked.size(), 2);
    EXPECT_NE(state.lastUpdateTime, stamp);
}

TEST_F(OnboardingTest, FirstLaunchTurnsTheToggleOnOnceWithOneReportAndNoRequest)
{
    state.settings.setFirstInstalled(true);
    state.settings.setDisablePreview(false);
    Onboarding view(state, quietChecks(script), onboardingServices(script));
    ASSERT_FALSE(view.step2Toggle()->isChecked());
    view.show();
    EXPECT_TRUE(view.step2Toggle()->isChecked());
    EXPECT_TRUE(CustomSettings().disablePreview());
    EXPECT_EQ(script.tracked, QStringList { "Onboard-Disable Window Preview" });
    EXPECT_EQ(script.captureRequests, 0);
    view.hide();
    view.show();
    EXPECT_EQ(script.tracked.size(), 1);
}

TEST_F(OnboardingTest, Step3SaysPlainlyEachTimeThatThereIsNothingToHide)
{
    Onboarding view(state, quietChecks(script), onboardingServices(script));
    auto* button = view.findChild<QPushButton*>("Step 3:Hide Native Dock? (Recommended)");
    ASSERT_NE(button, nullptr);
    button->click();
    button->click();
    step3Done();
    EXPECT_EQ(script.dockScripts.load(), 2);
    EXPECT_TRUE(view.step3Note().startsWith("Not applicable")) << view.step3Note().toStdString();
    EXPECT_TRUE(script.tracked.isEmpty());
    // The outcome takes the explanation's place rather than repeating it.
    for (const QLabel* label : view.findChildren<QLabel*>())
        EXPECT_FALSE(label->text() == QLatin1String(OnboardingTexts::step3Explanation) && !label->isHidden());
}

// Where other docks run, step 3 names them before the click, those that
// hide already apart from those it would set, and says after it which took
// the auto-hide and which did not, never more than happened.
TEST_F(OnboardingTest, Step3NamesTheOtherDocksAndSaysWhatTheClickDid)
{
    struct Row {
        const char* meaning;
        QStringList docks;
        QStringList hiding;
        QStringList hidden;
        QStringList failed;
        const char* explanation;
        const char* note;
    };
    const std::vector<Row> rows {
        { "one dock, hidden", { "Xfce panel 2" }, {}, { "Xfce panel 2" }, {},
            "Another dock runs here: Xfce panel 2. Step 3 sets it to hide",
            "Set to hide until the pointer reaches it: Xfce panel 2." },
        { "two docks, one refused", { "Xfce panel 2", "plank (dock1)" }, {}, { "Xfce panel 2" },
            { "plank (dock1) (gsettings cannot run)" }, "Other docks run here: Xfce panel 2, plank (dock1).",
            "Set to hide until the pointer reaches it: Xfce panel 2. Could not be set to hide: plank (dock1) "
            "(gsettings cannot run)." },
        { "a dock that refused alone", { "Xfce panel 2" }, {}, {},
            { "Xfce panel 2 (xfconf does not answer)" }, "Another dock runs here",
            "Could not be set to hide: Xfce panel 2 (xfconf does not answer)." },
        { "a dock that quit before the click", { "plank (dock1)" }, {}, {}, {}, "Another dock runs here",
            "Not applicable" },
        { "opened again after the click: both docks hide already", {}, { "Xfce panel 2", "plank (dock1)" },
            {}, {},
            "Other docks run here and already hide until the pointer reaches them: Xfce panel 2, plank "
            "(dock1). "
            "Step 3 has nothing left to set.",
            "Already set to hide until the pointer reaches it: Xfce panel 2, plank (dock1)." },
        { "one dock that hides already", {}, { "Xfce panel 2" }, {}, {},
            "Another dock runs here and already hides until the pointer reaches it: Xfce panel 2.",
            "Already set to hide until the pointer reaches it: Xfce panel 2." },
        { "one dock hiding, one left to set", { "plank (dock1)" }, { "Xfce panel 2" }, { "plank (dock1)" },
            {},
            "Another dock runs here: plank (dock1). Step 3 sets it to hide until the pointer reaches it, so "
            "that the bar stands alone on its edge. Already set to hide until the pointer reaches it: Xfce "
            "panel 2.",
            "Set to hide until the pointer reaches it: plank (dock1). Already set to hide until the pointer "
            "reaches it: Xfce panel 2." },
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.meaning);
        script.otherDocks = { row.docks, row.hiding };
        script.hideReport
            = { row.failed.isEmpty() ? (row.hidden.isEmpty() ? platform::ScriptOutcome::notApplicable
                                                             : platform::ScriptOutcome::done)
                                     : platform::ScriptOutcome::failed,
                  row.hidden, row.failed, row.hiding };
        Onboarding view(state, quietChecks(script), onboardingServices(script));
        auto* explanation = view.findChild<QLabel*>(QStringLiteral("step3Explanation"));
        ASSERT_TRUE(explanation);
        EXPECT_TRUE(explanation->text().startsWith(QLatin1String(row.explanation)))
            << explanation->text().toStdString();
        EXPECT_TRUE(view.step3Note().isEmpty());
        view.findChild<QPushButton*>("Step 3:Hide Native Dock? (Recommended)")->click();
        step3Done();
        EXPECT_TRUE(view.step3Note().startsWith(QLatin1String(row.note))) << view.step3Note().toStdString();
    }
}

TEST_F(OnboardingTest, Step4ClosesTheOnboardingWindowItselfOnly)
{
    QWidget other;
    other.show();
    QWidget window;
    auto* view = new Onboarding(state, quietChecks(script), onboardingServices(script), &window);
    window.show();
    view->findChild<QPushButton*>("Step 4:Enjoy!")->click();
    EXPECT_FALSE(window.isVisible());
    EXPECT_TRUE(other.isVisible());
}

// The onboarding window is 800 by 670, and the texts shown on this desktop
// are longer than their sources: with either, the page fits that width, every
// text wraps inside it, the tour's pictures shrink with their proportions
// kept, and step 4 is in view beside one scroll bar, the tour's.
TEST_F(OnboardingTest, InItsWindowNothingIsCutAtTheSideAndStep4IsInViewBesideOneScrollBar)
{
    for (const bool shownTexts : { false, true }) {
        SCOPED_TRACE(shownTexts ? "texts as shown here" : "source texts");
        // Installed for this round only: it leaves with its page.
        ShownTextTranslator translator;
        if (shownTexts)
            QCoreApplication::installTranslator(&translator);
        QWidget window;
        window.resize(800, 670);
        auto* layout = new QVBoxLayout(&window);
        layout->setContentsMargins(0, 0, 0, 0);
        layout->addWidget(new Onboarding(state, quietChecks(script), onboardingServices(script)));
        window.show();
        QCoreApplication::processEvents();
        const auto globalRect
            = [](const QWidget* w) { return QRect(w->mapToGlobal(QPoint(0, 0)), w->size()); };
        EXPECT_EQ(window.width(), 800) << "the page does not widen its window";

        auto* page = window.findChild<QScrollArea*>(QStringLiteral("onboardingPage"));
        ASSERT_TRUE(page);
        const QRect seen = globalRect(page->viewport());
        EXPECT_LE(page->widget()->width(), page->viewport()->width()) << "nothing scrolls sideways";
        for (QWidget* part : page->widget()->findChildren<QWidget*>()) {
            auto* label = qobject_cast<QLabel*>(part);
            if (!part->isVisible() || !(label || qobject_cast<QAbstractButton*>(part)))
                continue;
            const QRect at = globalRect(part);
            const std::string what = (label ? label->text() : part->objectName()).toStdString();
            EXPECT_GE(at.left(), seen.left()) << what;
            EXPECT_LE(at.right(), seen.right()) << what;
            if (label && label->wordWrap()) {
                EXPECT_GE(label->height(), label->heightForWidth(label->width())) << what << " is cut";
            } else if (label) {
                EXPECT_GE(label->width(), label->sizeHint().width()) << what << " is cut";
            }
        }

        auto* tour = window.findChild<QScrollArea*>(QStringLiteral("featureTour"));
        ASSERT_TRUE(tour);
        EXPECT_LE(tour->height(), 350);
        EXPECT_GE(tour->height(), 160);
        EXPECT_TRUE(seen.contains(globalRect(tour))) << "the tour, its scroll bar included, fits the page";
        EXPECT_LE(tour->widget()->width(), tour->viewport()->width());
        const QRect tourSeen = globalRect(tour->viewport());
        for (const TourSection& section : tourSections()) {
            for (const auto& row : section.rows) {
                for (const TourImage& image : row) {
                    auto* picture = tour->findChild<QWidget*>(image.name);
                    ASSERT_TRUE(picture) << image.name.toStdString();
                    const QRect at = globalRect(picture);
                    EXPECT_TRUE(at.left() >= tourSeen.left() && at.right() <= tourSeen.right())
                        << image.name.toStdString() << " is cut at the side";
                    const QSize frame = tourImageFrame(image, tourPicture(image.name).size());
                    EXPECT_NEAR(
                        double(at.width()) / at.height(), double(frame.width()) / frame.height(), 0.02)
                        << image.name.toStdString() << " keeps its proportions";
                }
            }
        }

        // Everything in view at once: the tour scrolls within itself, and
        // that is the one scroll bar.
        auto* step4
            = page->findChild<QPushButton*>(QCoreApplication::translate("QWidget", OnboardingTexts::step4));
        ASSERT_TRUE(step4);
        EXPECT_TRUE(seen.contains(globalRect(step4))) << "step 4 is in view without scrolling";
        int bars = 0;
        for (const QScrollBar* bar : window.findChildren<QScrollBar*>())
            bars += bar->orientation() == Qt::Vertical && bar->isVisible() ? 1 : 0;
        EXPECT_EQ(bars, 1);
        EXPECT_FALSE(page->verticalScrollBar()->isVisible());
    }
}

TEST(FeatureTour, SectionsFeatureLinesAndDividersInOrder)
{
    QStringList titles;
    QStringList withDivider;
    for (const TourSection& section : tourSections()) {
        titles << section.title;
        if (section.greyDivider)
            withDivider << section.title;
    }
    EXPECT_EQ(titles,
        (QStringList { "What are the differences between OrbitShelf and the native macOS Dock?",
            "Option + Tab", "Customizable Settings", "Plugins", "Binding Hotkey" }));
    EXPECT_EQ(withDivider, (QStringList { "Option + Tab", "Binding Hotkey" }));
    EXPECT_EQ(tourFeatureLines().first(), "Features");
    EXPECT_EQ(tourFeatureLines()[4], "4 Powerfull Option-Tab Replace Command-Tab");
    EXPECT_EQ(tourFeatureLines().last(), "5 Binding hotkeys for every windows/app");

    std::unique_ptr<QWidget> tour(makeFeatureTour());
    EXPECT_EQ(tour->size(), QSize(880, 350));
    EXPECT_EQ(tour->findChildren<QFrame*>("greyDivider").size(), 2);
}

TEST(FeatureTour, ImagesKeepTheirProportionsInTheirFrames)
{
    struct Case {
        TourImage image;
        QSize natural;
        QSize frame;
        QRect drawn;
    };
    const Case cases[] = {
        { { "OptionTab", 600, std::nullopt }, QSize(1200, 600), QSize(600, 300), QRect(0, 0, 600, 300) },
        { { "macos-dock-demo-1", 400, 300 }, QSize(800, 800), QSize(400, 300), QRect(50, 0, 300, 300) },
        { { "option-demo-1", 400, 200 }, QSize(400, 100), QSize(400, 200), QRect(0, 50, 400, 100) },
        { { "missing", 600, std::nullopt }, QSize(), QSize(600, 600), QRect() },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.image.name.toStdString());
        const QSize frame = tourImageFrame(c.image, c.natural);
        EXPECT_EQ(frame, c.frame);
        EXPECT_EQ(tourImageRect(frame, c.natural), c.drawn);
    }
    for (const TourSection& section : tourSections())
        for (const auto& row : section.rows)
            for (const TourImage& image : row)
                EXPECT_FALSE(tourPicture(image.name).isNull()) << image.name.toStdString();
}

} // namespace
