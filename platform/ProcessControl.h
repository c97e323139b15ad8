#pragma once

#include <QtGlobal>

namespace platform {

// Asks a process to end the polite way (SIGTERM), as a desktop does when the
// user quits an application: it may save, ask, or refuse. Returns false when
// the request could not be delivered (no such process, not ours, pid 0 or
// below, or our own process). Whether it actually ends is learnt from the
// workspace's quit notice.
bool requestTermination(qint32 pid);

} // namespace platform
