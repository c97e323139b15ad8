#include "state/QuitSaving.h"

QuitSaving& QuitSaving::shared()
{
    // Never destroyed: a receiver may go after the statics do.
    static QuitSaving* saving = new QuitSaving;
    return *saving;
}
