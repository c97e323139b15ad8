// The model picking the X11 layer itself; reading state below it is fine.
#include "state/AppState.h"
#include "platform/Platform.h"
#include "platform/x11/X11Platform.h"
