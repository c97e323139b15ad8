#pragma once

#include <memory>

class QWidget;

// Stand-in for the onboarding view until the onboarding lands: a plain page
// that says what the onboarding will ask for.
std::unique_ptr<QWidget> makeOnboardingView();

// The settings tabs and the quit dialog; placeholder pages until they land.
QWidget* makeGeneralConfig();
QWidget* makeQuitView();
