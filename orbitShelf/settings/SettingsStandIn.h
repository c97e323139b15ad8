#pragma once

#include <memory>

class QWidget;

// Stand-in for the onboarding view until the onboarding lands: a plain page
// that says what the onboarding will ask for.
std::unique_ptr<QWidget> makeOnboardingView();
