#include "platform/Logging.h"

Q_LOGGING_CATEGORY(lcPlatform, "orbitshelf.platform")
