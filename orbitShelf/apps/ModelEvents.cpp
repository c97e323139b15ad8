#include "apps/ModelEvents.h"

ModelEvents& ModelEvents::shared()
{
    static ModelEvents* events = new ModelEvents;
    return *events;
}
