#include "settings/SettingsStandIn.h"

#include "app/AppState.h"
#include "dock/DockWindows.h"
#include "settings/AppearanceSettingsView.h"
#include "settings/OnboardingState.h"
#include "settings/ShortCutView.h"

#include <QCoreApplication>
#include <QLabel>
#include <QLoggingCategory>
#include <QTabWidget>
#include <QTimer>

#include <algorithm>

static Q_LOGGING_CATEGORY(lcSettingsStandIn, "orbitshelf.settings")

std::unique_ptr<QWidget> makeOnboardingView()
{
    qCDebug(lcSettingsStandIn)
        << "makeOnboardingView: the onboarding is not built yet; showing a placeholder";
    auto label = std::make_unique<QLabel>(QStringLiteral("Welcome to orbitShelf."));
    label->setAlignment(Qt::AlignCenter);
    auto* state = new OnboardingState(AppState::shared(), standardPermissionChecks(), label.get());
    state->setObjectName(QStringLiteral("OnboardingState"));
    state->attach(label.get());
    return label;
}

QWidget* makeGeneralConfig()
{
    auto* tabs = new QTabWidget;
    tabs->addTab(new AppearanceSettingsView, QStringLiteral("Themes"));
    tabs->addTab(new ShortCutView, QStringLiteral("Shortcut"));
    return tabs;
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

