#include "KeyComboKit/KCObservable.h"

KCObservable::KCObservable(QObject* parent)
    : QObject(parent)
{
}

KCObservable::~KCObservable() = default;

QVariant KCObservable::valueForKey(const QString& key) const
{
    return property(key.toUtf8().constData());
}

int KCObservable::addObserver(const QString& key, int options, Observer observer)
{
    int token;
    auto shared = std::make_shared<Observer>(std::move(observer));
    {
        QMutexLocker locker(&m_observersLock);
        token = m_nextToken++;
        m_observers.insert(token, { key, options, shared });
    }
    if (options & optionInitial) {
        KCChange change { key, false, {}, {} };
        if (options & optionNew)
            change.newValue = valueForKey(key);
        (*shared)(change);
    }
    return token;
}

void KCObservable::removeObserver(int token)
{
    QMutexLocker locker(&m_observersLock);
    m_observers.remove(token);
}

int KCObservable::observerCount(const QString& key) const
{
    return int(registrationsFor(key).size());
}

QList<KCObservable::Registration> KCObservable::registrationsFor(const QString& key) const
{
    QMutexLocker locker(&m_observersLock);
    QList<std::pair<int, Registration>> found;
    for (auto it = m_observers.begin(); it != m_observers.end(); ++it)
        if (it->key == key)
            found.append({ it.key(), *it });
    // Observers hear a change in the order they started observing.
    std::sort(found.begin(), found.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
    QList<Registration> result;
    for (const auto& f : found)
        result.append(f.second);
    return result;
}

void KCObservable::willChangeValueForKey(const QString& key)
{
    const auto registrations = registrationsFor(key);
    bool wantsOld = false;
    for (const auto& r : registrations)
        wantsOld = wantsOld || (r.options & optionOld);
    const QVariant old = wantsOld ? valueForKey(key) : QVariant();
    {
        QMutexLocker locker(&m_observersLock);
        m_pendingOld[key].append(old);
    }
    for (const auto& r : registrations) {
        if (!(r.options & optionPrior))
            continue;
        KCChange change { key, true, {}, {} };
        if (r.options & optionOld)
            change.oldValue = old;
        (*r.observer)(change);
    }
}

void KCObservable::didChangeValueForKey(const QString& key)
{
    QVariant old;
    {
        QMutexLocker locker(&m_observersLock);
        auto it = m_pendingOld.find(key);
        if (it != m_pendingOld.end() && !it->isEmpty()) {
            old = it->takeLast();
            if (it->isEmpty())
                m_pendingOld.erase(it);
        }
    }
    const auto registrations = registrationsFor(key);
    bool wantsNew = false;
    for (const auto& r : registrations)
        wantsNew = wantsNew || (r.options & optionNew);
    const QVariant now = wantsNew ? valueForKey(key) : QVariant();
    for (const auto& r : registrations) {
        KCChange change { key, false, {}, {} };
        if (r.options & optionOld)
            change.oldValue = old;
        if (r.options & optionNew)
            change.newValue = now;
        (*r.observer)(change);
    }
}
