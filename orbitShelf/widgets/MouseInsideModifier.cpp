#include "widgets/MouseInsideModifier.h"

#include <QEvent>
#include <QWidget>

MouseInsideModifier::Coordinator::Coordinator(QObject* parent)
    : QObject(parent)
{
}

bool MouseInsideModifier::Coordinator::eventFilter(QObject* watched, QEvent* event)
{
    if (mouseIsInside && *mouseIsInside) {
        if (event->type() == QEvent::Enter)
            (*mouseIsInside)(true);
        else if (event->type() == QEvent::Leave)
            (*mouseIsInside)(false);
    }
    return QObject::eventFilter(watched, event);
}

MouseInsideModifier::Coordinator* MouseInsideModifier::install(
    QWidget* view, std::function<void(bool)> onChange)
{
    auto* coordinator = new Coordinator(view);
    if (onChange)
        coordinator->mouseIsInside = std::move(onChange);
    view->installEventFilter(coordinator);
    return coordinator;
}
