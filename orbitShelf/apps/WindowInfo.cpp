#include "apps/WindowInfo.h"

#include "platform/Coordinates.h"
#include "platform/Platform.h"
#include "platform/ScreenScale.h"

namespace {

QString kindName(platform::WindowKind kind)
{
    using platform::WindowKind;
    switch (kind) {
    case WindowKind::normal: return QStringLiteral("normal");
    case WindowKind::dialog: return QStringLiteral("dialog");
    case WindowKind::utility: return QStringLiteral("utility");
    case WindowKind::toolbar: return QStringLiteral("toolbar");
    case WindowKind::menu: return QStringLiteral("menu");
    case WindowKind::splash: return QStringLiteral("splash");
    case WindowKind::notification: return QStringLiteral("notification");
    case WindowKind::dock: return QStringLiteral("dock");
    case WindowKind::desktop: return QStringLiteral("desktop");
    case WindowKind::other: return QStringLiteral("other");
    }
    return QStringLiteral("other");
}

// Stacking layers as the list reports them: windows kept above the others
// sit one layer up, windows kept below one layer down.
qint64 layerOf(const platform::ServerWindow& w)
{
    if (w.above || w.fullScreen)
        return 3;
    if (w.below)
        return -1;
    return 0;
}

} // namespace

std::vector<WindowInfo> getWindowInfoList()
{
    platform::WindowServer& server = platform::current().windowServer();
    const QRect primary = server.primaryScreen();
    const std::vector<platform::ScaledScreen> screens = platform::scaledScreens();
    std::vector<WindowInfo> list;
    for (const platform::ServerWindow& w : server.windowList()) {
        WindowInfo info;
        info.name = w.title;
        info.ownerName = w.className.isEmpty() ? w.instanceName : w.className;
        info.ownerProcessID = w.pid;
        info.layer = layerOf(w);
        info.bounds = platform::axFromRoot(QRectF(platform::qtFromServer(w.frame, screens)), primary);
        info.alpha = w.opacity;
        info.isOnscreen = w.onScreen;
        info.windowNumber = qint64(w.id);
        info.otherAttributes.insert(QStringLiteral("windowClass"), w.className);
        info.otherAttributes.insert(QStringLiteral("windowInstance"), w.instanceName);
        info.otherAttributes.insert(QStringLiteral("windowKind"), kindName(w.kind));
        if (w.desktop)
            info.otherAttributes.insert(QStringLiteral("desktop"), *w.desktop);
        list.push_back(std::move(info));
    }
    return list;
}
