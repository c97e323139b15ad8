#include "dock/DockLog.h"

// The bar's debug lines (its items and buttons, once per change) are for
// people and tests that ask for them with QT_LOGGING_RULES.
Q_LOGGING_CATEGORY(lcDock, "orbitshelf.dock", QtInfoMsg)
