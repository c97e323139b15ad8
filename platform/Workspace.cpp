// Gives the workspace interface its meta-object (its notices are signals).
#include "platform/Workspace.h"
