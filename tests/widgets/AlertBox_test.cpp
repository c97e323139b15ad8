// The program's alerts, offscreen: none waits for an answer, none blocks
// another window, and the same alert asked for again is the one open.
#include "widgets/AlertBox.h"

#include "state/Alerts.h"

#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>
#include <QPointer>
#include <QThread>
#include <QTimer>
#include <QWidget>

#include <gtest/gtest.h>

#include <memory>
#include <vector>

namespace {

QList<QMessageBox*> openBoxes()
{
    QList<QMessageBox*> boxes;
    for (QWidget* window : QApplication::topLevelWidgets())
        if (auto* box = qobject_cast<QMessageBox*>(window); box && box->isVisible())
            boxes << box;
    return boxes;
}

// As the user does: the box's one button.
void answer(QMessageBox* box)
{
    ASSERT_EQ(box->buttons().size(), 1);
    EXPECT_EQ(box->buttons().first()->text(), QStringLiteral("ok"));
    box->buttons().first()->click();
}

class AlertBoxes : public ::testing::Test {
protected:
    void TearDown() override
    {
        for (QMessageBox* box : openBoxes())
            box->close();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        setDefaultAlertPresenter({});
    }
    // Two windows of ours, each with a widget inside.
    QWidget settings;
    QWidget* settingsField = new QWidget(&settings);
    QWidget quit;
};

enum class Before { nothing, answerOpen, minimiseOpen };
struct Ask {
    const char* informative;
    int owner; // 0: none; 1: a widget of the settings window; 2: that window; 3: the quit window
    Before before = Before::nothing;
};
struct DedupeCase {
    const char* name;
    std::vector<Ask> asks;
    int open;
};
class AlertDedupe : public AlertBoxes, public ::testing::WithParamInterface<DedupeCase> { };

TEST_P(AlertDedupe, TheSameAlertAskedForAgainIsTheOneOpen)
{
    settings.show();
    quit.show();
    QWidget* const owners[] = { nullptr, settingsField, &settings, &quit };
    for (const Ask& ask : GetParam().asks) {
        for (QMessageBox* box : openBoxes())
            if (ask.before == Before::answerOpen)
                answer(box);
            else if (ask.before == Before::minimiseOpen)
                box->showMinimized();
        QMessageBox* box = openAlertBox(
            QStringLiteral("No launcher"), QString::fromUtf8(ask.informative), owners[ask.owner]);
        ASSERT_TRUE(box);
        EXPECT_TRUE(box->isVisible() && !box->isMinimized()) << "the box asked for is the one shown";
    }
    EXPECT_EQ(openBoxes().size(), GetParam().open);
}
INSTANTIATE_TEST_SUITE_P(AlertBox, AlertDedupe,
    ::testing::Values(
        DedupeCase { "FiveClicksOnTheLauncherLeaveOne", std::vector<Ask>(5, { "Install one", 0 }), 1 },
        DedupeCase { "OtherDetailsAreAnotherAlert", { { "timed out", 0 }, { "refused", 0 } }, 2 },
        DedupeCase { "AskedAgainOnceClosedOpensAgain", { { "", 0 }, { "", 0, Before::answerOpen } }, 1 },
        DedupeCase { "AMinimisedOneAskedAgainComesBack", { { "", 0 }, { "", 0, Before::minimiseOpen } }, 1 },
        DedupeCase { "OverAWindowAndOverNoneAreTwo", { { "", 0 }, { "", 3 }, { "", 3 } }, 2 },
        DedupeCase { "TwoWidgetsOfOneWindowShareItsAlert", { { "", 1 }, { "", 2 } }, 1 }),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(AlertBoxes, FromAnyThreadAnOwnerlessAlertOpensOnceAboveBlockingNothingAnOwnedOneIsWindowModal)
{
    installMessageBoxAlerts();
    settings.show();
    // Asked for three times off the main thread: shown once, on its next turn.
    std::unique_ptr<QThread> thread(QThread::create([] {
        for (int i = 0; i < 3; ++i)
            showAlert(QStringLiteral("No application launcher found"), QStringLiteral("Install one."));
    }));
    thread->start();
    ASSERT_TRUE(thread->wait(5000));
    EXPECT_TRUE(openBoxes().isEmpty());
    QCoreApplication::processEvents();
    ASSERT_EQ(openBoxes().size(), 1);
    QMessageBox* box = openBoxes().first();
    EXPECT_EQ(box->informativeText(), QStringLiteral("Install one."));
    EXPECT_EQ(box->windowModality(), Qt::NonModal);
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
    EXPECT_TRUE(box->windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    answer(box);

    box = openAlertBox(QStringLiteral("Your feedback could not be sent."), QString(), settingsField);
    EXPECT_EQ(box->parentWidget(), &settings);
    EXPECT_EQ(box->windowModality(), Qt::WindowModal);
    EXPECT_FALSE(box->windowFlags().testFlag(Qt::WindowStaysOnTopHint)) << "its window keeps it in front";
}

TEST_F(AlertBoxes, WaitingForTheAlertsEndsWithTheLastOneClosed)
{
    waitUntilAlertsClosed(); // none open: returns at once
    QMessageBox* first = openAlertBox(QStringLiteral("Container load failed: not a database"), QString());
    QPointer<QMessageBox> second;
    // Another comes while the first is open and outlives it. The timers end with the fixture.
    QTimer::singleShot(0, &settings, [&] {
        second = openAlertBox(QStringLiteral("Another"), QString());
        answer(first);
    });
    QTimer::singleShot(20, &settings, [&] {
        ASSERT_TRUE(second);
        answer(second);
    });
    QTimer::singleShot(5000, &settings, [] {
        ADD_FAILURE() << "still waiting after 5 s";
        for (QMessageBox* box : openBoxes())
            box->close();
    });
    waitUntilAlertsClosed();
    EXPECT_TRUE(!second || !second->isVisible()) << "the wait ended while the second alert was open";
    EXPECT_TRUE(openBoxes().isEmpty());
}

} // namespace
