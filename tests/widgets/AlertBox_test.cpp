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
    // A window of ours with a widget inside.
    QWidget settings;
    QWidget* settingsField = new QWidget(&settings);
};

// Texts and window are what make an alert the same.
TEST_F(AlertBoxes, TheSameAlertAskedForAgainIsTheOneOpen)
{
    settings.show();
    const auto ask = [](const char* informative, QWidget* owner = nullptr) {
        QMessageBox* box = openAlertBox(QStringLiteral("No launcher"), QString::fromUtf8(informative), owner);
        EXPECT_TRUE(box && box->isVisible() && !box->isMinimized()) << "the box asked for is the one shown";
        return box;
    };
    for (int click = 0; click < 5; ++click)
        ask("Install one");
    EXPECT_EQ(openBoxes().size(), 1);
    openBoxes().first()->showMinimized();
    ask("Install one"); // comes back
    EXPECT_EQ(openBoxes().size(), 1);
    ask("refused");
    QMessageBox* owned = ask("Install one", settingsField);
    EXPECT_EQ(owned->windowModality(), Qt::WindowModal) << "modal to its window alone";
    EXPECT_EQ(ask("Install one", &settings), owned) << "two widgets of one window share its alert";
    EXPECT_EQ(openBoxes().size(), 3);
}

TEST_F(AlertBoxes, FromAnyThreadAnOwnerlessAlertOpensOnceAboveBlockingNothing)
{
    installMessageBoxAlerts();
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
