#include "tools/ToolPinButton.h"

#include <QCoreApplication>
#include <QIcon>
#include <QToolButton>

QToolButton* makeToolPinButton()
{
    auto* pin = new QToolButton;
    pin->setObjectName(QStringLiteral("pin"));
    pin->setIcon(
        QIcon::fromTheme(QStringLiteral("view-pin"), QIcon::fromTheme(QStringLiteral("emblem-important"))));
    pin->setToolTip(QCoreApplication::translate("ToolPinButton", "Pin to the bar"));
    // Without a theme that has either icon the button still needs a face.
    if (pin->icon().isNull())
        pin->setText(QCoreApplication::translate("ToolPinButton", "Pin"));
    pin->setStyleSheet(QStringLiteral("color: white;"));
    pin->setAutoRaise(true);
    return pin;
}
