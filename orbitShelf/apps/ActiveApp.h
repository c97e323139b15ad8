#pragma once

#include "apps/AppsSource.h"
#include "apps/Windows.h"

#include <QDateTime>
#include <QIcon>
#include <QString>
#include <QStringList>

#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

// One application of the bar: running, pinned but not running, or the
// program itself. Owns its windows list; the windows are shared objects.
class ActiveApp final {
public:
    ActiveApp();
    ~ActiveApp();
    ActiveApp(const ActiveApp&) = delete;
    ActiveApp& operator=(const ActiveApp&) = delete;

    std::optional<QString> appName;
    std::optional<QString> appBundleName;
    std::optional<int32_t> appId;
    std::optional<std::vector<std::shared_ptr<Windows>>> windows;
    std::optional<bool> hasMenubar;
    QIcon icon;
    // The window whose own pictures `icon` shows, when it shows a window's.
    std::optional<uint32_t> iconWindow;
    std::optional<QString> appIconUrl;
    // A pinned program without a desktop entry: its command line at pin time.
    std::optional<QStringList> launchCommand;
    std::optional<QString> bundleIdentifier;
    std::optional<RunningApp> app;
    std::optional<QString> bundleUrl;
    std::optional<QString> label;
    std::optional<int> index;
    std::optional<bool> isMulti;
    AxElement element;
    QDateTime clickTime;

    // Equal by short name; an application without one equals only itself.
    bool operator==(const ActiveApp& other) const;
    size_t hash() const;

    // Brings the application forward for `window`: a further instance of a
    // program by process id and name (activating by bundle identifier would
    // pick the first instance), any other through the window's bundle.
    void activateApp(const Windows& window, AppsSource& source) const;

    // The windows views show: by number, placeholder only when alone, the
    // file manager's own windows left out when the bar replaces it. Numbers
    // the result's `order` 1, 2, 3 ...
    std::vector<std::shared_ptr<Windows>> sortAppWindows(bool replaceFinder) const;
};

// The short name that identifies an application: the executable's file name,
// or the localised name for programs that all run one shared runtime
// executable ("Electron").
std::optional<QString> shortAppName(
    const std::optional<QString>& executablePath, const std::optional<QString>& localizedName);
