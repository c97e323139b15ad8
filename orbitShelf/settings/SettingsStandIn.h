#pragma once

#include <memory>

class QWidget;

// Stand-in for the onboarding view until its body lands: a plain page that
// already carries the view's state (OnboardingState) and its two hooks.
std::unique_ptr<QWidget> makeOnboardingView();

// Stand-in for the settings tabs: only "Themes" so far.
QWidget* makeGeneralConfig();

// Stand-in for what the settings window's multiple-screens switch does once
// it exists: 0.15 s after a change, the other screens' docks are made (on)
// or closed (off). The main dock stays either way.
void multipleScreensSupportChanged(bool on);

