#include "platform/Workspace.h"

// The moc of Workspace.h lives with the platform library.
// (moc output is compiled through the library's mocs_compilation)
