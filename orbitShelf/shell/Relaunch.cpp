#include "shell/Relaunch.h"

#include "app/Logging.h"
#include "app/Utilities.h"

#include <QCoreApplication>
#include <QProcess>

bool startDetachedProcess(const QString& program, const QStringList& arguments, QString* error)
{
    QProcess process;
    process.setProgram(program);
    process.setArguments(arguments);
    process.setStandardInputFile(QProcess::nullDevice());
    qint64 pid = 0;
    if (process.startDetached(&pid))
        return true;
    if (error)
        *error = process.errorString();
    return false;
}

bool relaunchApp(const DetachedStarter& start, const std::function<void()>& quit)
{
    const QString program = QCoreApplication::applicationFilePath();
    const QStringList arguments = QCoreApplication::arguments().mid(1);
    QString error;
    const bool started
        = start ? start(program, arguments, &error) : startDetachedProcess(program, arguments, &error);
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
