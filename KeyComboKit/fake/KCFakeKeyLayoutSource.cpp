#include "KeyComboKit/fake/KCFakeKeyLayoutSource.h"

#include "KeyComboKit/x11/KCXkbInputSource.h"

#include <xkbcommon/xkbcommon.h>

#include <QMutex>
#include <QRegularExpression>

struct KCFakeKeyLayoutSource::Private {
    xkb_context* context = xkb_context_new(XKB_CONTEXT_NO_FLAGS);
    QMutex lock;
    KCInputSourceRef current;
    KCInputSourceRef ascii;
    bool available = true;
    bool identifiersMissing = false;
    ~Private() { xkb_context_unref(context); }
};

namespace {

// An input source that hides its identifier.
class Anonymous final : public KCInputSource {
public:
    explicit Anonymous(KCInputSourceRef inner)
        : m_inner(std::move(inner))
    {
    }
    QString identifier() const override { return {}; }
    Translation translate(quint16 keyCode, quint32 state) const override
    {
        return m_inner->translate(keyCode, state);
    }

private:
    KCInputSourceRef m_inner;
};

} // namespace

KCFakeKeyLayoutSource::KCFakeKeyLayoutSource(QObject* parent)
    : KCKeyLayoutSource(parent)
    , d(std::make_unique<Private>())
{
    select(QStringLiteral("us"));
}

KCFakeKeyLayoutSource::~KCFakeKeyLayoutSource() = default;

bool KCFakeKeyLayoutSource::select(const QString& layouts, quint32 group)
{
    QStringList names;
    QStringList variants;
    static const QRegularExpression form(QStringLiteral("^([^()]+)(?:\\(([^)]*)\\))?$"));
    for (const QString& part : layouts.split(u',')) {
        const auto m = form.match(part.trimmed());
        if (!m.hasMatch())
            return false;
        names.append(m.captured(1));
        variants.append(m.captured(2));
    }
    xkb_keymap* keymap = KCXkbInputSource::compileKeymap(d->context, names.join(u','), variants.join(u','));
    if (!keymap)
        return false;
    const QStringList ids = KCXkbInputSource::layoutIdentifiers(names.join(u','), variants.join(u','));
    if (group >= xkb_keymap_num_layouts(keymap)) {
        xkb_keymap_unref(keymap);
        return false;
    }
    auto current = std::make_shared<KCXkbInputSource>(keymap, group, ids.value(group));
    auto ascii = KCXkbInputSource::asciiCapable(d->context, keymap, ids, group);
    xkb_keymap_unref(keymap);
    {
        QMutexLocker locker(&d->lock);
        d->current = std::move(current);
        d->ascii = std::move(ascii);
    }
    emit layoutChanged();
    return true;
}

void KCFakeKeyLayoutSource::setAvailable(bool available)
{
    QMutexLocker locker(&d->lock);
    d->available = available;
}

void KCFakeKeyLayoutSource::setIdentifiersMissing(bool missing)
{
    QMutexLocker locker(&d->lock);
    d->identifiersMissing = missing;
}

KCInputSourceRef KCFakeKeyLayoutSource::currentKeyboardLayout()
{
    QMutexLocker locker(&d->lock);
    if (!d->available)
        return nullptr;
    return d->identifiersMissing ? std::make_shared<Anonymous>(d->current) : d->current;
}

KCInputSourceRef KCFakeKeyLayoutSource::currentASCIICapableKeyboardLayout()
{
    QMutexLocker locker(&d->lock);
    if (!d->available)
        return nullptr;
    return d->identifiersMissing ? std::make_shared<Anonymous>(d->ascii) : d->ascii;
}
