#include "state/Globals.h"

QString& mainDockScreenID()
{
    static QString id;
    return id;
}
