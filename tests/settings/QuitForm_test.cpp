// The quit dialog: what it sends, and when the program ends (virtual clock).
#include "settings/QuitForm.h"

#include "platform/fake/FakePlatform.h"
#include "platform/fake/FakeServices.h"
#include "tests/support/ManualQueue.h"

#include <gtest/gtest.h>

using namespace orbitshelf::test;

namespace {

struct QuitScript {
    ManualQueue clock;
    struct Sent {
        QString version, email, content;
    };
    std::vector<Sent> sent;
    std::function<void(bool, const QString&)> answer;
    QStringList tracked;
    QStringList alerts;
    std::function<void()> closeAlert; // set while an alert is open
    bool trusted = true;
    int trustChecks = 0;
    std::vector<double> quits;

    QuitServices services()
    {
        QuitServices s;
        s.sendFeedback = [this](const QString& v, const QString& e, const QString& c,
                             std::function<void(bool, const QString&)> done) {
            sent.push_back({ v, e, c });
            answer = std::move(done);
        };
        s.trackFeature = [this](const QString& f) { tracked << f; };
        s.accessibilityTrusted = [this] {
            ++trustChecks;
            return trusted;
        };
        s.screenCaptureAllowed = [] { return true; };
        s.deviceId = [] { return QStringLiteral("DEVICE-ID"); };
        s.version = [] { return QStringLiteral("1.2.3"); };
        s.after
            = [this](int ms, std::function<void()> run) { clock.asyncAfter(ms / 1000.0, std::move(run)); };
        s.alert = [this](const QString& m, const QString&, std::function<void()> closed) {
            alerts << m;
            closeAlert = std::move(closed);
        };
        s.quit = [this] { quits.push_back(clock.now()); };
        return s;
    }
};

} // namespace

TEST(QuitForm, UntouchedFormSendsTheDefaultReasonWithDiagnostics)
{
    for (const bool trusted : { true, false }) {
        QuitScript script;
        script.trusted = trusted;
        QuitForm form(script.services());
        EXPECT_EQ(form.buttonTitle(), QStringLiteral("Quit OrbitShelf And Send Feedback"));
        form.quitWithFeedback();
        ASSERT_EQ(script.sent.size(), 1u);
        EXPECT_EQ(script.sent[0].version, QStringLiteral("1.2.3"));
        EXPECT_EQ(script.sent[0].email, QString());
        EXPECT_EQ(script.sent[0].content,
            QStringLiteral(
                "The app didn't meet my expectations.DEVICE-ID-Accessability:%1;-ScreenRecord:True;")
                .arg(trusted ? "True" : "False"));
        EXPECT_EQ(script.tracked, QStringList { "QuitButtonInQuitView" });
    }
}

TEST(QuitForm, ThePlatformSaysWhetherTheProgramIsTrusted)
{
    platform::fake::FakePlatform fake;
    platform::install(platform::fake::services(&fake));
    fake.setTrusted(false);
    QuitScript script;
    QuitServices services = standardQuitServices();
    const QuitServices scripted = script.services();
    services.sendFeedback = scripted.sendFeedback;
    services.after = scripted.after;
    services.quit = scripted.quit;
    services.deviceId = scripted.deviceId;
    QuitForm form(services);
    form.quitWithFeedback();
    platform::uninstall();
    ASSERT_EQ(script.sent.size(), 1u);
    EXPECT_TRUE(
        script.sent[0].content.endsWith(QStringLiteral("DEVICE-ID-Accessability:False;-ScreenRecord:True;")))
        << script.sent[0].content.toStdString();
}

TEST(QuitForm, EmptyTextSendsNothingButStillTracksAndQuits)
{
    QuitScript script;
    QuitForm form(script.services());
    form.content.clear();
    EXPECT_EQ(form.buttonTitle(), QStringLiteral("Quit OrbitShelf"));
    form.quitWithFeedback();
    EXPECT_TRUE(script.sent.empty());
    EXPECT_EQ(script.trustChecks, 0);
    EXPECT_EQ(script.tracked, QStringList { "QuitButtonInQuitView" });
    script.clock.advance(0.49);
    EXPECT_TRUE(script.quits.empty());
    script.clock.advance(0.01);
    EXPECT_EQ(script.quits, (std::vector<double> { 0.5 }));
}

struct TimingCase {
    const char* name;
    double answerAt; // < 0: never answers
    bool ok;
    double quitAt;
    int alerts;
    double alertClosedAt = -1; // when the user closes the alert
};
class QuitTiming : public ::testing::TestWithParam<TimingCase> { };
TEST_P(QuitTiming, QuitsAfterTheAnswerWithinHalfToFiveSeconds)
{
    const auto& c = GetParam();
    QuitScript script;
    QuitForm form(script.services());
    form.quitWithFeedback();
    form.quitWithFeedback(); // a second press does nothing
    ASSERT_EQ(script.sent.size(), 1u);
    if (c.answerAt >= 0) {
        script.clock.advance(c.answerAt);
        script.answer(c.ok, QStringLiteral("refused"));
    }
    if (c.alertClosedAt >= 0) {
        script.clock.advance(c.alertClosedAt - script.clock.now());
        EXPECT_TRUE(script.quits.empty()) << "quit while the alert was open";
        ASSERT_TRUE(script.closeAlert);
        script.closeAlert();
    }
    script.clock.advance(10);
    EXPECT_EQ(script.quits, (std::vector<double> { c.quitAt }));
    EXPECT_EQ(script.alerts.size(), std::size_t(c.alerts));
    EXPECT_EQ(script.tracked.size(), 1);
}
INSTANTIATE_TEST_SUITE_P(QuitForm, QuitTiming,
    ::testing::Values(TimingCase { "FastAnswerWaitsHalfASecond", 0.1, true, 0.5, 0 },
        TimingCase { "SlowAnswerQuitsAtOnce", 2.0, true, 2.0, 0 },
        TimingCase { "FailedSendAlertsThenQuitsOnceItIsClosed", 1.0, false, 1.2, 1, 1.2 },
        TimingCase { "AnAlertClosedBeforeHalfASecondStillWaitsForIt", 0.1, false, 0.5, 1, 0.2 },
        TimingCase { "AnAlertOpenPastFiveSecondsHoldsTheQuit", 1.0, false, 7.0, 1, 7.0 },
        TimingCase { "NoAnswerGivesUpAtFiveSeconds", -1, true, 5.0, 0 }),
    [](const auto& info) { return std::string(info.param.name); });

TEST(QuitForm, ReasonsReplaceOnlyReasonsAndKeepTypedText)
{
    QuitScript script;
    QuitForm form(script.services());
    ASSERT_EQ(QuitForm::reasons().size(), 10);
    EXPECT_EQ(QuitForm::reasons().first(), QStringLiteral("no longer need this app."));
    form.selectQuitReason(QuitForm::defaultReason());
    EXPECT_FALSE(form.highLight) << "the reason already chosen changes nothing";
    form.selectQuitReason(QStringLiteral("The app runs slowly"));
    EXPECT_TRUE(form.highLight);
    EXPECT_EQ(form.content, QStringLiteral("The app runs slowly"));
    form.content = QStringLiteral("Too many windows.");
    form.selectQuitReason(QStringLiteral("The app has bugs"));
    EXPECT_EQ(form.content, QStringLiteral("The app has bugs\nToo many windows."));
    form.selectQuitReason(QStringLiteral("Others"));
    EXPECT_EQ(form.content, QStringLiteral("Others\nToo many windows."));
    form.content.clear();
    form.selectQuitReason(QStringLiteral("It's too expensive."));
    EXPECT_EQ(form.content, QStringLiteral("It's too expensive."));
}
