#include "app/AuxiliaryContent.h"

#include <QLabel>
#include <QVBoxLayout>

namespace {

QWidget* placeholder(const QString& text)
{
    auto* label = new QLabel(text);
    label->setAlignment(Qt::AlignCenter);
    label->setWordWrap(true);
    return label;
}

} // namespace

QWidget* makeFullScreenToast(const QString& spaceID, qint64 windowNumber, double width, double height)
{
    auto* card = new QWidget;
    card->setObjectName(QStringLiteral("FullScreenToast"));
    card->setProperty("spaceID", spaceID);
    card->setProperty("winnum", windowNumber);
    card->setProperty("toastWidth", width);
    card->setProperty("toastHeight", height);
    auto* layout = new QVBoxLayout(card);
    auto* title = new QLabel(QStringLiteral("Fullscreen! Hide OrbitShelf?"));
    auto* shortcut = new QLabel(QStringLiteral("Option + Shift + H"));
    for (QLabel* l : {title, shortcut}) {
        l->setAlignment(Qt::AlignCenter);
        layout->addWidget(l);
    }
    return card;
}

QWidget* makeGeneralConfig()
{
    return placeholder(QStringLiteral("The settings tabs are not available in this build."));
}

QWidget* makeQuitView()
{
    return placeholder(QStringLiteral("The quit dialog is not available in this build."));
}

QWidget* makePasteBoardView(std::optional<int> column, int limit)
{
    QWidget* view = placeholder(QStringLiteral("The clipboard history is not available in this build."));
    view->setProperty("column", column ? QVariant(*column) : QVariant());
    view->setProperty("limit", limit);
    return view;
}

void closeSwitcherPopup() {}
