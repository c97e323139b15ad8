#pragma once

#include "dock/windows/DockFrames.h"
#include "platform/ScreenIdentity.h"

#include <QRect>
#include <QString>
#include <QStringList>

#include <optional>
#include <vector>

// What a notice that the screens changed leads to, as plain rules over
// readings of the screens. A notice says only that something may have
// changed: the server sends one for an output it merely probed, a panel's
// reserve changes with the screens it stands on, Qt reports a screen's
// place late. And one change of the screens is several steps on the server
// (the root resized, each output set in turn), each with notices of its
// own: a look in between finds an arrangement no one asked for.

// The screens as one look finds them.
struct ScreensReading {
    // As the bars would be built on them: Qt's screens at the server's
    // places, dock space.
    std::vector<DockScreen> screens;
    // The names of the screens Qt has.
    QStringList qtScreens;
    // The server's own view; none where it cannot tell.
    std::optional<platform::ServerScreens> server;
    // Where the bars would take each of Qt's screens to stand, in the
    // server's pixels, in the order of `qtScreens`: the server's place of
    // the screen where it has one by that name, Qt's own otherwise.
    std::vector<QRect> places;
};

// Why the later of two looks a moment apart is not yet an arrangement to
// build the bars on; none once it is settled: both looks found the same,
// every screen lies inside the root (the server's monitors and the places
// the bars would take Qt's screens to stand at alike; the root's corner is
// 0,0, so a screen left of or above it never is), and Qt has the screens
// the server has.
std::optional<QString> unsettledBecause(const ScreensReading& earlier, const ScreensReading& later);

// Whether a notice rebuilds the bars that stand on `standing`: not when
// every screen kept its id, its place, its size and the part of it other
// panels leave free, whatever the notice said. A screen Qt removed and
// added again (`screensReplaced`, switched off and on) is a new screen to
// Qt even where it came back as it was: Qt handed the windows it held to
// another screen, and they go with windows made anew.
bool noticeRebuildsTheBars(
    const std::vector<DockScreen>& standing, const std::vector<DockScreen>& now, bool screensReplaced);

// The screens for a log line: "id x,y wxh (free x,y wxh)", dock space.
QString describeDockScreens(const std::vector<DockScreen>& screens);
