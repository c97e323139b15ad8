#include "tools/ToolsStandIn.h"

#include <QLoggingCategory>

static Q_LOGGING_CATEGORY(lcToolsStandIn, "orbitshelf.tools")

void recordPomodoroRun()
{
    static bool logged = false;
    if (!logged) {
        logged = true;
        qCDebug(lcToolsStandIn) << "recordPomodoroRun: the Pomodoro tool is not built yet; nothing resumed";
    }
}

bool pomodoroRunning = false;
qint64 pomodoroTicks = 0;
qint64 pomodoroLastElapsed = 0;
bool pomodoroViewVisible = false;
