#include "apps/ActiveApp.h"

#include <QFileInfo>

#include <algorithm>
#include <functional>

ActiveApp::ActiveApp()
    : clickTime(QDateTime::currentDateTimeUtc())
{
}
ActiveApp::~ActiveApp() = default;

bool ActiveApp::operator==(const ActiveApp& other) const
{
    if (appBundleName && other.appBundleName)
        return *appBundleName == *other.appBundleName;
    return this == &other;
}

size_t ActiveApp::hash() const
{
    if (!appBundleName)
        return std::hash<const void*> {}(this);
    return qHash(*appBundleName) ^ size_t { 0x9e3779b9 };
}

void ActiveApp::activateApp(const Windows& window, AppsSource& source) const
{
    if (isMulti.value_or(false)) {
        source.bringProcessToFront(appId.value_or(0), appName.value_or(QString()));
        return;
    }
    source.openApplication(window.bundleIdentifier.value_or(QString()));
}

std::vector<std::shared_ptr<Windows>> ActiveApp::sortAppWindows(bool replaceFinder) const
{
    if (!windows)
        return {};
    std::vector<std::shared_ptr<Windows>> sorted = *windows;
    std::stable_sort(sorted.begin(), sorted.end(),
        [](const auto& a, const auto& b) { return a->num.value_or(0) < b->num.value_or(0); });
    if (sorted.size() > 1)
        std::erase_if(sorted, [](const auto& w) { return w->isPlaceholder; });
    if (replaceFinder) {
        std::erase_if(sorted, [](const auto& w) {
            return w->appBundleName && w->appBundleName->contains(QStringLiteral("Finder"));
        });
    }
    int position = 0;
    for (const auto& w : sorted)
        w->order = ++position;
    return sorted;
}

std::optional<QString> shortAppName(
    const std::optional<QString>& executablePath, const std::optional<QString>& localizedName)
{
    if (!executablePath)
        return std::nullopt;
    const QString name = QFileInfo(*executablePath).fileName();
    if (name == QLatin1String("Electron"))
        return localizedName;
    return name;
}
