#include "state/SleepWatcher.h"

#include "state/Logging.h"
#include "platform/WakeMonitor.h"

#include <QDBusConnection>
#include <QLoggingCategory>

#include <gtest/gtest.h>

#include <memory>

namespace {

// logind's signal as the monitor receives it; no bus is needed.
void prepareForSleep(platform::WakeMonitor& monitor, bool sleeping)
{
    QMetaObject::invokeMethod(&monitor, "prepareForSleep", Qt::DirectConnection, Q_ARG(bool, sleeping));
}

} // namespace

TEST(SleepWatcher, OneLinePerNoticeAndNoneAfterRelease)
{
    struct Step {
        const char* name;
        bool sleeping;
        bool released;
        const char* printed;
    };
    const Step steps[] = {
        { "sleep", true, false, "[custom] -  systemWillSleep\n" },
        { "wake", false, false, "[custom] -  systemDidWake\n" },
        { "sleepAfterRelease", true, true, "" },
        { "wakeAfterRelease", false, true, "" },
    };
    QLoggingCategory::setFilterRules(QStringLiteral("orbitshelf.custom.debug=true"));
    platform::WakeMonitor monitor(QDBusConnection(QStringLiteral("no bus")), nullptr);
    auto watcher = std::make_unique<SleepWatcher>(monitor);
    for (const Step& step : steps) {
        if (step.released)
            watcher.reset();
        testing::internal::CaptureStdout();
        prepareForSleep(monitor, step.sleeping);
        EXPECT_EQ(testing::internal::GetCapturedStdout(), step.printed) << step.name;
    }
    QLoggingCategory::setFilterRules(QString());
}
