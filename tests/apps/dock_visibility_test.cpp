#include "state/AppState.h"
#include "apps/DockVisibility.h"
#include "tests/support/TempStores.h"

#include "tests/support/ChangeCounter.h"
#include <QCoreApplication>
#include <gtest/gtest.h>

using orbitshelf::test::TempUserDefaults;

namespace {
class DockVisibility : public ::testing::Test {
protected:
    void SetUp() override { AppState::shared().showSpaceDock.clear(); }
    TempUserDefaults defaults;
    CustomSettings settings;
    AppState& state = AppState::shared();
};
} // namespace

TEST_F(DockVisibility, SetsBothMapsOppositeForTheScreenOnly)
{
    settings.setAutoHideSpaceDock({ { QStringLiteral("Optional(B)"), QStringLiteral("true") } });
    state.showSpaceDock.insert(QStringLiteral("Optional(B)"), false);

    orbitshelf::test::ChangeCounter spy(state);
    applySpaceDockAutoHide(true, QStringLiteral("Optional(A)"));
    EXPECT_EQ(spy.count, 1) << "the bars are told";
    EXPECT_EQ(settings.autoHideSpaceDock().value(QStringLiteral("Optional(A)")), QStringLiteral("true"));
    EXPECT_EQ(state.showSpaceDock.value(QStringLiteral("Optional(A)")), false);

    applySpaceDockAutoHide(false, QStringLiteral("Optional(A)"));
    EXPECT_EQ(settings.autoHideSpaceDock().value(QStringLiteral("Optional(A)")), QStringLiteral("false"));
    EXPECT_EQ(state.showSpaceDock.value(QStringLiteral("Optional(A)")), true);

    EXPECT_EQ(settings.autoHideSpaceDock().value(QStringLiteral("Optional(B)")), QStringLiteral("true"));
    EXPECT_EQ(state.showSpaceDock.value(QStringLiteral("Optional(B)")), false);
    EXPECT_EQ(settings.autoHideSpaceDock().size(), 2);

    // The queued form runs on the main thread later.
    setSpaceDockAutoHide(QStringLiteral("Optional(C)"), true);
    EXPECT_FALSE(state.showSpaceDock.contains(QStringLiteral("Optional(C)")));
    QCoreApplication::processEvents();
    EXPECT_EQ(state.showSpaceDock.value(QStringLiteral("Optional(C)"), true), false);
    EXPECT_EQ(settings.autoHideSpaceDock().value(QStringLiteral("Optional(C)")), QStringLiteral("true"));
}
