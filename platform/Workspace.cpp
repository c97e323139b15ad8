// Gives the Workspace interface (a QObject with signals) its moc output.
#include "platform/Workspace.h"
