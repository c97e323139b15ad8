#include "shell/OnboardingWindow.h"

#include "settings/Onboarding.h"
#include "shell/AppWindows.h"

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
    if (QScreen* screen = QGuiApplication::primaryScreen()) {
        const QRect area = screen->availableGeometry();
        window->move(area.center() - QPoint(400, 335));
    }
    registerAppWindow(window.get());
    return window;
}
