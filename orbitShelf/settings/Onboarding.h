#pragma once

#include "platform/SystemScripts.h"
#include "settings/OnboardingState.h"

#include <QString>
#include <QWidget>

#include <functional>
#include <vector>

class AppState;
class QCheckBox;
class QLabel;
class QPushButton;

// What the onboarding's steps ask of the world. Tests script them.
struct OnboardingServices {
    // Asks whether the process is trusted, letting the platform prompt.
    std::function<bool()> accessibilityTrustedWithPrompt;
    std::function<void()> requestScreenCapture;
    std::function<void(const QString& feature)> trackFeature;
    // The other docks that run where a bar on one of the sides stands, by
    // name; and switching on their auto-hide, which runs off the main thread.
    std::function<platform::OtherDocksFound(const std::vector<platform::ReservedEdge::Side>&)> otherDocks;
    std::function<platform::HideDocksReport(const std::vector<platform::ReservedEdge::Side>&)> hideSystemDock;
};
// The platform's own answers and the web client's usage reports.
OnboardingServices standardOnboardingServices();

// The texts of the page, exactly as shown.
namespace OnboardingTexts {
inline const char* const hint = "Scroll Down to see the full feature of OrbitShelf";
inline const char* const step1 = "🔥Step 1: Request Accessability Permissions";
inline const char* const necessary = "(Necessary)";
inline const char* const step1Explanation
    = "🔥OrbitShelf needs accessability permissions to access the windows of all running applications on your "
      "MacOS (Necessary)";
inline const char* const step2 = "🔥Step 2: Disable Window Preview? (Recommended Enable) ";
inline const char* const step2Explanation
    = "🔥If you enable it, OrbitShelf Will Require Screen Recording Permission,to show preview windows "
      "(Recommended)";
inline const char* const step3 = "Step 3:Hide Native Dock? (Recommended)";
inline const char* const step3Explanation = "Help you to set auto-hide of the native dock ";
inline const char* const step4 = "Step 4:Enjoy!";
// Where other docks run, in the step 3 explanation's place: what the step
// would do, to which of them.
inline const char* const step3FoundOne
    = "Another dock runs here: %1. Step 3 sets it to hide until the pointer reaches it, so that the bar "
      "stands alone on its edge.";
inline const char* const step3FoundMany
    = "Other docks run here: %1. Step 3 sets them to hide until the pointer reaches them, so that the bar "
      "stands alone on its edge.";
// Where every other dock hides already: there is a dock, and nothing left to do.
inline const char* const step3HidingOne
    = "Another dock runs here and already hides until the pointer reaches it: %1. Step 3 has nothing left "
      "to set.";
inline const char* const step3HidingMany
    = "Other docks run here and already hide until the pointer reaches them: %1. Step 3 has nothing left to "
      "set.";
// Those that hide already, after the docks step 3 would set, and after a click.
inline const char* const step3AlreadyHiding = "Already set to hide until the pointer reaches it: %1.";
inline const char* const step3Done = "Set to hide until the pointer reaches it: %1.";
inline const char* const step3Failed = "Could not be set to hide: %1.";
inline const char* const step3NoDock = "Not applicable: this desktop has no system dock to hide.";
} // namespace OnboardingTexts

// The onboarding page: the feature tour, the hint and the four steps, all on
// one scrolling page, usable in any order.
class Onboarding final : public QWidget {
public:
    Onboarding(
        AppState& state, PermissionChecks checks, OnboardingServices services, QWidget* parent = nullptr);

    OnboardingState& state() { return *m_onboarding; }

    void requestAccessibilityPermission();
    void applyOnboardingPreviewChoice(bool disablePreview);
    // Returns at once; the step's note says what was done when it is.
    void hideSystemDock();
    // Closes the window this page is in; nothing else.
    void closeOnboardingWindow();

    QPushButton* step1Button() const { return m_step1; }
    QCheckBox* step2Toggle() const { return m_step2; }
    // The last word of step 3 when the platform could not do it; empty before.
    QString step3Note() const;

protected:
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void refreshColors();
    void showStep3Report(const platform::HideDocksReport& report);
    void logStepPlaces();

    AppState& m_appState;
    OnboardingServices m_services;
    OnboardingState* m_onboarding = nullptr;
    QPushButton* m_step1 = nullptr;
    QCheckBox* m_step2 = nullptr;
    QLabel* m_step3Explanation = nullptr;
    QLabel* m_step3Note = nullptr;
    QPushButton* m_step3 = nullptr;
    QPushButton* m_step4 = nullptr;
    bool m_watchingWindow = false;
};

// The view the "Onboarding Window" hosts, with the program's own services.
std::unique_ptr<QWidget> makeOnboardingView();
