#pragma once

#include <QLoggingCategory>

// Categories of the application shell. Other subsystems declare their own
// next to their code (orbitshelf.dock, orbitshelf.apps …).
Q_DECLARE_LOGGING_CATEGORY(lcApp)
Q_DECLARE_LOGGING_CATEGORY(lcStore)
