#include "dock/FullScreenToast.h"

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
    // The toast window itself is clear; the card carries the background.
    card->setAttribute(Qt::WA_StyledBackground);
    card->setStyleSheet(QStringLiteral("#FullScreenToast { background: rgba(28, 28, 30, 230); border-radius: 18px; }"
                                       "QLabel { color: white; font-size: 20px; }"));
    auto* layout = new QVBoxLayout(card);
    for (const QString& text : {QStringLiteral("Fullscreen! Hide OrbitShelf?"), QStringLiteral("Option + Shift + H")}) {
        auto* label = new QLabel(text);
        label->setAlignment(Qt::AlignCenter);
        layout->addWidget(label);
    }
    return card;
}
