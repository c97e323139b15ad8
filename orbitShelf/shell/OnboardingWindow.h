#pragma once

#include <memory>

class QWidget;

// The first-run window, "Onboarding Window", 800 by 670 (less on a smaller
// screen: placeOnScreen), hosting the onboarding view, centred on the
// primary screen. Registered as an application window; not shown.
std::unique_ptr<QWidget> makeOnboardingWindow();
