#include "app/Logging.h"

Q_LOGGING_CATEGORY(lcApp, "orbitshelf.app")
Q_LOGGING_CATEGORY(lcStore, "orbitshelf.store")
