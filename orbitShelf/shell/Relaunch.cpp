#include "shell/Relaunch.h"

#include "state/Alerts.h"
#include "state/Logging.h"
#include "shell/SingleInstance.h"

#include <QCoreApplication>
#include <QProcess>

namespace {

bool startDetached(const QString& program, const QStringList& arguments, QString* error,
    const QProcessEnvironment& environment)
{
    QProcess process;
    process.setProgram(program);
    process.setProcessEnvironment(environment);
    process.setArguments(arguments);
    process.setStandardInputFile(QProcess::nullDevice());
    qint64 pid = 0;
    if (process.startDetached(&pid))
        return true;
    if (error)
        *error = process.errorString();
    return false;
}

} // namespace

bool startDetachedProcess(const QString& program, const QStringList& arguments, QString* error)
{
    return startDetached(program, arguments, error, QProcessEnvironment::systemEnvironment());
}

bool startRelaunchedProcess(const QString& program, const QStringList& arguments, QString* error)
{
    // This process still holds the instance lock; the new one waits for it.
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QString::fromLatin1(kRelaunchEnvironment), QStringLiteral("1"));
    return startDetached(program, arguments, error, environment);
}

QStringList relaunchArguments(const QStringList& startedWith)
{
    // The onboarding window was asked for once, by that start: the restarted
    // program would open it again at every restart.
    QStringList arguments = startedWith;
    arguments.removeAll(QString::fromLatin1(kOnboardingWindowEvent));
    return arguments;
}

bool relaunchApp(const DetachedStarter& start, const std::function<void()>& quit)
{
    const QString program = QCoreApplication::applicationFilePath();
    const QStringList arguments = relaunchArguments(QCoreApplication::arguments().mid(1));
    QString error;
    const bool started
        = start ? start(program, arguments, &error) : startRelaunchedProcess(program, arguments, &error);
    if (!started) {
        qCWarning(lcApp) << "relaunch failed:" << program << error;
        showAlert(QStringLiteral("OrbitShelf could not restart itself."),
            QStringLiteral("Starting %1 failed: %2. OrbitShelf keeps running.").arg(program, error));
        return false;
    }
    qCInfo(lcApp) << "relaunched" << program << "- quitting this instance";
    if (quit)
        quit();
    else
        QCoreApplication::quit();
    return true;
}
