#include "dock/DockStandIn.h"

#include "app/AppState.h"
#include "dock/DockAutoHide.h"
#include "dock/DockLayout.h"

#include <QLabel>
#include <QVBoxLayout>
#include <QWidget>

QWidget* makeFullScreenToast(const QString& spaceID, qint64 windowNumber, double width, double height)
{
    auto* card = new QWidget;
    card->setObjectName(QStringLiteral("FullScreenToast"));
    card->setProperty("spaceID", spaceID);
    card->setProperty("winnum", windowNumber);
    card->setProperty("toastWidth", width);
    card->setProperty("toastHeight", height);
    auto* layout = new QVBoxLayout(card);
    for (const QString& text :
        { QStringLiteral("Fullscreen! Hide OrbitShelf?"), QStringLiteral("Option + Shift + H") }) {
        auto* label = new QLabel(text);
        label->setAlignment(Qt::AlignCenter);
        layout->addWidget(label);
    }
    return card;
}

namespace {
std::optional<QString> calibration(const StringMap& entries, const QString& screenKey)
{
    const auto it = entries.constFind(screenKey);
    if (it == entries.constEnd())
        return std::nullopt;
    return *it;
}
} // namespace

int calibratedScreenWidth(const QString& screenKey, const QRect& visibleFrame)
{
    return calibratedScreenLength(
        calibration(AppState::shared().settings.spaceWidth(), screenKey), visibleFrame.width());
}

int calibratedScreenHeight(const QString& screenKey, const QRect& visibleFrame)
{
    return calibratedScreenLength(
        calibration(AppState::shared().settings.spaceHeight(), screenKey), visibleFrame.height());
}

void applyFullScreenAutoHide(int64_t windowNumber, const QString& screenKey)
{
    applyFullScreenAutoHide(AppState::shared(), windowNumber, screenKey);
}

QMap<qint64, bool>& dockHiddenFlags()
{
    return fullScreenAutoHideFlags().dockHiddenFlags;
}

QMap<QString, QString>& dockScreenFlags()
{
    return fullScreenAutoHideFlags().dockScreenFlags;
}
