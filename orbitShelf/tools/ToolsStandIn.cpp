#include "tools/ToolsStandIn.h"

#include <QLabel>
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

void captureClipboard()
{
    qCDebug(lcToolsStandIn) << "captureClipboard: the clipboard history is not built yet; nothing stored";
}

QWidget* makePasteBoardView(std::optional<int> column, int limit)
{
    auto* view = new QLabel(QStringLiteral("The clipboard history is not available in this build."));
    view->setAlignment(Qt::AlignCenter);
    view->setProperty("column", column ? QVariant(*column) : QVariant());
    view->setProperty("limit", limit);
    return view;
}
