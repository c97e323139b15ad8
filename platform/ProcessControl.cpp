#include "platform/ProcessControl.h"

#include "platform/Logging.h"

#include <QCoreApplication>

#include <cerrno>
#include <cstring>
#include <signal.h>

namespace platform {

bool requestTermination(qint32 pid)
{
    // kill(0) or kill(-n) would signal whole process groups, our own included.
    if (pid <= 0 || pid == qint32(QCoreApplication::applicationPid()))
        return false;
    if (::kill(pid, SIGTERM) != 0) {
        qCWarning(lcPlatform) << "could not ask process" << pid << "to end:" << std::strerror(errno);
        return false;
    }
    return true;
}

} // namespace platform
