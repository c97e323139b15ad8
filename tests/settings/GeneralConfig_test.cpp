// The settings window's tabs.
#include "settings/GeneralConfig.h"

#include "state/Persistence.h"
#include "tests/support/TempStores.h"

#include <QLayout>

#include <gtest/gtest.h>

using namespace orbitshelf::test;

TEST(GeneralConfig, SixTabsInOrderStartingOnGeneralWithTheFirstTwoPagesInset)
{
    TempUserDefaults defaults;
    if (!PersistenceController::hasShared()) {
        ASSERT_FALSE(PersistenceController::openShared());
    }
    const QStringList titles { "General", "Themes", "Shortcut", "Plugins", "Screens", "About" };
    const QStringList pages { "", "", "", "PluginsView", "ScreensView", "AboutView" };
    for (int round = 0; round < 2; ++round) {
        GeneralConfig config;
        config.resize(800, 600);
        config.show();
        ASSERT_EQ(config.count(), 6);
        EXPECT_EQ(config.currentIndex(), 0) << "every new settings content starts on General";
        for (int i = 0; i < config.count(); ++i) {
            EXPECT_EQ(config.tabText(i), titles[i]);
            QWidget* holder = config.widget(i);
            EXPECT_EQ(holder->layout()->contentsMargins().left(), i < 2 ? 10 : 0) << titles[i].toStdString();
            if (!pages[i].isEmpty()) {
                EXPECT_TRUE(holder->findChild<QWidget*>(pages[i])) << titles[i].toStdString();
            }
            config.setCurrentIndex(i);
            EXPECT_TRUE(holder->isVisible()) << titles[i].toStdString();
        }
    }
}
