#pragma once

#include "platform/Platform.h"

#include <QObject>

namespace orbitshelf::test {

// The X11 layer of this program on its private display, made on first use,
// and the thread its observers deliver on. Both live until the last test.
platform::Platform& x11();
QObject* x11RunLoop();

} // namespace orbitshelf::test
