#include "shell/OnboardingWindow.h"

#include "settings/Onboarding.h"
#include "shell/AppWindows.h"
#include "shell/ScreenFittedWindow.h"

#include <QGuiApplication>
#include <QScreen>
#include <QVBoxLayout>
#include <QWidget>

std::unique_ptr<QWidget> makeOnboardingWindow()
{
    auto window = std::make_unique<QWidget>();
    window->setWindowTitle(QObject::tr("Onboarding Window"));
    window->setObjectName(QStringLiteral("OnboardingWindow"));
    window->resize(800, 670);
    auto* layout = new QVBoxLayout(window.get());
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(makeOnboardingView().release());
    // Centred on the primary screen's free part, and fitted to it where the
    // screen is smaller (a laptop's at 2 is 700 by 525 of Qt's pixels): the
    // page scrolls, and the title bar and Step 4 stay within reach.
    placeOnScreen(window.get(), QGuiApplication::primaryScreen());
    registerAppWindow(window.get());
    return window;
}
