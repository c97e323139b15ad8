#pragma once

#include "apps/AppsSource.h"

#include <map>
#include <memory>
#include <optional>
#include <vector>

namespace orbitshelf::test {

// A desktop scripted by the test: running programs, their accessibility
// windows and the window server's list.
class ScriptedAppsSource final : public AppsSource {
public:
    struct Window {
        uint32_t num = 0;
        std::optional<QString> title;
        std::optional<QString> subrole = QStringLiteral("AXStandardWindow");
        std::optional<int32_t> pid;
        bool unresponsive = false;
    };
    struct App {
        RunningApp info;
        std::vector<std::shared_ptr<Window>> windows;
        bool unresponsive = false;
        std::optional<uint32_t> focused;
    };

    std::vector<App> apps;
    std::vector<ListedWindow> serverWindows;
    std::optional<QString> ownBundle = QStringLiteral("org.orbitshelf.app");
    int32_t ownPid = 1;
    int observationsMade = 0;
    std::vector<std::pair<int32_t, QString>> broughtToFront;
    std::vector<QString> opened;
    std::map<uint32_t, std::vector<QImage>> windowPictures;
    std::map<QString, QIcon> themeIcons;

    std::vector<QImage> windowIcons(uint32_t num) override
    {
        const auto it = windowPictures.find(num);
        return it == windowPictures.end() ? std::vector<QImage>() : it->second;
    }
    QIcon namedIcon(const QString& name) override
    {
        return themeIcons.count(name) ? themeIcons[name] : QIcon();
    }

    App& addApp(int32_t pid, const QString& name, const QString& bundle = {}, bool regular = true)
    {
        App app;
        app.info.pid = pid;
        app.info.localizedName = name;
        app.info.executablePath = QStringLiteral("/usr/bin/") + name;
        app.info.bundleIdentifier = bundle.isEmpty() ? QStringLiteral("org.example.") + name : bundle;
        app.info.regular = regular;
        apps.push_back(app);
        return apps.back();
    }

    std::shared_ptr<Window> addWindow(int32_t pid, uint32_t num, const QString& title, bool onServer = true)
    {
        auto window = std::make_shared<Window>();
        window->num = num;
        window->title = title;
        window->pid = pid;
        appOf(pid)->windows.push_back(window);
        if (onServer)
            serverWindows.push_back({ QStringLiteral("owner"), pid, num });
        return window;
    }

    void removeWindow(int32_t pid, uint32_t num)
    {
        auto& list = appOf(pid)->windows;
        std::erase_if(list, [&](const auto& w) { return w->num == num; });
        std::erase_if(serverWindows, [&](const auto& s) { return s.windowNumber == num; });
    }

    void quit(int32_t pid)
    {
        std::erase_if(apps, [&](const App& a) { return a.info.pid == pid; });
        std::erase_if(serverWindows, [&](const auto& s) { return s.ownerPid == pid; });
    }

    App* appOf(int32_t pid)
    {
        for (auto& app : apps) {
            if (app.info.pid == pid)
                return &app;
        }
        return nullptr;
    }

    std::vector<RunningApp> runningApplications() override
    {
        std::vector<RunningApp> out;
        for (const auto& app : apps)
            out.push_back(app.info);
        return out;
    }
    std::optional<QString> ownBundleIdentifier() override { return ownBundle; }
    int32_t ownProcessId() override { return ownPid; }
    std::vector<ListedWindow> windowList() override { return serverWindows; }

    AxElement applicationElement(int32_t pid) override { return { std::make_shared<const int32_t>(pid) }; }

    AxRead<std::vector<AxElement>> windowsOf(const AxElement& application) override
    {
        App* app = appOf(*static_cast<const int32_t*>(application.handle.get()));
        if (!app)
            return {};
        if (app->unresponsive)
            return AxRead<std::vector<AxElement>>::failed();
        std::vector<AxElement> out;
        for (const auto& w : app->windows)
            out.push_back({ std::make_shared<const WindowRef>(WindowRef { w }) });
        return { out };
    }
    AxRead<uint32_t> windowNumber(const AxElement& window) override
    {
        auto w = windowOf(window);
        if (!w)
            return {};
        if (w->unresponsive)
            return AxRead<uint32_t>::failed();
        return { w->num };
    }
    AxRead<int32_t> processId(const AxElement& element) override
    {
        auto w = windowOf(element);
        return w ? AxRead<int32_t> { w->pid } : AxRead<int32_t> {};
    }
    AxRead<QString> stringAttribute(const AxElement& element, const QString& name) override
    {
        auto w = windowOf(element);
        if (!w)
            return {};
        if (name == QLatin1String("AXTitle"))
            return { w->title };
        if (name == QLatin1String("AXSubrole"))
            return { w->subrole };
        return {};
    }
    AxRead<AxElement> focusedWindow(const AxElement& application) override
    {
        App* app = appOf(*static_cast<const int32_t*>(application.handle.get()));
        if (!app || !app->focused)
            return {};
        for (const auto& w : app->windows) {
            if (w->num == *app->focused)
                return { AxElement { std::make_shared<const WindowRef>(WindowRef { w }) } };
        }
        return {};
    }

    std::unique_ptr<WindowObservation> observeWindow(
        int32_t, const AxElement&, WindowNotificationHandler) override
    {
        ++observationsMade;
        return std::make_unique<WindowObservation>();
    }

    std::optional<QImage> captureWindowImage(uint32_t) override { return std::nullopt; }
    std::vector<uint64_t> spacesOfWindow(uint32_t) override { return {}; }

    void bringProcessToFront(int32_t pid, const QString& name) override
    {
        broughtToFront.emplace_back(pid, name);
    }
    void openApplication(const QString& bundleIdentifier) override { opened.push_back(bundleIdentifier); }

private:
    struct WindowRef {
        std::shared_ptr<Window> window;
    };
    // Application elements hold an int32_t, window elements a WindowRef; the
    // model asks window questions of window elements only.
    static std::shared_ptr<Window> windowOf(const AxElement& element)
    {
        return element ? static_cast<const WindowRef*>(element.handle.get())->window : nullptr;
    }
};

} // namespace orbitshelf::test
