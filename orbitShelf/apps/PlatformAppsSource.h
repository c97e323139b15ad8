#pragma once

#include "apps/AppsSource.h"

// The model's source over the platform layer in use (platform::current()):
// the workspace's applications, the window server's list and pictures, the
// accessibility stand-in and its observers, which deliver on the main thread.
class PlatformAppsSource final : public AppsSource {
public:
    std::vector<RunningApp> runningApplications() override;
    std::optional<QString> ownBundleIdentifier() override;
    int32_t ownProcessId() override;
    std::vector<ListedWindow> windowList() override;
    std::shared_ptr<void> beginReadBatch() override;

    AxElement applicationElement(int32_t pid) override;
    AxRead<std::vector<AxElement>> windowsOf(const AxElement& application) override;
    AxRead<uint32_t> windowNumber(const AxElement& window) override;
    AxRead<int32_t> processId(const AxElement& element) override;
    AxRead<QString> stringAttribute(const AxElement& element, const QString& name) override;
    AxRead<AxElement> focusedWindow(const AxElement& application) override;

    std::unique_ptr<WindowObservation> observeWindow(
        int32_t pid, const AxElement& window, WindowNotificationHandler handler) override;
    std::optional<QImage> captureWindowImage(uint32_t windowNumber) override;
    std::vector<QImage> windowIcons(uint32_t windowNumber) override;
    QIcon namedIcon(const QString& name) override;
    std::vector<uint64_t> spacesOfWindow(uint32_t windowNumber) override;

    void bringProcessToFront(int32_t pid, const QString& name) override;
    void openApplication(const QString& bundleIdentifier) override;

    // The notifications every window is watched for.
    static const QStringList& windowNotifications();
};
