#include "settings/SettingsStandIn.h"

#include "dock/DockWindows.h"

#include <QCoreApplication>
#include <QLabel>
#include <QTimer>
#include <QLoggingCategory>

static Q_LOGGING_CATEGORY(lcSettingsStandIn, "orbitshelf.settings")

std::unique_ptr<QWidget> makeOnboardingView()
{
    qCDebug(lcSettingsStandIn)
        << "makeOnboardingView: the onboarding is not built yet; showing a placeholder";
    auto label = std::make_unique<QLabel>(QStringLiteral("Welcome to orbitShelf."));
    label->setAlignment(Qt::AlignCenter);
    return label;
}

void multipleScreensSupportChanged(bool on)
{
    QTimer::singleShot(150, QCoreApplication::instance(), [on] {
        if (on)
            createDockWindows();
        else
            closeScreenDockWindows();
    });
}
