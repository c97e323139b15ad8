#include "apps/AppModelLog.h"

#include <QLoggingCategory>

Q_LOGGING_CATEGORY(lcAppModel, "orbitshelf.apps")
