#include "shell/AppCenterApplication.h"

#include "state/Logging.h"

#include <exception>

AppCenterApplication::AppCenterApplication(int& argc, char** argv)
    : QApplication(argc, argv)
{
}

bool AppCenterApplication::notify(QObject* receiver, QEvent* event)
{
    return guardedDispatch([&] { return QApplication::notify(receiver, event); });
}

bool guardedDispatch(const std::function<bool()>& dispatch)
{
    try {
        return dispatch();
    } catch (const std::exception& error) {
        qCCritical(lcApp) << "an event handler failed:" << error.what();
        return false;
    }
}
