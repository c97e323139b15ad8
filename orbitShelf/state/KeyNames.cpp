#include "state/KeyNames.h"

#include "platform/KeyCodes.h"

namespace keycode = platform::keycode;
namespace appkit = platform::appkit;

QString keyNameText(quint16 keyCode)
{
    switch (keyCode) {
    case keycode::tab:
        return QStringLiteral("Tab");
    case keycode::space:
        return QStringLiteral("Space");
    case keycode::escape:
        return QStringLiteral("Escape");
    case keycode::grave:
        return QStringLiteral("`");
    case keycode::h:
        return QStringLiteral("H");
    case keycode::p:
        return QStringLiteral("P");
    default:
        break;
    }
    const QString character = keyCodeCharacters().value(keyCode);
    return character.isEmpty() ? QStringLiteral("key %1").arg(keyCode) : character.toUpper();
}

QString keyComboText(quint16 keyCode, quint64 flags)
{
    static const std::pair<quint64, const char*> names[] = {
        { appkit::command, "Ctrl" },
        { appkit::control, "Super" },
        { appkit::option, "Alt" },
        { appkit::shift, "Shift" },
        { appkit::capsLock, "Caps Lock" },
    };
    QString text;
    for (const auto& [flag, name] : names) {
        if (flags & flag)
            text += QLatin1String(name) + QLatin1String(" + ");
    }
    return text + keyNameText(keyCode);
}

quint64 optionModifierFlags(const QString& option)
{
    if (option == QLatin1String("control"))
        return appkit::control;
    if (option == QLatin1String("cmd"))
        return appkit::command;
    if (option == QLatin1String("shift"))
        return appkit::shift;
    if (option == QLatin1String("alpha"))
        return appkit::capsLock;
    return appkit::option;
}

quint16 fixedHotKeyCode(FixedHotKey key)
{
    switch (key) {
    case FixedHotKey::Tab:
        return keycode::tab;
    case FixedHotKey::Pasteboard:
        return keycode::p;
    case FixedHotKey::Autohide:
        return keycode::h;
    case FixedHotKey::HideWindow:
        break;
    }
    return keycode::w;
}

std::optional<quint64> fixedHotKeyFlags(FixedHotKey key, const QString& option)
{
    if (option == QLatin1String("alpha"))
        return std::nullopt;
    const quint64 flags = optionModifierFlags(option);
    // H has always gone with Shift; P with Shift where the modifier is Alt,
    // as the clipboard tool binds it (Alt + P alone is many programs' own).
    if (key == FixedHotKey::Autohide || (key == FixedHotKey::Pasteboard && flags == appkit::option))
        return flags | appkit::shift;
    return flags;
}

const QMap<quint32, QString>& keyCodeCharacters()
{
    static const QMap<quint32, QString> map = [] {
        const std::pair<quint16, const char*> pairs[] = { { keycode::one, "1" }, { keycode::two, "2" },
            { keycode::three, "3" }, { keycode::four, "4" }, { keycode::five, "5" }, { keycode::six, "6" },
            { keycode::seven, "7" }, { keycode::eight, "8" }, { keycode::nine, "9" }, { keycode::zero, "0" },
            { keycode::a, "a" }, { keycode::b, "b" }, { keycode::c, "c" }, { keycode::d, "d" },
            { keycode::e, "e" }, { keycode::f, "f" }, { keycode::g, "g" }, { keycode::i, "i" },
            { keycode::j, "j" }, { keycode::k, "k" }, { keycode::l, "l" }, { keycode::m, "m" },
            { keycode::n, "n" }, { keycode::o, "o" }, { keycode::q, "q" }, { keycode::r, "r" },
            { keycode::s, "s" }, { keycode::t, "t" }, { keycode::u, "u" }, { keycode::v, "v" },
            { keycode::w, "w" }, { keycode::x, "x" }, { keycode::y, "y" }, { keycode::z, "z" } };
        QMap<quint32, QString> m;
        for (const auto& [code, text] : pairs)
            m.insert(code, QString::fromLatin1(text));
        return m;
    }();
    return map;
}

std::optional<quint16> keyCodeForCharacter(const QString& text)
{
    if (text == QLatin1String("h"))
        return keycode::h;
    if (text == QLatin1String("p"))
        return keycode::p;
    const auto& characters = keyCodeCharacters();
    for (auto it = characters.constBegin(); it != characters.constEnd(); ++it)
        if (it.value() == text)
            return static_cast<quint16>(it.key());
    return std::nullopt;
}

std::optional<quint64> windowHotKeyFlags(const QString& character, const QString& hideWindowOption)
{
    if (character == QLatin1String("w"))
        return fixedHotKeyFlags(FixedHotKey::HideWindow, hideWindowOption);
    return appkit::option;
}

QString windowHotKeyText(const QString& character, const QString& hideWindowOption)
{
    const auto code = keyCodeForCharacter(character);
    const auto flags = windowHotKeyFlags(character, hideWindowOption);
    if (!code)
        return QString();
    // "w" with its row at None is held by nothing; the binding is still
    // shown with the modifier it would take.
    return keyComboText(*code, flags.value_or(appkit::option));
}
