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

KCKeyEvent KCKeyEventFromQKeyEvent(const QKeyEvent& event, bool characters)
{
    KCKeyEvent e;
    e.keyCode = KCKeyCodeForXKeycode(event.nativeScanCode());
    e.modifierFlags = KCModifierFlagsFromQt(event.modifiers());
    // Qt puts the key's own bit into modifiers() for Shift, Control, Alt
    // and Meta only (as X reports the state before the event). Super and
    // AltGr come without it, so a press would read as a release: their bit
    // follows the event's direction.
    quint64 ownBit = 0;
    switch (event.key()) {
    case Qt::Key_AltGr:
        ownBit = kc::option;
        break;
    case Qt::Key_Super_L:
    case Qt::Key_Super_R:
        ownBit = kc::control;
        break;
    case Qt::Key_Shift:
    case Qt::Key_Control:
    case Qt::Key_Alt:
    case Qt::Key_Meta:
        e.type = KCKeyEvent::flagsChanged;
        return e;
    default:
        break;
    }
    if (ownBit) {
        e.type = KCKeyEvent::flagsChanged;
        if (event.type() == QEvent::KeyRelease)
            e.modifierFlags &= ~ownBit;
        else
            e.modifierFlags |= ownBit;
        return e;
    }
    e.type = event.type() == QEvent::KeyRelease ? KCKeyEvent::keyUp : KCKeyEvent::keyDown;
    if (!characters)
        return e;
    e.characters = event.text();
    // What the key types with Shift at most, as the layout has it.
    const auto ignoring
        = KCKeyCodeTranslator::shared().translateKeyCode(e.keyCode, e.modifierFlags & kc::shift, 0, true);
    e.charactersIgnoringModifiers = ignoring.value_or(event.text());
    return e;
}
