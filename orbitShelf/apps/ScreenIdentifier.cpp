#include "apps/ScreenIdentifier.h"

#include "platform/Services.h"

#include <QHash>
#include <QMutex>
#include <QScreen>

namespace {

struct Cache {
    QMutex mutex;
    // The identity the answers came from: another one installed starts the
    // cache afresh. Held, so that its address is never a new one's.
    std::shared_ptr<platform::ScreenIdentity> source;
    // Identity reads cost X round trips and screens are asked for on every
    // layout pass; a QScreen lives as long as its output stays connected.
    QHash<const QScreen*, std::optional<QString>> byScreen;
};

Cache& cache()
{
    static Cache c;
    return c;
}

} // namespace

std::optional<QString> screenIdentifier(const QScreen* screen)
{
    if (!screen)
        return std::nullopt;
    Cache& c = cache();
    const std::shared_ptr<platform::ScreenIdentity> source = platform::screenIdentity();
    {
        QMutexLocker lock(&c.mutex);
        if (c.source != source) {
            c.source = source;
            c.byScreen.clear();
        }
        if (const auto it = c.byScreen.constFind(screen); it != c.byScreen.cend())
            return *it;
    }
    const QString name = screen->name();
    std::optional<platform::DisplayDescription> display = source ? source->describe(name) : std::nullopt;
    if (!display)
        display = platform::DisplayDescription { name, {}, false };
    const QUuid uuid = platform::displayUuid(*display);
    const std::optional<QString> id
        = uuid.isNull() ? std::nullopt : std::optional<QString>(platform::uuidText(uuid));

    QMutexLocker lock(&c.mutex);
    if (c.source == source && !c.byScreen.contains(screen)) {
        c.byScreen.insert(screen, id);
        QObject::connect(screen, &QObject::destroyed, [screen] {
            QMutexLocker l(&cache().mutex);
            cache().byScreen.remove(screen);
        });
    }
    return id;
}

QString screenKeyText(const std::optional<QString>& identifier)
{
    return identifier ? QStringLiteral("Optional(%1)").arg(*identifier) : QStringLiteral("nil");
}

QString screenIdentifierKey(const QScreen* screen)
{
    return screenKeyText(screenIdentifier(screen));
}
