#pragma once

#include <memory>

class QWidget;

// The first-run window, "Onboarding Window", 800 by 670, hosting the
// onboarding view centred. Registered as an application window; not shown.
std::unique_ptr<QWidget> makeOnboardingWindow();
