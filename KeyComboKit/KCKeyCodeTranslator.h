#pragma once

// Turns a key code and modifier flags into the text the layout puts on the
// key, with a cache per input source; the ASCII variant also maps a text
// back to its key code.
#include "KeyComboKit/KCKeyLayoutSource.h"

#include <QHash>
#include <QRecursiveMutex>
#include <QString>

#include <functional>
#include <optional>

struct KCKeyCodeTranslatorCacheKey {
    QString identifier;
    quint64 implicitModifierFlags;
    quint64 explicitModifierFlags;
    quint16 keyCode;
    bool operator==(const KCKeyCodeTranslatorCacheKey&) const = default;
};
size_t qHash(const KCKeyCodeTranslatorCacheKey& key, size_t seed = 0);

class KCKeyCodeTranslator {
public:
    using Creator = std::function<KCInputSourceRef()>;
    explicit KCKeyCodeTranslator(Creator creator);
    explicit KCKeyCodeTranslator(KCInputSourceRef fixed);
    virtual ~KCKeyCodeTranslator() = default;

    // Over the process's current keyboard layout.
    static KCKeyCodeTranslator& shared();

    // The fixed source, or a new one from the creator (null when none).
    KCInputSourceRef inputSource() const;

    // "" for KCKeyCodeNone; nullopt when the layout has no text for the key.
    std::optional<QString> translateKeyCode(
        quint16 keyCode, quint64 implicitModifierFlags, quint64 explicitModifierFlags, bool usingCache);

    qsizetype cacheSize() const;

protected:
    // Re-entrant: the reverse map's rebuild translates under the same lock.
    mutable QRecursiveMutex m_lock;

private:
    KCInputSourceRef m_fixed;
    Creator m_creator;
    QHash<KCKeyCodeTranslatorCacheKey, QString> m_cache;
};

class KCKeyCodeASCIITranslator final : public KCKeyCodeTranslator {
public:
    using KCKeyCodeTranslator::KCKeyCodeTranslator;

    // Over the current ASCII-capable keyboard layout.
    static KCKeyCodeASCIITranslator& shared();

    // The key code whose unmodified text is the given lowercase text. The
    // map is rebuilt when the ASCII-capable layout has changed. Throws
    // KCAssertionFailure for text that is not lowercase.
    std::optional<quint16> keyCodeForTranslation(const QString& translation);

private:
    QString m_inputSourceIdentifier;
    QHash<QString, quint16> m_translationToKeyCode;
};
