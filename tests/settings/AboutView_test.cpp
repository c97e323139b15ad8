// The "About" page: what the update check's answers show, the feedback
// link, the rows a build without addresses leaves out, the device id copy.
#include "settings/AboutView.h"

#include "network/Network.h"

#include <QApplication>
#include <QClipboard>
#include <QLabel>
#include <QMouseEvent>
#include <QPushButton>

#include <gtest/gtest.h>

namespace {

struct ScriptedCheck {
    int calls = 0;
    std::function<void(bool, const QString&)> success;
    std::function<void(const QString&)> failure;
    CheckUpdate check()
    {
        return [this](const QString&, std::function<void(bool, const QString&)> s,
                   std::function<void(const QString&)> f) {
            ++calls;
            success = std::move(s);
            failure = std::move(f);
        };
    }
};

const AboutInfo kInfo { QStringLiteral("0.1.0"), QStringLiteral("0F1E-2D"),
    QStringLiteral("https://example.org"), {}, QStringLiteral("https://t.example/orbit") };

bool hasLabelStarting(QWidget& view, const QString& text)
{
    for (QLabel* label : view.findChildren<QLabel*>())
        if (label->text().startsWith(text))
            return true;
    return false;
}

} // namespace

TEST(AboutView, StatusIsEmptyUntilAnAnswerThenSaysWhatTheServiceSaid)
{
    ScriptedCheck service;
    AboutView view(kInfo, service.check());
    EXPECT_TRUE(view.statusText().isEmpty());
    view.findChild<QPushButton*>(QStringLiteral("checkUpdate"))->click();
    ASSERT_EQ(service.calls, 1);
    EXPECT_TRUE(view.statusText().isEmpty()) << "nothing while the request runs";

    service.success(false, {});
    EXPECT_EQ(view.statusText(), QStringLiteral("Your app is at the newest version available"));
    EXPECT_EQ(view.model().status().kind, UpdateStatus::Kind::UpToDate);

    view.model().checkUpdate();
    service.failure(QStringLiteral("The web service could not be reached: timeout"));
    EXPECT_EQ(view.model().status().kind, UpdateStatus::Kind::Failed);
    EXPECT_EQ(view.statusText(), QStringLiteral("The web service could not be reached: timeout"));

    view.model().checkUpdate();
    service.success(true, QStringLiteral("https://example.org/get?a=1&b=2"));
    EXPECT_EQ(view.model().status().text, QStringLiteral("🔥 hasNewVersion , Go to Download "));
    EXPECT_EQ(view.model().updateUrl(), QStringLiteral("https://example.org/get?a=1&b=2"));
    EXPECT_EQ(view.statusText(),
        QStringLiteral(
            "<a href=\"https://example.org/get?a=1&amp;b=2\">🔥 hasNewVersion , Go to Download </a>"));
}

TEST(AboutView, WithoutAServiceCheckUpdateShowsTheFailureAndNoSuccess)
{
    AboutView view(kInfo, standardCheckUpdate());
    ASSERT_FALSE(Network::shared().isConfigured()) << "tests are built without a service";
    view.model().checkUpdate();
    for (int i = 0; i < 50 && view.statusText().isEmpty(); ++i)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    EXPECT_EQ(view.model().status().kind, UpdateStatus::Kind::Failed);
    EXPECT_EQ(view.statusText(), NetworkText::notConfigured);
}

TEST(AboutView, FeedbackLinkAndRowsFollowTheBuildsAddresses)
{
    EXPECT_EQ(feedbackAddress(kInfo), QStringLiteral("https://example.org/feedback/?version=0.1.0"));
    EXPECT_EQ(feedbackAddress({ QStringLiteral("1.2 beta"), {}, QStringLiteral("https://s"), {}, {} }),
        QStringLiteral("https://s/feedback/?version=1.2 beta"));
    EXPECT_TRUE(feedbackAddress({ QStringLiteral("1"), {}, {}, {}, {} }).isEmpty());

    AboutView full(kInfo, {});
    EXPECT_TRUE(full.findChild<QLabel*>(QStringLiteral("feedbackLink")));
    EXPECT_TRUE(hasLabelStarting(full, QStringLiteral("Telegram: https://t.example/orbit")));
    EXPECT_FALSE(hasLabelStarting(full, QStringLiteral("Contact Email: "))) << "no address, no row";
    EXPECT_TRUE(hasLabelStarting(full, QStringLiteral("Version: 0.1.0")));

    AboutView bare({ QStringLiteral("0.1.0"), {}, {}, {}, {} }, {});
    EXPECT_FALSE(bare.findChild<QLabel*>(QStringLiteral("feedbackLink")));
    EXPECT_FALSE(hasLabelStarting(bare, QStringLiteral("Telegram: ")));
}

TEST(AboutView, AClickOnTheDeviceRowCopiesTheBareId)
{
    AboutView view(kInfo, {});
    QApplication::clipboard()->setText(QStringLiteral("before"));
    auto* row = view.findChild<QLabel*>(QStringLiteral("deviceId"));
    ASSERT_TRUE(row);
    EXPECT_EQ(row->text(), QStringLiteral("Device UUID: 0F1E-2D"));
    QMouseEvent release(QEvent::MouseButtonRelease, QPointF(5, 5), row->mapToGlobal(QPointF(5, 5)),
        Qt::LeftButton, Qt::NoButton, Qt::NoModifier);
    QCoreApplication::sendEvent(row, &release);
    EXPECT_EQ(QApplication::clipboard()->text(), QStringLiteral("0F1E-2D"));
}
