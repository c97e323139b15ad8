#include "platform/Services.h"

#include <QMutex>
#include <QtGlobal>

#include <atomic>
#include <utility>

namespace platform {

namespace {

    struct Installed {
        QMutex mutex;
        Services services; // guarded by `mutex`
    };

    // platform::current() is asked on every thread, many times a refresh: it
    // reads this copy of the installed desktop without taking the lock.
    std::atomic<Platform*> g_desktop { nullptr };

    Installed& installed()
    {
        static Installed i;
        return i;
    }

    // A copy of one piece, taken under the lock: install() may run on
    // another thread (tests), and the caller uses the piece after the lock.
    template <typename Piece> Piece installedPiece(Piece Services::*piece)
    {
        Installed& in = installed();
        QMutexLocker lock(&in.mutex);
        return in.services.*piece;
    }

    template <typename Hint> Hint installedHint(Hint DockWindowHints::*hint)
    {
        Installed& in = installed();
        QMutexLocker lock(&in.mutex);
        return in.services.dockWindowHints.*hint;
    }

    void releaseInOrder(Services& services)
    {
        // The reverse of the order the X11 back-end makes them in: the
        // desktop first, then the pieces over connections of their own.
        // The end requests go first: their handlers are the process's, and
        // the system's own come back before anything else is let go.
        services.endRequests.reset();
        services.hotKeys.reset();
        services.clipboardReader.reset();
        services.clickMonitors = nullptr;
        services.stillPictureWindows = nullptr;
        services.hoverAreas = nullptr;
        services.windowSizeGuard.reset();
        services.dockWindowHints = {};
        services.accessoryMarker = nullptr;
        services.screenIdentity.reset();
        services.appLauncher.reset();
        services.desktop.reset();
    }

} // namespace

void install(Services services)
{
    Installed& in = installed();
    {
        QMutexLocker lock(&in.mutex);
        std::swap(in.services, services);
        g_desktop.store(in.services.desktop.get());
    }
    // Outside the lock: a piece's destructor may ask for another piece.
    releaseInOrder(services);
}

void uninstall()
{
    install({});
}

Platform& current()
{
    Platform* p = g_desktop.load();
    if (!p)
        qFatal("platform::current() used before a desktop was installed with platform::install()");
    return *p;
}

bool hasCurrent()
{
    return g_desktop.load() != nullptr;
}

ClipboardReader* clipboardReader()
{
    return installedPiece(&Services::clipboardReader).get();
}

HotKeys* hotKeys()
{
    return installedPiece(&Services::hotKeys).get();
}

std::unique_ptr<ClickMonitor> createClickMonitor()
{
    const ClickMonitorFactory factory = installedPiece(&Services::clickMonitors);
    return factory ? factory() : nullptr;
}

void markAccessoryWindow(QWindow* window)
{
    const AccessoryMarker marker = installedPiece(&Services::accessoryMarker);
    if (window && marker)
        marker(window);
}

void markDockWindow(QWindow* window)
{
    const auto mark = installedHint(&DockWindowHints::markDockWindow);
    if (window && mark)
        mark(window);
}

void setDockShape(QWindow* window, const QRegion& input, const QRegion& shown)
{
    const auto setShape = installedHint(&DockWindowHints::setShape);
    if (window && setShape)
        setShape(window, input, shown);
}

void setDockShapeOnServer(QWindow* window, const QRegion& input, const QRegion& shown)
{
    const auto setShape = installedHint(&DockWindowHints::setShapeOnServer);
    if (window && setShape)
        setShape(window, input, shown);
}

void setDockReservedEdge(QWindow* window, const std::optional<ReservedEdge>& edge)
{
    const auto reserve = installedHint(&DockWindowHints::reserveEdge);
    if (window && reserve)
        reserve(window, edge);
}

bool dockTranslucencyAvailable()
{
    const auto available = installedHint(&DockWindowHints::translucencyAvailable);
    return !available || available();
}

std::vector<ReservedEdge> otherReservedEdges()
{
    const auto others = installedHint(&DockWindowHints::otherReservedEdges);
    return others ? others() : std::vector<ReservedEdge> {};
}

QMetaObject::Connection watchOtherReservedEdges(QObject* context, std::function<void()> changed)
{
    const auto watch = installedHint(&DockWindowHints::watchOtherReservedEdges);
    return watch && context ? watch(context, std::move(changed)) : QMetaObject::Connection();
}

QMetaObject::Connection watchWindowInFront(QObject* context, std::function<void()> changed)
{
    const auto watch = installedHint(&DockWindowHints::watchWindowInFront);
    return watch && context ? watch(context, std::move(changed)) : QMetaObject::Connection();
}

std::optional<QRect> dockWindowPlace(QWindow* window)
{
    const std::optional<WindowStanding> standing = dockWindowStanding(window);
    return standing ? std::optional(standing->place) : std::nullopt;
}

std::optional<WindowStanding> dockWindowStanding(QWindow* window)
{
    const auto standing = installedHint(&DockWindowHints::windowStanding);
    return window && standing ? standing(window) : std::nullopt;
}

void moveDockWindow(QWindow* window, const QRect& place, bool pastManager)
{
    const auto move = installedHint(&DockWindowHints::moveWindow);
    if (window && move)
        move(window, place, pastManager);
}

std::unique_ptr<StillPictureWindow> createStillPictureWindow(const StillPicture& still)
{
    const StillPictureWindowFactory factory = installedPiece(&Services::stillPictureWindows);
    return factory ? factory(still) : nullptr;
}

std::shared_ptr<EndRequests> endRequests()
{
    return installedPiece(&Services::endRequests);
}

std::unique_ptr<HoverArea> createHoverArea(const HoverAreaSpec& spec)
{
    const HoverAreaFactory factory = installedPiece(&Services::hoverAreas);
    return factory ? factory(spec) : nullptr;
}

std::shared_ptr<ScreenIdentity> screenIdentity()
{
    return installedPiece(&Services::screenIdentity);
}

std::shared_ptr<AppLauncher> appLauncher()
{
    if (auto launcher = installedPiece(&Services::appLauncher))
        return launcher;
    static const auto desktopEntries = std::make_shared<DesktopAppLauncher>(&DesktopEntryIndex::system);
    return desktopEntries;
}

} // namespace platform
