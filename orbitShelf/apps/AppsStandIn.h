#pragma once

// The event thread has landed; this header stays only for the launch
// routine's include until the integrator drops it.
#include "apps/AXEventThread.h"
