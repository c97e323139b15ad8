#pragma once

// An input source over an xkb keymap: one of its layouts (groups), named
// like setxkbmap names it ("de", "us(mac)").
#include "KeyComboKit/KCKeyLayoutSource.h"

#include <QStringList>

#include <memory>

struct xkb_keymap;
struct xkb_context;

class KCXkbInputSource final : public KCInputSource {
public:
    // Takes a reference of the keymap.
    KCXkbInputSource(xkb_keymap* keymap, quint32 layoutIndex, QString identifier);
    ~KCXkbInputSource() override;
    KCXkbInputSource(const KCXkbInputSource&) = delete;
    KCXkbInputSource& operator=(const KCXkbInputSource&) = delete;

    QString identifier() const override { return m_identifier; }
    Translation translate(quint16 keyCode, quint32 modifierState) const override;

    // Whether the layout's letter keys type ASCII letters.
    bool isASCIICapable() const;

    // The names of the keymap's layouts from comma-separated rule names:
    // ("us,de", ",nodeadkeys") -> {"us", "de(nodeadkeys)"}.
    static QStringList layoutIdentifiers(const QString& layouts, const QString& variants);
    // The layouts of a keymap from the symbols name the server keeps with
    // it: ("pc+us+de:2+inet(evdev)", 2) -> {"us", "de"}. The X server's
    // rules property is no use here: setxkbmap may write it before or after
    // the keymap arrives.
    static QStringList layoutsOfSymbols(const QString& symbols, quint32 count);
    // Compiles a keymap from rule names, without an X server; null when xkb
    // cannot compile it.
    static xkb_keymap* compileKeymap(xkb_context* context, const QString& layouts, const QString& variants);
    // The first ASCII-capable layout of the keymap, else a US keymap.
    static KCInputSourceRef asciiCapable(
        xkb_context* context, xkb_keymap* keymap, const QStringList& identifiers, quint32 current);

private:
    xkb_keymap* m_keymap;
    quint32 m_layout;
    QString m_identifier;
};
