#include "dock/windows/ScreenNotice.h"

#include <QRect>

#include <algorithm>
#include <map>

namespace {

QString text(const QRectF& r)
{
    return QStringLiteral("%1,%2 %3x%4").arg(r.x()).arg(r.y()).arg(r.width()).arg(r.height());
}

std::map<QString, DockScreen> byId(const std::vector<DockScreen>& screens)
{
    std::map<QString, DockScreen> map;
    for (const DockScreen& screen : screens)
        map[screen.id] = screen;
    return map;
}

} // namespace

std::optional<QString> unsettledBecause(const ScreensReading& earlier, const ScreensReading& later)
{
    if (earlier.screens != later.screens || earlier.qtScreens != later.qtScreens
        || earlier.server != later.server || earlier.places != later.places)
        return QStringLiteral("two looks a moment apart found %1 and then %2")
            .arg(describeDockScreens(earlier.screens), describeDockScreens(later.screens));
    if (later.screens.empty())
        return QStringLiteral("no screen");
    // The root's corner is 0,0 whatever the arrangement; its size is the
    // server's word. A place of Qt's own (a screen the server has by no
    // such name) or a monitor read between two steps of a change can lie
    // past it, and a bar built there stands off every screen.
    const std::optional<QRect> root
        = later.server ? std::optional(QRect(QPoint(0, 0), later.server->root)) : std::nullopt;
    const auto offTheRoot = [&root](const QRect& place) {
        return place.isEmpty() || place.left() < 0 || place.top() < 0 || (root && !root->contains(place));
    };
    for (size_t i = 0; i < later.places.size(); ++i) {
        if (offTheRoot(later.places[i]))
            return QStringLiteral("the bars would stand on %1 at %2, off the root")
                .arg(later.qtScreens.value(qsizetype(i)), text(later.places[i]));
    }
    // Without the server's view, Qt's alone: two equal looks are all there is.
    if (!later.server)
        return std::nullopt;
    const platform::ServerScreens& server = *later.server;
    if (server.monitors.empty())
        return QStringLiteral("the server has no screen");
    QStringList serverNames;
    for (const platform::ServerScreens::Monitor& monitor : server.monitors) {
        // A screen past the root: the root is resized before or after the
        // outputs are set, as the new arrangement needs.
        if (offTheRoot(monitor.place))
            return QStringLiteral("the server has %1 at %2 on a root of %3x%4")
                .arg(monitor.name, text(monitor.place))
                .arg(server.root.width())
                .arg(server.root.height());
        serverNames << monitor.name;
    }
    QStringList qtNames = later.qtScreens;
    serverNames.sort();
    qtNames.sort();
    // Qt names its screens after the server's monitors; where it names
    // them otherwise (a server of one screen without outputs), how many
    // there are is all that compares.
    const bool namedAlike = std::any_of(qtNames.begin(), qtNames.end(),
        [&serverNames](const QString& name) { return serverNames.contains(name); });
    if (qtNames.size() != serverNames.size() || (namedAlike && qtNames != serverNames))
        return QStringLiteral("Qt has the screens %1, the server %2")
            .arg(qtNames.join(u','), serverNames.join(u','));
    return std::nullopt;
}

bool noticeRebuildsTheBars(
    const std::vector<DockScreen>& standing, const std::vector<DockScreen>& now, bool screensReplaced)
{
    // No bars yet (no screen held the origin when they were built).
    if (standing.empty() || screensReplaced)
        return true;
    return byId(standing) != byId(now);
}

QString describeDockScreens(const std::vector<DockScreen>& screens)
{
    QStringList parts;
    for (const DockScreen& screen : screens)
        parts << QStringLiteral("%1 %2 (free %3)")
                     .arg(screen.id, text(screen.frame), text(screen.visibleFrame));
    return parts.isEmpty() ? QStringLiteral("no screen") : parts.join(QStringLiteral("; "));
}
