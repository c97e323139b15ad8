#include "widgets/FloatingPanel.h"
#include "tests/support/XvfbSession.h"

#include <QApplication>
#include <QLabel>
#include <gtest/gtest.h>

using orbitshelf::test::waitUntil;

namespace {

TEST(FloatingPanel, ViewsInsideFindThePanelOthersDoNot)
{
    auto* label = new QLabel("inside");
    FloatingPanel panel(label, QRect(100, 100, 200, 120), [](bool) {});
    QLabel outside("outside");
    EXPECT_EQ(FloatingPanel::floatingPanel(label), &panel);
    EXPECT_EQ(FloatingPanel::floatingPanel(&outside), nullptr);
    EXPECT_EQ(FloatingPanel::floatingPanel(nullptr), nullptr);
    EXPECT_TRUE(panel.windowFlags() & Qt::WindowStaysOnTopHint);
    EXPECT_TRUE(panel.windowFlags() & Qt::FramelessWindowHint);
}

TEST(FloatingPanel, EveryCloseTellsTheOwner)
{
    QList<bool> presented;
    FloatingPanel panel(new QLabel("x"), QRect(0, 0, 100, 100), [&](bool v) { presented << v; });
    panel.show();
    panel.close();
    EXPECT_FALSE(panel.isVisible());
    EXPECT_EQ(presented, QList<bool> { false });
    // A closed window gets no second close event from Qt: the flag stays false.
    panel.close();
    EXPECT_FALSE(panel.isVisible());
    EXPECT_EQ(presented, QList<bool> { false });
    panel.show();
    panel.close();
    EXPECT_EQ(presented, (QList<bool> { false, false }));
}

TEST(FloatingPanel, ClosesWhenAnotherWindowBecomesActive)
{
    bool presented = true;
    FloatingPanel panel(new QLabel("x"), QRect(0, 0, 100, 100), [&](bool v) { presented = v; });
    panel.show();
    panel.activateWindow();
    ASSERT_TRUE(waitUntil([&] { return panel.isActiveWindow(); }));

    QWidget other;
    other.show();
    other.activateWindow();
    EXPECT_TRUE(waitUntil([&] { return !panel.isVisible(); }));
    EXPECT_FALSE(presented);
}

} // namespace
