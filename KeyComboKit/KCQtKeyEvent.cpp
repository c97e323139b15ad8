#include "KeyComboKit/KCQtKeyEvent.h"

#include "KeyComboKit/KCKeyCodeTranslator.h"

#include <QKeyEvent>

quint64 KCModifierFlagsFromQt(Qt::KeyboardModifiers modifiers)
{
    quint64 flags = 0;
    if (modifiers & Qt::ShiftModifier)
        flags |= kc::shift;
    if (modifiers & Qt::ControlModifier)
        flags |= kc::command;
    if (modifiers & Qt::AltModifier)
        flags |= kc::option;
    if (modifiers & Qt::MetaModifier)
        flags |= kc::control;
    return flags;
}

KCKeyEvent KCKeyEventFromQKeyEvent(const QKeyEvent& event)
{
    KCKeyEvent e;
    e.keyCode = KCKeyCodeForXKeycode(event.nativeScanCode());
    e.modifierFlags = KCModifierFlagsFromQt(event.modifiers());
    switch (event.key()) {
    case Qt::Key_Shift:
    case Qt::Key_Control:
    case Qt::Key_Alt:
    case Qt::Key_AltGr:
    case Qt::Key_Meta:
    case Qt::Key_Super_L:
    case Qt::Key_Super_R:
        e.type = KCKeyEvent::flagsChanged;
        return e;
    default:
        break;
    }
    e.type = event.type() == QEvent::KeyRelease ? KCKeyEvent::keyUp : KCKeyEvent::keyDown;
    e.characters = event.text();
    // What the key types with Shift at most, as the layout has it.
    const auto ignoring
        = KCKeyCodeTranslator::shared().translateKeyCode(e.keyCode, e.modifierFlags & kc::shift, 0, true);
    e.charactersIgnoringModifiers = ignoring.value_or(event.text());
    return e;
}
