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

struct Ask {
    const char* message;
    const char* informative;
    int owner; // 0: none; 1: a widget of the settings window; 2: that window; 3: the quit window
    bool closeOpenFirst = false;
};
struct DedupeCase {
    const char* name;
    std::vector<Ask> asks;
    int open;
};
class AlertDedupe : public AlertBoxes, public ::testing::WithParamInterface<DedupeCase> { };

TEST_P(AlertDedupe, TheSameAlertAskedForAgainIsTheOneOpen)
{
    const DedupeCase& c = GetParam();
    settings.show();
    quit.show();
    QWidget* const owners[] = { nullptr, settingsField, &settings, &quit };
    for (const Ask& ask : c.asks) {
        if (ask.closeOpenFirst)
            for (QMessageBox* box : openBoxes())
                answer(box);
        QMessageBox* box = openAlertBox(
            QString::fromUtf8(ask.message), QString::fromUtf8(ask.informative), owners[ask.owner]);
        ASSERT_TRUE(box);
        EXPECT_TRUE(box->isVisible()) << "the box asked for is the one shown";
    }
    EXPECT_EQ(openBoxes().size(), c.open);
}
INSTANTIATE_TEST_SUITE_P(AlertBox, AlertDedupe,
    ::testing::Values(DedupeCase { "FiveClicksOnTheLauncherLeaveOne",
                          { { "No launcher", "Install one", 0 }, { "No launcher", "Install one", 0 },
                              { "No launcher", "Install one", 0 }, { "No launcher", "Install one", 0 },
                              { "No launcher", "Install one", 0 } },
                          1 },
        DedupeCase { "OtherDetailsAreAnotherAlert",
            { { "Update check failed", "timed out", 0 }, { "Update check failed", "refused", 0 } }, 2 },
        DedupeCase { "AskedAgainOnceClosedOpensAgain",
            { { "No launcher", "Install one", 0 }, { "No launcher", "Install one", 0, true } }, 1 },
        DedupeCase { "OverAWindowAndOverNoneAreTwo",
            { { "Not sent", "", 0 }, { "Not sent", "", 3 }, { "Not sent", "", 3 } }, 2 },
        DedupeCase {
            "TwoWidgetsOfOneWindowShareItsAlert", { { "Not sent", "", 1 }, { "Not sent", "", 2 } }, 1 }),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(AlertBoxes, AnAlertOfNoWindowBlocksNothingAndStaysAboveOtherWindows)
{
    installMessageBoxAlerts();
    settings.show();
    // exec() would not return before the box was answered.
    showAlert(QStringLiteral("No application launcher found"), QStringLiteral("Install one."));
    const QList<QMessageBox*> boxes = openBoxes();
    ASSERT_EQ(boxes.size(), 1);
    QMessageBox* box = boxes.first();
    EXPECT_EQ(box->text(), QStringLiteral("No application launcher found"));
    EXPECT_EQ(box->informativeText(), QStringLiteral("Install one."));
    EXPECT_EQ(box->windowModality(), Qt::NonModal);
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
    EXPECT_TRUE(box->windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    EXPECT_EQ(box->parentWidget(), nullptr);
    answer(box);
    EXPECT_TRUE(openBoxes().isEmpty());
}

TEST_F(AlertBoxes, AMinimisedAlertAskedForAgainComesBack)
{
    QMessageBox* box = openAlertBox(QStringLiteral("No application launcher found"), QString());
    box->showMinimized();
    ASSERT_TRUE(box->isMinimized());
    EXPECT_EQ(openAlertBox(QStringLiteral("No application launcher found"), QString()), box);
    EXPECT_FALSE(box->isMinimized());
    EXPECT_EQ(openBoxes().size(), 1);
}

TEST_F(AlertBoxes, AnAlertOfAWindowIsModalToThatWindowAlone)
{
    settings.show();
    QMessageBox* box
        = openAlertBox(QStringLiteral("Your feedback could not be sent."), QString(), settingsField);
    EXPECT_EQ(box->parentWidget(), &settings);
    EXPECT_EQ(box->windowModality(), Qt::WindowModal);
    EXPECT_FALSE(box->windowFlags().testFlag(Qt::WindowStaysOnTopHint)) << "its window keeps it in front";
}

TEST_F(AlertBoxes, AlertsFromAnotherThreadOpenOnTheMainThreadOnce)
{
    installMessageBoxAlerts();
    std::unique_ptr<QThread> thread(QThread::create([] {
        for (int i = 0; i < 3; ++i)
            showAlert(QStringLiteral("The clipboard item could not be deleted."), QStringLiteral("busy"));
    }));
    thread->start();
    ASSERT_TRUE(thread->wait(5000));
    EXPECT_TRUE(openBoxes().isEmpty()) << "shown on the main thread's next turn";
    QCoreApplication::processEvents();
    EXPECT_EQ(openBoxes().size(), 1);
}

TEST_F(AlertBoxes, WaitingForTheAlertsEndsWithTheLastOneClosed)
{
    waitUntilAlertsClosed(); // none open: returns at once
    QMessageBox* first = openAlertBox(QStringLiteral("Container load failed: not a database"), QString());
    QPointer<QMessageBox> second;
    bool secondAnswered = false;
    // While the first is open, another comes; the wait ends only once both
    // are closed, whichever goes first. The timers end with the fixture.
    QTimer::singleShot(0, &settings, [&] {
        second = openAlertBox(QStringLiteral("Another"), QString());
        answer(first);
    });
    QTimer::singleShot(20, &settings, [&] {
        ASSERT_TRUE(second);
        answer(second);
        secondAnswered = true;
    });
    QTimer giveUp;
    giveUp.setSingleShot(true);
    QObject::connect(&giveUp, &QTimer::timeout, [] {
        ADD_FAILURE() << "still waiting after 5 s";
        for (QMessageBox* box : openBoxes())
            box->close();
    });
    giveUp.start(5000);
    waitUntilAlertsClosed();
    EXPECT_TRUE(secondAnswered) << "the wait ended while the second alert was open";
    EXPECT_TRUE(openBoxes().isEmpty());
}

} // namespace
