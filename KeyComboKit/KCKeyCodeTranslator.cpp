#include "KeyComboKit/KCKeyCodeTranslator.h"

#include "KeyComboKit/KCCommon.h"
#include "KeyComboKit/KCKeyCodes.h"

size_t qHash(const KCKeyCodeTranslatorCacheKey& key, size_t seed)
{
    const size_t h = (size_t(qHash(key.identifier)) << 24) | ((key.explicitModifierFlags >> 17) << 20)
        | ((key.implicitModifierFlags >> 17) << 16) | key.keyCode;
    return h ^ seed;
}

KCKeyCodeTranslator::KCKeyCodeTranslator(Creator creator)
    : m_creator(std::move(creator))
{
}

KCKeyCodeTranslator::KCKeyCodeTranslator(KCInputSourceRef fixed)
    : m_fixed(std::move(fixed))
{
}

KCKeyCodeTranslator& KCKeyCodeTranslator::shared()
{
    static KCKeyCodeTranslator translator([]() -> KCInputSourceRef {
        KCKeyLayoutSource* source = KCCurrentKeyLayoutSource();
        return source ? source->currentKeyboardLayout() : nullptr;
    });
    return translator;
}

KCInputSourceRef KCKeyCodeTranslator::inputSource() const
{
    if (m_fixed)
        return m_fixed;
    return m_creator ? m_creator() : nullptr;
}

qsizetype KCKeyCodeTranslator::cacheSize() const
{
    QMutexLocker locker(&m_lock);
    return m_cache.size();
}

std::optional<QString> KCKeyCodeTranslator::translateKeyCode(
    quint16 keyCode, quint64 implicitModifierFlags, quint64 explicitModifierFlags, bool usingCache)
{
    if (keyCode == KCKeyCodeNone)
        return QString();
    const KCInputSourceRef source = inputSource();
    if (!source) {
        qCCritical(lcKeyComboKit) << "#Critical Failed to create an input source";
        return std::nullopt;
    }
    implicitModifierFlags &= kc::mask;
    std::optional<KCKeyCodeTranslatorCacheKey> key;
    if (usingCache) {
        const QString identifier = source->identifier();
        if (!identifier.isEmpty())
            key = KCKeyCodeTranslatorCacheKey { identifier, implicitModifierFlags,
                explicitModifierFlags & kc::mask, keyCode };
        else
            qCCritical(lcKeyComboKit) << "#Error Input source misses an ID";
    }

    QMutexLocker locker(&m_lock);
    if (key) {
        const auto hit = m_cache.constFind(*key);
        if (hit != m_cache.constEnd()) {
            qCDebug(lcKeyComboKit) << "Translation cache hit";
            return *hit;
        }
        qCDebug(lcKeyComboKit) << "Translation cache miss";
    }
    quint32 state = 0;
    if (implicitModifierFlags & kc::command)
        state |= kcstate::command;
    if (implicitModifierFlags & kc::shift)
        state |= kcstate::shift;
    if (implicitModifierFlags & kc::option)
        state |= kcstate::option;
    if (implicitModifierFlags & kc::control)
        state |= kcstate::control;
    const KCInputSource::Translation result = source->translate(keyCode, state);
    if (result.status != 0) {
        qCCritical(lcKeyComboKit).noquote()
            << QStringLiteral("#Error Unable to translate keyCode %1 and modifierFlags %2: %3")
                   .arg(keyCode)
                   .arg(implicitModifierFlags)
                   .arg(result.status);
        return std::nullopt;
    }
    if (result.text.isEmpty()) {
        qCDebug(lcKeyComboKit).noquote()
            << QStringLiteral("#Error No translation exists for keyCode %1 and modifierFlags %2")
                   .arg(keyCode)
                   .arg(implicitModifierFlags);
        return std::nullopt;
    }
    if (key)
        m_cache.insert(*key, result.text);
    return result.text;
}

KCKeyCodeASCIITranslator& KCKeyCodeASCIITranslator::shared()
{
    static KCKeyCodeASCIITranslator translator([]() -> KCInputSourceRef {
        KCKeyLayoutSource* source = KCCurrentKeyLayoutSource();
        return source ? source->currentASCIICapableKeyboardLayout() : nullptr;
    });
    return translator;
}

std::optional<quint16> KCKeyCodeASCIITranslator::keyCodeForTranslation(const QString& translation)
{
    if (translation != translation.toLower())
        throw KCAssertionFailure(
            QStringLiteral("aTranslation must be a lowercase string"), "KCKeyCodeTransformer", __LINE__);
    const KCInputSourceRef source = inputSource();
    if (!source) {
        qCCritical(lcKeyComboKit) << "#Critical Failed to create an input source";
        return std::nullopt;
    }
    const QString identifier = source->identifier();
    if (identifier.isEmpty()) {
        qCCritical(lcKeyComboKit) << "#Error Input source misses an ID";
        return std::nullopt;
    }
    QMutexLocker locker(&m_lock);
    if (m_inputSourceIdentifier != identifier) {
        qCDebug(lcKeyComboKit) << "Updating translation -> key code mapping";
        QHash<QString, quint16> map;
        map.reserve(KCKnownKeyCodes().size());
        for (quint16 keyCode : KCKnownKeyCodes()) {
            const auto text = translateKeyCode(keyCode, 0, 0, true);
            if (text && !text->isEmpty())
                map.insert(*text, keyCode);
        }
        m_translationToKeyCode = std::move(map);
        m_inputSourceIdentifier = identifier;
    }
    const auto found = m_translationToKeyCode.constFind(translation);
    if (found == m_translationToKeyCode.constEnd())
        return std::nullopt;
    return *found;
}
