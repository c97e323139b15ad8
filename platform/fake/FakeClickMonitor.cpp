// Anchors the fake click monitor's meta-object in the fake platform library.
#include "platform/fake/FakeClickMonitor.h"
