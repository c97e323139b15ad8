#pragma once

#include "platform/Services.h"
#include "platform/fake/FakePlatform.h"

#include <memory>

namespace platform::fake {

// A piece a test keeps itself (a fixture member, a local) and lends to the
// installed services: releasing the services never ends its life, so the
// test uninstalls before the piece goes (FakePlatform does so itself).
template <typename Piece> std::shared_ptr<Piece> lent(Piece& piece)
{
    return std::shared_ptr<Piece>(std::shared_ptr<Piece>(), &piece);
}

// The services of a scripted desktop (a FakePlatform, or a test's own
// Platform), `desktop` lent and every other piece none, as on the offscreen
// platform. A test replaces the pieces it scripts
// before installing:
//
//   platform::fake::FakePlatform fake;
//   platform::fake::FakeHotKeys keys;
//   platform::Services services = platform::fake::services(&fake);
//   services.hotKeys = platform::fake::lent(keys);
//   platform::install(std::move(services));
//   ...
//   platform::uninstall();
inline Services services(Platform* desktop = nullptr)
{
    Services s;
    if (desktop)
        s.desktop = lent(*desktop);
    return s;
}

} // namespace platform::fake
