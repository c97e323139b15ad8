#include "platform/x11/X11Platform.h"

namespace platform::x11 {

std::unique_ptr<Platform> createX11Platform(QString* error)
{
    if (error)
        *error = QStringLiteral("The X11 platform is not built yet.");
    return nullptr;
}

quint64 x11RoundTrips() { return 0; }

} // namespace platform::x11
