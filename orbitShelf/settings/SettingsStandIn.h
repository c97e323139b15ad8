#pragma once

#include <memory>

class QWidget;

// Stand-in for the onboarding view until the onboarding lands: a plain page
// that says what the onboarding will ask for.
std::unique_ptr<QWidget> makeOnboardingView();

// The settings tabs and the quit dialog; placeholder pages until they land.
QWidget* makeGeneralConfig();
QWidget* makeQuitView();

// Stand-in for what the settings window's multiple-screens switch does once
// it exists: 0.15 s after a change, the other screens' docks are made (on)
// or closed (off). The main dock stays either way.
void multipleScreensSupportChanged(bool on);

