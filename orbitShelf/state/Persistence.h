#pragma once

#include <QDateTime>
#include <QObject>
#include <QSqlDatabase>
#include <QString>
#include <QVariant>
#include <QVariantMap>

#include <memory>
#include <optional>
#include <vector>

// The object store "Favorite": seven entities in one SQLite file in the
// application support folder, used on the main thread only.
//
// Stored forms: text as TEXT, flags as INTEGER 0/1 (never NULL, so a flag
// that was never set reads false), bytes as BLOB, UUIDs as their text with
// braces removed, and dates as REAL seconds since the Unix epoch (UTC) so
// that sorting by a date column is numeric and exact to the millisecond.
// The schema version is kept in PRAGMA user_version.

enum class Entity { Favorite, PinnedApps, Note, Pasteboard, PasteboardCategory, Plugins, Tag };

enum class AttributeType { Text, Bytes, Date, Uuid, Flag };

struct AttributeDefinition {
    const char* name;
    AttributeType type;
};

struct EntityDefinition {
    Entity entity;
    const char* name;
    std::vector<AttributeDefinition> attributes;
};

const std::vector<EntityDefinition>& storeModel();
const EntityDefinition& entityDefinition(Entity entity);

// One record as read from the store: its object id (stable for the life of
// the record) and its attributes by name; an absent optional attribute is an
// invalid QVariant. Dates come back as QDateTime (UTC), UUIDs as QUuid,
// flags as bool, bytes as QByteArray.
struct Record {
    Entity entity = Entity::Favorite;
    qint64 objectId = 0;
    QVariantMap values;

    QVariant value(const QString& attribute) const { return values.value(attribute); }
    // Text of a text attribute, or nothing when it is absent.
    std::optional<QString> text(const QString& attribute) const;
    bool flag(const QString& attribute) const { return values.value(attribute).toBool(); }
};

struct SortDescriptor {
    QString attribute;
    bool ascending = true;
};

// A one-shot fetch: the records of one entity whose attributes equal the
// given values (all of them), in the given order, at most `limit` (0: all).
// Without a sort the store's own order (insertion order) is kept.
struct FetchRequest {
    Entity entity = Entity::Favorite;
    std::vector<std::pair<QString, QVariant>> equal;
    std::vector<SortDescriptor> sort;
    int limit = 0;
};

class PersistenceController final : public QObject {
    Q_OBJECT
public:
    // The process-wide store, opened by openShared(); asserts when absent.
    static PersistenceController& shared();
    static bool hasShared();
    // Opens the store at defaultStorePath() as the shared one. On failure
    // returns the error text and leaves the file as it found it.
    static std::optional<QString> openShared();
    // Closes the shared store, if open (hasShared() is false afterwards).
    // Each way the process ends calls it before the statics go; the
    // application object's end does at the latest.
    static void closeShared();

    // Opens (creating when absent) the store at `path`; nullptr and `error`
    // when the file cannot be used as our store. Never rewrites or removes an
    // existing file it cannot read.
    static std::unique_ptr<PersistenceController> open(const QString& path, QString* error);
    static QString defaultStorePath();

    ~PersistenceController() override;

    // Reads only what has been saved: unsaved changes are never written as a
    // side effect of a read. nullopt when the query fails (logged).
    std::optional<std::vector<Record>> fetch(const FetchRequest& request) const;
    // All records of an entity in the store's order (the views' live lists).
    std::vector<Record> fetchAll(Entity entity) const;

    // Changes are staged and written by save(), one transaction per save.
    // An unknown attribute or a value of the wrong type rejects the change
    // (logged) and returns false.
    bool insert(Entity entity, const QVariantMap& values);
    bool update(const Record& record, const QVariantMap& values);
    void remove(const Record& record);
    bool hasChanges() const { return !m_pending.empty(); }

    // Writes the staged changes in one transaction. On failure the
    // transaction is rolled back, the staged changes are dropped (logged), and
    // false is returned; nothing of them reaches the file later.
    bool save();
    // Drops the staged changes.
    void rollback();

    QString path() const { return m_path; }

signals:
    // After a successful save, once per entity it touched: live lists reload.
    void entityChanged(Entity entity);

private:
    struct Change {
        enum class Kind { Insert, Update, Delete } kind;
        Entity entity;
        qint64 objectId;
        QVariantMap values;
    };
    PersistenceController(const QString& connection, const QString& path);
    static std::optional<QVariant> toStored(AttributeType type, const QVariant& value);
    static QVariant fromStored(AttributeType type, const QVariant& value);
    bool validate(Entity entity, const QVariantMap& values) const;

    QString m_connection;
    QString m_path;
    std::vector<Change> m_pending;
};
