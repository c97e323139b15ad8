// The bar reaching into the shell; using a feature below it is fine.
#include "tools/PomodoroRun.h"
#include "shell/AppDelegate.h"
