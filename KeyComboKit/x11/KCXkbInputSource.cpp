#include "KeyComboKit/x11/KCXkbInputSource.h"

#include "KeyComboKit/KCKeyCodes.h"

#include <xkbcommon/xkbcommon.h>

#include <QRegularExpression>

namespace {

// Dead keys show the spacing form of their accent, as on a key cap.
QString spacingCharacter(xkb_keysym_t sym)
{
    switch (sym) {
    case XKB_KEY_dead_grave:
        return QStringLiteral("`");
    case XKB_KEY_dead_acute:
        return QStringLiteral("´");
    case XKB_KEY_dead_circumflex:
        return QStringLiteral("^");
    case XKB_KEY_dead_tilde:
        return QStringLiteral("~");
    case XKB_KEY_dead_macron:
        return QStringLiteral("¯");
    case XKB_KEY_dead_breve:
        return QStringLiteral("˘");
    case XKB_KEY_dead_abovedot:
        return QStringLiteral("˙");
    case XKB_KEY_dead_diaeresis:
        return QStringLiteral("¨");
    case XKB_KEY_dead_abovering:
        return QStringLiteral("˚");
    case XKB_KEY_dead_doubleacute:
        return QStringLiteral("˝");
    case XKB_KEY_dead_caron:
        return QStringLiteral("ˇ");
    case XKB_KEY_dead_cedilla:
        return QStringLiteral("¸");
    case XKB_KEY_dead_ogonek:
        return QStringLiteral("˛");
    case XKB_KEY_dead_iota:
        return QStringLiteral("ͺ");
    case XKB_KEY_dead_belowdot:
        return QStringLiteral(".");
    case XKB_KEY_dead_stroke:
        return QStringLiteral("/");
    default:
        return {};
    }
}

xkb_mod_mask_t modBit(xkb_keymap* keymap, const char* name, const char* fallback = nullptr)
{
    xkb_mod_index_t index = xkb_keymap_mod_get_index(keymap, name);
    if (index == XKB_MOD_INVALID && fallback)
        index = xkb_keymap_mod_get_index(keymap, fallback);
    return index == XKB_MOD_INVALID ? 0 : xkb_mod_mask_t(1) << index;
}

} // namespace

KCXkbInputSource::KCXkbInputSource(xkb_keymap* keymap, quint32 layoutIndex, QString identifier)
    : m_keymap(xkb_keymap_ref(keymap))
    , m_layout(layoutIndex)
    , m_identifier(std::move(identifier))
{
}

KCXkbInputSource::~KCXkbInputSource()
{
    xkb_keymap_unref(m_keymap);
}

KCInputSource::Translation KCXkbInputSource::translate(quint16 keyCode, quint32 modifierState) const
{
    const auto xKeycode = KCXKeycodeForKeyCode(keyCode);
    if (!xKeycode)
        return {};
    xkb_mod_mask_t mods = 0;
    if (modifierState & kcstate::shift)
        mods |= modBit(m_keymap, XKB_MOD_NAME_SHIFT);
    if (modifierState & kcstate::option)
        mods |= modBit(m_keymap, "LevelThree", "Mod5");
    if (modifierState & kcstate::control)
        mods |= modBit(m_keymap, XKB_MOD_NAME_CTRL);
    if (modifierState & kcstate::command)
        mods |= modBit(m_keymap, XKB_MOD_NAME_LOGO);
    // The keypad types digits, as a keypad without Num Lock does elsewhere.
    const xkb_mod_mask_t locked = modBit(m_keymap, "NumLock", XKB_MOD_NAME_NUM);

    std::unique_ptr<xkb_state, decltype(&xkb_state_unref)> state(xkb_state_new(m_keymap), &xkb_state_unref);
    if (!state)
        return { -1, {} };
    xkb_state_update_mask(state.get(), mods, 0, locked, 0, 0, m_layout);
    const xkb_keysym_t sym = xkb_state_key_get_one_sym(state.get(), *xKeycode);
    if (const QString dead = spacingCharacter(sym); !dead.isEmpty())
        return { 0, dead };
    char buffer[64];
    const int size = xkb_state_key_get_utf8(state.get(), *xKeycode, buffer, sizeof buffer);
    if (size <= 0)
        return {};
    return { 0, QString::fromUtf8(buffer, qMin(size, int(sizeof buffer) - 1)) };
}

bool KCXkbInputSource::isASCIICapable() const
{
    // The A, S and Q positions: letters of every Latin layout, of none other.
    for (quint16 keyCode : { 0, 1, 12 }) {
        const QString text = translate(keyCode, 0).text;
        if (text.size() != 1 || text.at(0).unicode() >= 0x80 || !text.at(0).isLetter())
            return false;
    }
    return true;
}

QStringList KCXkbInputSource::layoutIdentifiers(const QString& layouts, const QString& variants)
{
    const QStringList names = layouts.split(u',');
    const QStringList variantNames = variants.split(u',');
    QStringList ids;
    for (qsizetype i = 0; i < names.size(); ++i) {
        const QString variant = variantNames.value(i).trimmed();
        const QString name = names.at(i).trimmed();
        ids.append(variant.isEmpty() ? name : QStringLiteral("%1(%2)").arg(name, variant));
    }
    return ids;
}

xkb_keymap* KCXkbInputSource::compileKeymap(
    xkb_context* context, const QString& layouts, const QString& variants)
{
    const QByteArray layout = layouts.toUtf8();
    const QByteArray variant = variants.toUtf8();
    xkb_rule_names names {};
    names.rules = "evdev";
    names.model = "pc105";
    names.layout = layout.constData();
    names.variant = variant.constData();
    return xkb_keymap_new_from_names(context, &names, XKB_KEYMAP_COMPILE_NO_FLAGS);
}

KCInputSourceRef KCXkbInputSource::asciiCapable(
    xkb_context* context, xkb_keymap* keymap, const QStringList& identifiers, quint32 current)
{
    const quint32 count = xkb_keymap_num_layouts(keymap);
    auto selected = std::make_shared<KCXkbInputSource>(keymap, current, identifiers.value(current));
    if (selected->isASCIICapable())
        return selected;
    for (quint32 i = 0; i < count; ++i) {
        auto candidate = std::make_shared<KCXkbInputSource>(keymap, i, identifiers.value(i));
        if (candidate->isASCIICapable())
            return candidate;
    }
    xkb_keymap* us = compileKeymap(context, QStringLiteral("us"), QString());
    if (!us)
        return nullptr;
    auto source = std::make_shared<KCXkbInputSource>(us, 0, QStringLiteral("us"));
    xkb_keymap_unref(us);
    return source;
}

QStringList KCXkbInputSource::layoutsOfSymbols(const QString& symbols, quint32 count)
{
    QStringList layouts(count);
    const QStringList parts = symbols.split(u'+');
    static const QRegularExpression component(QStringLiteral("^([^():]+(\\([^)]*\\))?)(:(\\d+))?$"));
    bool first = true;
    // The first part names the keyboard ("pc"); a layout without a group
    // number is the first group, options carry none.
    for (qsizetype i = 1; i < parts.size(); ++i) {
        const auto c = component.match(parts.at(i));
        if (!c.hasMatch())
            continue;
        const int group = c.captured(4).isEmpty() ? (first ? 1 : 0) : c.captured(4).toInt();
        first = false;
        if (group >= 1 && group <= layouts.size() && layouts[group - 1].isEmpty())
            layouts[group - 1] = c.captured(1);
    }
    return layouts;
}
