#include "tools/ToolPinButton.h"

#include "tools/ToolArtwork.h"

#include <QCoreApplication>
#include <QIcon>
#include <QPixmap>
#include <QToolButton>

QToolButton* makeToolPinButton()
{
    auto* pin = new QToolButton;
    pin->setObjectName(QStringLiteral("pin"));
    // Where the theme has no pin, its other stand-ins read wrong here (a
    // red "!" reads as an error): our own pin, light as the panels' text.
    QIcon icon = QIcon::fromTheme(QStringLiteral("view-pin"));
    if (icon.isNull()) {
        for (const int side : { 16, 24, 32, 48, 64 })
            icon.addPixmap(QPixmap::fromImage(pinImage(side, Qt::white)));
    }
    pin->setIcon(icon);
    pin->setToolTip(QCoreApplication::translate("ToolPinButton", "Pin to the bar"));
    // The panels draw white text on dark; the tooltip keeps dark text on
    // its own pale ground, or it would be white on pale yellow.
    pin->setStyleSheet(QStringLiteral("QToolButton { color: white; }"
                                      "QToolTip { color: black; background-color: #ffffdc; "
                                      "border: 1px solid #767676; padding: 2px; }"));
    pin->setAutoRaise(true);
    return pin;
}
