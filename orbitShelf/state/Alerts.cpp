#include "state/Alerts.h"

#include "state/Logging.h"

#include <QMutex>

namespace {
QMutex presenterMutex;
AlertPresenter& presenterSlot()
{
    static AlertPresenter presenter;
    return presenter;
}
AlertPresenter& defaultPresenterSlot()
{
    static AlertPresenter presenter;
    return presenter;
}
} // namespace

void setAlertPresenter(AlertPresenter presenter)
{
    QMutexLocker lock(&presenterMutex);
    presenterSlot() = std::move(presenter);
}

void setDefaultAlertPresenter(AlertPresenter presenter)
{
    QMutexLocker lock(&presenterMutex);
    defaultPresenterSlot() = std::move(presenter);
}

void showAlert(const QString& message, const QString& informative)
{
    AlertPresenter presenter;
    {
        QMutexLocker lock(&presenterMutex);
        presenter = presenterSlot() ? presenterSlot() : defaultPresenterSlot();
    }
    if (presenter) {
        presenter(message, informative);
        return;
    }
    qCWarning(lcApp) << "alert without a window system:" << message << informative;
}

bool openAccessibilitySettings()
{
    qCInfo(lcApp) << "X11 has no Accessibility permission page; nothing to open";
    return false;
}
