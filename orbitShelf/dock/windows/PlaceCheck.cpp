#include "dock/windows/PlaceCheck.h"

#include <cstdlib>

PlaceAction placeAction(
    const QRect& asked, const std::optional<platform::WindowStanding>& standing, int attempts)
{
    if (!standing)
        return PlaceAction::none;
    const QRect& place = standing->place;
    // Converted from the server's pixels at a fractional scale, a size can
    // come back a pixel off; a place cannot.
    const bool sized
        = std::abs(place.width() - asked.width()) <= 1 && std::abs(place.height() - asked.height()) <= 1;
    if (place.topLeft() == asked.topLeft() && sized)
        return PlaceAction::none;
    if (attempts >= kMaxPlaceAttempts)
        return PlaceAction::giveUp;
    // Asked once through the manager and still elsewhere with no frame: the
    // manager that took it on puts it back where it wants it at each ask.
    if (standing->onRoot && attempts > 0)
        return PlaceAction::placeItself;
    return PlaceAction::askAgain;
}
