#include "settings/SettingsStandIn.h"

#include "dock/DockWindows.h"

#include <QCoreApplication>
#include <QLabel>
#include <QTimer>
#include <QLoggingCategory>

#include <algorithm>

static Q_LOGGING_CATEGORY(lcSettingsStandIn, "orbitshelf.settings")

std::unique_ptr<QWidget> makeOnboardingView()
{
    qCDebug(lcSettingsStandIn)
        << "makeOnboardingView: the onboarding is not built yet; showing a placeholder";
    auto label = std::make_unique<QLabel>(QStringLiteral("Welcome to orbitShelf."));
    label->setAlignment(Qt::AlignCenter);
    return label;
}

namespace {
QWidget* notYetPage(const QString& text)
{
    auto* label = new QLabel(text);
    label->setAlignment(Qt::AlignCenter);
    label->setWordWrap(true);
    return label;
}
} // namespace

QWidget* makeGeneralConfig()
{
    return notYetPage(QStringLiteral("The settings tabs are not available in this build."));
}

QWidget* makeQuitView()
{
    return notYetPage(QStringLiteral("The quit dialog is not available in this build."));
}

void multipleScreensSupportChanged(bool on)
{
    QTimer::singleShot(150, QCoreApplication::instance(), [on] {
        if (on)
            createDockWindows();
        else
            closeScreenDockWindows();
    });
}

