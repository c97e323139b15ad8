#pragma once

// The seam between the kit and the keyboard layouts of the platform. An
// input source is one layout of a keymap; its identifier is the layout's
// name ("us", "de", "us(mac)").
#include <QObject>
#include <QString>

#include <memory>

// The modifier state handed to a layout: the AppKit modifier bits shifted
// right by 8, as the translator builds it from the implicit flags.
namespace kcstate {
inline constexpr quint32 command = 0x01;
inline constexpr quint32 shift = 0x02;
inline constexpr quint32 option = 0x08;
inline constexpr quint32 control = 0x10;
} // namespace kcstate

class KCInputSource {
public:
    virtual ~KCInputSource() = default;
    // Empty when the source has no identifier.
    virtual QString identifier() const = 0;
    struct Translation {
        int status = 0; // non-zero: the layout could not translate
        QString text; // empty: the key has no text here
    };
    // What the key types in this layout with the modifier state, showing
    // a dead key as its spacing character.
    virtual Translation translate(quint16 keyCode, quint32 modifierState) const = 0;
};

using KCInputSourceRef = std::shared_ptr<const KCInputSource>;

class KCKeyLayoutSource : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;
    // Null when no source can be made.
    virtual KCInputSourceRef currentKeyboardLayout() = 0;
    // The current keyboard's first layout whose letters are ASCII, else US.
    virtual KCInputSourceRef currentASCIICapableKeyboardLayout() = 0;

signals:
    // The selected layout, or the keymap, changed.
    void layoutChanged();
};

// The process-wide layout source the shared translators read; the kit does
// not own it. Null (the default) makes every translation fail.
void KCSetKeyLayoutSource(KCKeyLayoutSource* source);
KCKeyLayoutSource* KCCurrentKeyLayoutSource();
