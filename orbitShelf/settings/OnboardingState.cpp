#include "settings/OnboardingState.h"

#include "state/AppState.h"
#include "platform/Accessibility.h"
#include "platform/Platform.h"

#include <QEvent>
#include <QGuiApplication>
#include <QWidget>

PermissionChecks standardPermissionChecks()
{
    PermissionChecks checks;
    checks.accessibilityTrusted = [] {
        return !platform::hasCurrent() || platform::current().accessibility().isProcessTrusted(false);
    };
    checks.screenCaptureAllowed = [] { return true; };
    return checks;
}

OnboardingState::OnboardingState(AppState& state, PermissionChecks checks, QObject* parent)
    : QObject(parent)
    , disablePreview(state.settings.disablePreview())
    , m_state(state)
    , m_checks(std::move(checks))
{
}

void OnboardingState::applyFirstInstallPreviewDefault()
{
    if (!m_state.settings.firstInstalled())
        return;
    m_state.settings.setDisablePreview(true);
    disablePreview = true;
    emit changed();
}

void OnboardingState::refreshPermissionFlags()
{
    checkAccessPerm = m_checks.accessibilityTrusted && m_checks.accessibilityTrusted();
    checkScreenRecordPerm = m_checks.screenCaptureAllowed && m_checks.screenCaptureAllowed();
    emit changed();
}

void OnboardingState::attach(QWidget* view)
{
    view->installEventFilter(this);
    if (auto* app = qobject_cast<QGuiApplication*>(QCoreApplication::instance())) {
        connect(app, &QGuiApplication::applicationStateChanged, view, [this](Qt::ApplicationState state) {
            if (state == Qt::ApplicationActive)
                refreshPermissionFlags();
        });
    }
}

bool OnboardingState::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::Show) {
        if (!m_shown) {
            m_shown = true;
            applyFirstInstallPreviewDefault();
        }
        // A window opened while the program is already active (from the
        // command line, say) sees no activation until the focus leaves and
        // comes back: its steps would show red whatever the permissions.
        refreshPermissionFlags();
    }
    return QObject::eventFilter(watched, event);
}
