#include "dock/DockLog.h"

Q_LOGGING_CATEGORY(lcDock, "orbitshelf.dock")
