#include "app/ShellGlobals.h"

QString& mainDockScreenID()
{
    static QString id;
    return id;
}
