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
    // The panels draw white text on dark; the tooltip keeps dark text on
    // its own pale ground, or it would be white on pale yellow.
    pin->setStyleSheet(QStringLiteral("QToolButton { color: white; }"
                                      "QToolTip { color: black; background-color: #ffffdc; "
                                      "border: 1px solid #767676; padding: 2px; }"));
    pin->setAutoRaise(true);
    return pin;
}
