#pragma once

// Change notices of the kit's objects: an observer of a key hears "will"
// (with the prior option) before a change and "did" after it, with the old
// and new values as asked for. Setters bracket their change with
// willChangeValueForKey / didChangeValueForKey; brackets of one key nest.
#include <QHash>
#include <QList>
#include <QObject>
#include <QRecursiveMutex>
#include <QVariant>

#include <functional>

struct KCChange {
    QString key;
    bool isPrior = false;
    QVariant oldValue; // invalid unless the old option was asked for
    QVariant newValue; // invalid unless the new option was asked for
};

class KCObservable : public QObject {
    Q_OBJECT
public:
    enum Option { optionNew = 0x1, optionOld = 0x2, optionInitial = 0x4, optionPrior = 0x8 };
    using Observer = std::function<void(const KCChange&)>;

    explicit KCObservable(QObject* parent = nullptr);
    ~KCObservable() override;

    virtual QVariant valueForKey(const QString& key) const;

    // Returns a token for removeObserver. With optionInitial the observer
    // hears the current value at once.
    int addObserver(const QString& key, int options, Observer observer);
    void removeObserver(int token);
    int observerCount(const QString& key) const;

    void willChangeValueForKey(const QString& key);
    void didChangeValueForKey(const QString& key);

private:
    struct Registration {
        QString key;
        int options;
        std::shared_ptr<Observer> observer;
    };
    QList<Registration> registrationsFor(const QString& key) const;

    mutable QRecursiveMutex m_observersLock;
    QHash<int, Registration> m_observers;
    int m_nextToken = 1;
    QHash<QString, QList<QVariant>> m_pendingOld;
};

// Brackets one change of a key.
class KCChangeNotice final {
public:
    KCChangeNotice(KCObservable* object, const QString& key)
        : m_object(object)
        , m_key(key)
    {
        m_object->willChangeValueForKey(m_key);
    }
    ~KCChangeNotice() { m_object->didChangeValueForKey(m_key); }
    KCChangeNotice(const KCChangeNotice&) = delete;
    KCChangeNotice& operator=(const KCChangeNotice&) = delete;

private:
    KCObservable* m_object;
    QString m_key;
};
