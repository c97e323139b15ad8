// The bar reaching into the shell; a feature below it and widgets outside its layout are fine.
#include "tools/PomodoroRun.h"
#include "shell/AppDelegate.h"
#include <QMenu>
