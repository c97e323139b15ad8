#pragma once

#include <QObject>

#include <functional>

class AppState;
class QWidget;

// The two permission checks, asked without a prompt (X11 has no gate: both
// answer true; the fake platform can say otherwise).
struct PermissionChecks {
    std::function<bool()> accessibilityTrusted;
    std::function<bool()> screenCaptureAllowed;
};
PermissionChecks standardPermissionChecks();

// The onboarding view's own state: the step the body shows, the preview
// choice and the two permission flags the body reads.
class OnboardingState final : public QObject {
    Q_OBJECT
public:
    OnboardingState(AppState& state, PermissionChecks checks, QObject* parent = nullptr);

    int step = 0;
    bool disablePreview;
    bool checkAccessPerm = false;
    bool checkScreenRecordPerm = false;

    // On a first launch, window previews start off: in the settings and here.
    void applyFirstInstallPreviewDefault();
    void refreshPermissionFlags();

    // Runs applyFirstInstallPreviewDefault when `view` is first shown and
    // refreshPermissionFlags each time it is shown and each time the
    // application becomes active, while `view` lives.
    void attach(QWidget* view);

signals:
    void changed();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    AppState& m_state;
    PermissionChecks m_checks;
    bool m_shown = false;
};
