#include "apps/PlatformAppsSource.h"

#include "apps/AXAttributes.h"
#include "apps/AppModelLog.h"
#include "apps/OpenApplication.h"
#include "apps/WindowInfo.h"
#include "platform/AppIdentity.h"
#include "platform/Platform.h"

#include <QCoreApplication>

namespace {

AxElement wrap(const platform::AXElement& element)
{
    return { std::make_shared<const platform::AXElement>(element) };
}

const platform::AXElement& unwrap(const AxElement& element)
{
    static const platform::AXElement none;
    return element ? *static_cast<const platform::AXElement*>(element.handle.get()) : none;
}

template <typename T, typename Read> AxRead<T> readWithPolicy(Read read)
{
    try {
        return { read() };
    } catch (AxError) {
        return AxRead<T>::failed();
    }
}

template <typename T> AxRead<T> fromResult(platform::AXResult result, T value)
{
    if (result == platform::AXResult::cannotComplete)
        return AxRead<T>::failed();
    if (result != platform::AXResult::success)
        return {};
    return { value };
}

class PlatformWindowObservation final : public WindowObservation {
public:
    explicit PlatformWindowObservation(std::unique_ptr<platform::AXObserver> observer)
        : m_observer(std::move(observer))
    {
    }

private:
    std::unique_ptr<platform::AXObserver> m_observer;
};

RunningApp toRunningApp(const platform::RunningApplication& app)
{
    RunningApp out;
    out.pid = app.processIdentifier;
    if (!app.localizedName.isEmpty())
        out.localizedName = app.localizedName;
    out.executablePath = app.executableURL;
    out.bundleIdentifier = app.bundleIdentifier;
    out.bundleUrl = app.bundleURL;
    out.ownsMenuBar = app.ownsMenuBar;
    out.regular = app.activationPolicy == platform::ActivationPolicy::regular;
    out.iconName = app.iconName;
    out.iconFromEntry = app.iconFromEntry;
    return out;
}

} // namespace

const QStringList& PlatformAppsSource::windowNotifications()
{
    static const QStringList names {
        QStringLiteral("AXUIElementDestroyed"),
        QStringLiteral("AXTitleChanged"),
        QStringLiteral("AXWindowMiniaturized"),
        QStringLiteral("AXWindowDeminiaturized"),
        QStringLiteral("AXWindowResized"),
        QStringLiteral("AXMainWindowChanged"),
        QStringLiteral("AXWindowMoved"),
        QStringLiteral("AXApplicationActivated"),
        QStringLiteral("AXMainWindowChanged"),
        QStringLiteral("AXFocusedWindowChanged"),
        QStringLiteral("AXWindowCreated"),
        QStringLiteral("AXApplicationHidden"),
        QStringLiteral("AXApplicationShown"),
        QString::fromLatin1(platform::ax::iconChanged),
        QString::fromLatin1(platform::ax::focusLost),
    };
    return names;
}

std::vector<RunningApp> PlatformAppsSource::runningApplications()
{
    std::vector<RunningApp> out;
    const auto apps = platform::current().workspace().runningApplications();
    out.reserve(apps.size());
    for (const auto& app : apps) {
        if (!app.isTerminated)
            out.push_back(toRunningApp(app));
    }
    return out;
}

std::optional<QString> PlatformAppsSource::ownBundleIdentifier()
{
    return platform::current().workspace().currentApplication().bundleIdentifier;
}

int32_t PlatformAppsSource::ownProcessId()
{
    return platform::current().workspace().currentApplication().processIdentifier;
}

std::vector<ListedWindow> PlatformAppsSource::windowList()
{
    std::vector<ListedWindow> out;
    const auto infos = getWindowInfoList();
    out.reserve(infos.size());
    for (const WindowInfo& info : infos)
        out.push_back({ info.ownerName, info.ownerProcessID, info.windowNumber });
    return out;
}

std::shared_ptr<void> PlatformAppsSource::beginReadBatch()
{
    return platform::current().accessibility().beginReadBatch();
}

AxElement PlatformAppsSource::applicationElement(int32_t pid)
{
    return wrap(platform::AXElement::application(pid));
}

AxRead<std::vector<AxElement>> PlatformAppsSource::windowsOf(const AxElement& application)
{
    return readWithPolicy<std::vector<AxElement>>([&]() -> std::optional<std::vector<AxElement>> {
        const auto list = copyElementListAttribute(QStringLiteral("AXWindows"), unwrap(application));
        if (!list)
            return std::nullopt;
        std::vector<AxElement> out;
        out.reserve(list->size());
        for (const auto& element : *list)
            out.push_back(wrap(element));
        return out;
    });
}

AxRead<uint32_t> PlatformAppsSource::windowNumber(const AxElement& window)
{
    quint32 number = 0;
    const auto result = platform::current().accessibility().windowNumber(unwrap(window), number);
    return fromResult<uint32_t>(result, number);
}

AxRead<int32_t> PlatformAppsSource::processId(const AxElement& element)
{
    qint32 pid = 0;
    const auto result = platform::current().accessibility().processIdentifier(unwrap(element), pid);
    return fromResult<int32_t>(result, pid);
}

AxRead<QString> PlatformAppsSource::stringAttribute(const AxElement& element, const QString& name)
{
    return readWithPolicy<QString>([&] { return copyStringAttribute(name, unwrap(element)); });
}

AxRead<AxElement> PlatformAppsSource::focusedWindow(const AxElement& application)
{
    return readWithPolicy<AxElement>([&]() -> std::optional<AxElement> {
        const auto focused = copyElementAttribute(QStringLiteral("AXFocusedWindow"), unwrap(application));
        if (!focused)
            return std::nullopt;
        return wrap(*focused);
    });
}

std::unique_ptr<WindowObservation> PlatformAppsSource::observeWindow(
    int32_t pid, const AxElement& window, WindowNotificationHandler handler)
{
    auto observer = platform::current().accessibility().createObserver(
        pid, [handler = std::move(handler)](const platform::AXElement& element, const QString& name) {
            if (handler)
                handler(wrap(element), name);
        });
    if (!observer)
        return nullptr;
    const platform::AXElement& element = unwrap(window);
    for (const QString& name : windowNotifications())
        observer->addNotification(element, name);
    // A new window has no observer of its own yet: it is announced to the
    // observers of its application.
    observer->addNotification(
        platform::AXElement::application(pid), QString::fromLatin1(platform::ax::windowCreated));
    // Observers deliver on the main thread, which owns the model. Every
    // notice ends there anyway, and the X server's reports that come with a
    // focus change (the root window's properties) wake it through Qt's own
    // connection already: reading them on a thread of their own and handing
    // each notice over woke two more threads per activation and per rename,
    // which cost more than all the work the notice causes.
    observer->addToRunLoop(QCoreApplication::instance());
    return std::make_unique<PlatformWindowObservation>(std::move(observer));
}

std::optional<QImage> PlatformAppsSource::captureWindowImage(uint32_t windowNumber)
{
    return platform::current().windowServer().windowImage(windowNumber);
}

std::vector<QImage> PlatformAppsSource::windowIcons(uint32_t windowNumber)
{
    return platform::current().windowServer().windowIcons(windowNumber);
}

QIcon PlatformAppsSource::namedIcon(const QString& name)
{
    return platform::iconNamed(name);
}

std::vector<uint64_t> PlatformAppsSource::spacesOfWindow(uint32_t windowNumber)
{
    const auto spaces = platform::current().windowServer().spacesOfWindow(windowNumber);
    return { spaces.begin(), spaces.end() };
}

void PlatformAppsSource::bringProcessToFront(int32_t pid, const QString& name)
{
    platform::current().scripts().bringProcessToFront(pid, name);
}

void PlatformAppsSource::openApplication(const QString& bundleIdentifier)
{
    // Brings a running instance forward, else starts the desktop entry; the
    // launcher logs why when it cannot.
    if (!::openApplication(bundleIdentifier))
        qCInfo(lcAppModel) << "could not open" << bundleIdentifier;
}
