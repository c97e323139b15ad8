// The program's alerts, offscreen: none waits for an answer, none blocks
// another window, and the same alert asked for again is the one open.
#include "widgets/AlertBox.h"

#include "state/Alerts.h"

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

void closeAlertBoxes()
{
    for (QMessageBox* box : openBoxes())
        box->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

class AlertBoxes : public ::testing::Test {
protected:
    void TearDown() override
    {
        closeAlertBoxes();
        setDefaultAlertPresenter({});
    }
    // Two windows of ours, each with a widget inside.
    QWidget settings;
    QWidget* settingsField = new QWidget(&settings);
    QWidget quit;
};

TEST_F(AlertBoxes, TheSameAlertAskedForAgainIsTheOneOpen)
{
    settings.show();
    quit.show();
    QWidget* const owners[] = { nullptr, settingsField, &settings, &quit };
    struct Ask {
        const char* informative;
        int owner; // an index into owners
        bool minimiseOpen = false;
    };
    const struct {
        const char* name;
        std::vector<Ask> asks;
        int open;
    } rows[] = {
        { "five clicks on the launcher leave one", std::vector<Ask>(5, { "Install one", 0 }), 1 },
        { "other details are another alert", { { "timed out", 0 }, { "refused", 0 } }, 2 },
        { "a minimised one asked again comes back", { { "", 0 }, { "", 0, true } }, 1 },
        { "over a window and over none are two", { { "", 0 }, { "", 3 }, { "", 3 } }, 2 },
        { "two widgets of one window share its alert", { { "", 1 }, { "", 2 } }, 1 },
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        for (const Ask& ask : row.asks) {
            for (QMessageBox* box : openBoxes())
                if (ask.minimiseOpen)
                    box->showMinimized();
            QMessageBox* box = openAlertBox(
                QStringLiteral("No launcher"), QString::fromUtf8(ask.informative), owners[ask.owner]);
            ASSERT_TRUE(box);
            EXPECT_TRUE(box->isVisible() && !box->isMinimized()) << "the box asked for is the one shown";
        }
        EXPECT_EQ(openBoxes().size(), row.open);
        closeAlertBoxes();
    }
}

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
    QCoreApplication::processEvents();
    ASSERT_EQ(openBoxes().size(), 1);
    QMessageBox* box = openBoxes().first();
    EXPECT_EQ(box->windowModality(), Qt::NonModal);
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
    EXPECT_TRUE(box->windowFlags().testFlag(Qt::WindowStaysOnTopHint));

    box = openAlertBox(QStringLiteral("Your feedback could not be sent."), QString(), settingsField);
    EXPECT_EQ(box->parentWidget(), &settings);
    EXPECT_EQ(box->windowModality(), Qt::WindowModal);
}

TEST_F(AlertBoxes, WaitingForTheAlertsEndsWithTheLastOneClosed)
{
    waitUntilAlertsClosed(); // none open: returns at once
    QMessageBox* first = openAlertBox(QStringLiteral("Container load failed: not a database"), QString());
    QPointer<QMessageBox> second;
    // Another comes while the first is open and outlives it. The timers end with the fixture.
    QTimer::singleShot(0, &settings, [&] {
        second = openAlertBox(QStringLiteral("Another"), QString());
        first->close();
    });
    QTimer::singleShot(20, &settings, [&] { second->close(); });
    QTimer::singleShot(5000, &settings, [] {
        ADD_FAILURE() << "still waiting after 5 s";
        closeAlertBoxes();
    });
    waitUntilAlertsClosed();
    EXPECT_TRUE(openBoxes().isEmpty()) << "the wait ended while an alert was open";
}

} // namespace
