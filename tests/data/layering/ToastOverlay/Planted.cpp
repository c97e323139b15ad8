// A kit that knows the app.
#include "ToastOverlay/Planted.h"
#include "state/AppState.h"
