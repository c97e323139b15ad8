#include "app/EventManager.h"

#include <gtest/gtest.h>

#include <QStringList>

namespace {
// A bus of its own per test: the shared one is process-wide.
class EventBus : public ::testing::Test {
protected:
    EventManager bus;
    QStringList calls;
    EventManager::Handler record(const QString& tag)
    {
        return [this, tag](const Event& e) {
            calls << tag + QLatin1Char(':') + e.name + QLatin1Char('=') + e.data.toString();
        };
    }
};
} // namespace

TEST_F(EventBus, HandlersRunInSubscriptionOrderOnlyForTheirName)
{
    bus.emitEvent(QStringLiteral("option"), 1);
    EXPECT_TRUE(bus.events.isEmpty()) << "an unknown name creates no entry";
    bus.subscribe(QStringLiteral("option"), record(QStringLiteral("a")));
    bus.subscribe(QStringLiteral("onkeyDown"), record(QStringLiteral("other")));
    bus.subscribe(QStringLiteral("option"), record(QStringLiteral("b")));
    auto twice = record(QStringLiteral("twice"));
    bus.subscribe(QStringLiteral("option"), twice);
    bus.subscribe(QStringLiteral("option"), twice);
    bus.emitEvent(QStringLiteral("option"), QVariant::fromValue<quint16>(58));
    EXPECT_EQ(calls, (QStringList { "a:option=58", "b:option=58", "twice:option=58", "twice:option=58" }));
}

TEST_F(EventBus, ChangesToTheListDuringAnEmitTakeEffectFromTheNextEmit)
{
    bus.subscribe(QStringLiteral("onInit"), [this](const Event&) {
        calls << QStringLiteral("first");
        bus.subscribe(QStringLiteral("onInit"), record(QStringLiteral("late")));
    });
    bus.subscribe(
        QStringLiteral("option"), [this](const Event&) { bus.events[QStringLiteral("option")].clear(); });
    bus.subscribe(QStringLiteral("option"), record(QStringLiteral("second")));
    bus.emitEvent(QStringLiteral("onInit"), 1);
    bus.emitEvent(QStringLiteral("option"), 1);
    EXPECT_EQ(calls, (QStringList { "first", "second:option=1" })) << "a cleared list does not cut the emit short";
    calls.clear();
    bus.emitEvent(QStringLiteral("onInit"), 1);
    EXPECT_EQ(calls, (QStringList { "first", "late:onInit=1" }));
}

TEST_F(EventBus, StoringAnEmptyListThenSubscribingLeavesExactlyOneHandler)
{
    for (int round = 0; round < 3; ++round) {
        bus.events[QStringLiteral("onDestroy")] = {};
        bus.subscribe(QStringLiteral("onDestroy"), record(QString::number(round)));
    }
    bus.emitEvent(QStringLiteral("onDestroy"), 1);
    EXPECT_EQ(calls, QStringList { "2:onDestroy=1" });
}

#include "shell/AppCenterApplication.h"

#include <stdexcept>

TEST(EventDispatch, AnExceptionFromAHandlerIsReportedAndTheLoopGoesOn)
{
    EXPECT_TRUE(guardedDispatch([] { return true; }));
    EXPECT_FALSE(guardedDispatch([]() -> bool { throw std::runtime_error("view handler failed"); }));
    EXPECT_THROW(guardedDispatch([]() -> bool { throw 42; }), int);
}
