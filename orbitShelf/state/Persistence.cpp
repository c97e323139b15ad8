#include "state/Persistence.h"

#include "state/AppIdentity.h"
#include "state/Logging.h"
#include "state/PasteboardRecord.h"
#include "state/PrivateFiles.h"

#include <QAtomicInteger>
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QUuid>

#include <set>
#include <utility>

namespace {

// Bump with a migration step in open() when the schema changes.
constexpr int kSchemaVersion = 2;
constexpr const char* kPrimaryKey = "_pk";

QString quoted(const QString& identifier)
{
    QString s = identifier;
    s.replace(QLatin1Char('"'), QLatin1String("\"\""));
    return QLatin1Char('"') + s + QLatin1Char('"');
}

QString sqlType(AttributeType type)
{
    switch (type) {
    case AttributeType::Text:
    case AttributeType::Uuid:
        return QStringLiteral("TEXT");
    case AttributeType::Bytes:
        return QStringLiteral("BLOB");
    case AttributeType::Date:
        return QStringLiteral("REAL");
    case AttributeType::Flag:
        return QStringLiteral("INTEGER NOT NULL DEFAULT 0");
    }
    return QStringLiteral("TEXT");
}

const AttributeDefinition* findAttribute(const EntityDefinition& def, const QString& name)
{
    for (const auto& a : def.attributes)
        if (name == QLatin1String(a.name))
            return &a;
    return nullptr;
}

QString describe(const QSqlError& error)
{
    QString text = error.databaseText();
    if (text.isEmpty())
        text = error.driverText();
    if (text.isEmpty())
        text = error.text();
    return text;
}

// Schema 2: the clipboard history's queries (a day newest first, the marked
// records newest first) read an index instead of the whole table, and a day
// category exists at most once. Names already stored twice keep their oldest
// record (the one the history was ordered by); nameless records stay.
const char* const kSchema2Statements[] = {
    R"(DELETE FROM "PasteboardCategory" WHERE "name" IS NOT NULL AND "_pk" NOT IN (
         SELECT "_pk" FROM (SELECT "_pk", ROW_NUMBER() OVER (PARTITION BY "name"
             ORDER BY "create" IS NULL, "create", "_pk") AS rank
           FROM "PasteboardCategory" WHERE "name" IS NOT NULL) WHERE rank = 1))",
    R"(CREATE INDEX IF NOT EXISTS "PasteboardByDay" ON "Pasteboard" ("category", "create"))",
    R"(CREATE INDEX IF NOT EXISTS "PasteboardByMark" ON "Pasteboard" ("isMark", "create"))",
    R"(CREATE UNIQUE INDEX IF NOT EXISTS "PasteboardCategoryByName" ON "PasteboardCategory" ("name"))",
};

// A plain pointer, never destroyed with the statics: a controller's
// destructor uses Qt SQL's connection registry, itself a static that may go
// first when something calls exit(). The store is closed explicitly
// (closeShared) while the application object still exists.
PersistenceController*& sharedSlot()
{
    static PersistenceController* controller = nullptr;
    return controller;
}

} // namespace

const std::vector<EntityDefinition>& storeModel()
{
    using T = AttributeType;
    namespace P = pasteboardField;
    namespace PC = pasteboardCategoryField;
    static const std::vector<EntityDefinition> model = {
        { Entity::Favorite, "Favorite",
            { { "appBundleName", T::Text }, { "appIcon", T::Text }, { "appName", T::Text },
                { "bundleIdentifier", T::Text }, { "icon", T::Bytes } } },
        { Entity::PinnedApps, "PinnedApps",
            { { "appBundleName", T::Text }, { "appIcon", T::Text }, { "appName", T::Text },
                { "bundleIdentifier", T::Text }, { "icon", T::Bytes } } },
        { Entity::Note, "Note",
            { { "content", T::Text }, { "createAt", T::Date }, { "id", T::Text }, { "images", T::Text },
                { "tag", T::Text }, { "updateAt", T::Date }, { "uuid", T::Uuid } } },
        { Entity::Pasteboard, "Pasteboard",
            { { P::category.latin1(), T::Text }, { P::create.latin1(), T::Date },
                { P::fromAppImage.latin1(), T::Text }, { P::fromAppName.latin1(), T::Text },
                { P::image.latin1(), T::Text }, { P::isImage.latin1(), T::Flag },
                { P::isMark.latin1(), T::Flag }, { P::text.latin1(), T::Text },
                { P::uuid.latin1(), T::Text } } },
        { Entity::PasteboardCategory, "PasteboardCategory",
            { { PC::create.latin1(), T::Date }, { PC::name.latin1(), T::Text } } },
        { Entity::Plugins, "Plugins", { { "installed", T::Flag }, { "name", T::Text } } },
        { Entity::Tag, "Tag", { { "text", T::Text } } },
    };
    return model;
}

const EntityDefinition& entityDefinition(Entity entity)
{
    for (const auto& def : storeModel())
        if (def.entity == entity)
            return def;
    Q_UNREACHABLE();
}

std::optional<QString> Record::text(const QString& attribute) const
{
    const QVariant v = values.value(attribute);
    if (!v.isValid() || v.isNull())
        return std::nullopt;
    return v.toString();
}

PersistenceController::PersistenceController(const QString& connection, const QString& path)
    : m_connection(connection)
    , m_path(path)
{
}

PersistenceController::~PersistenceController()
{
    {
        QSqlDatabase db = QSqlDatabase::database(m_connection, false);
        if (db.isOpen())
            db.close();
    }
    QSqlDatabase::removeDatabase(m_connection);
}

QString PersistenceController::defaultStorePath()
{
    return QDir(applicationSupportFolder()).filePath(QStringLiteral("Favorite.sqlite"));
}

std::unique_ptr<PersistenceController> PersistenceController::open(const QString& path, QString* error)
{
    static QAtomicInteger<int> counter;
    const QString connection = QStringLiteral("orbitshelf-store-%1").arg(counter.fetchAndAddRelaxed(1));
    auto fail = [&](const QString& why) -> std::unique_ptr<PersistenceController> {
        if (error)
            *error = why;
        QSqlDatabase::removeDatabase(connection);
        return nullptr;
    };

    const QFileInfo info(path);
    if (!makePrivateFolder(info.absolutePath()))
        return fail(QStringLiteral("cannot create the folder %1").arg(info.absolutePath()));
    if (info.exists() && !info.isFile())
        return fail(QStringLiteral("%1 is not a file").arg(path));
    // SQLite gives its journal files the mode of the store: made 0600 here,
    // what the user copied stays theirs.
    if (!createPrivateFile(path))
        return fail(QStringLiteral("cannot create %1").arg(path));

    std::unique_ptr<PersistenceController> controller(new PersistenceController(connection, path));
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), connection);
        db.setDatabaseName(path);
        db.setConnectOptions(QStringLiteral("QSQLITE_BUSY_TIMEOUT=2000"));
        if (!db.open()) {
            const QString why = describe(db.lastError());
            db = QSqlDatabase();
            controller.reset();
            return fail(why);
        }
        auto cannot = [&](const QString& why) {
            db.close();
            db = QSqlDatabase();
            controller.reset();
            return fail(why);
        };

        // Read before anything writes: a file that is not a database, or is
        // damaged, fails here and is left exactly as it was.
        QSqlQuery q(db);
        if (!q.exec(QStringLiteral("PRAGMA user_version")) || !q.next())
            return cannot(describe(q.lastError()));
        const int version = q.value(0).toInt();
        std::set<QString> tables;
        if (!q.exec(QStringLiteral("SELECT name FROM sqlite_master WHERE type = 'table'")))
            return cannot(describe(q.lastError()));
        while (q.next())
            tables.insert(q.value(0).toString());

        if (version > kSchemaVersion)
            return cannot(QStringLiteral("the store was written by a newer version (schema %1, this program "
                                         "knows %2)")
                              .arg(version)
                              .arg(kSchemaVersion));
        if (version == 0 && !tables.empty())
            return cannot(QStringLiteral("the file holds a database that is not ours"));

        if (version >= 1) {
            for (const auto& def : storeModel()) {
                const QString table = QString::fromLatin1(def.name);
                if (!tables.count(table))
                    return cannot(QStringLiteral("entity %1 is missing from the store").arg(table));
                const QSqlRecord columns = db.record(table);
                for (const auto& a : def.attributes)
                    if (columns.indexOf(QString::fromLatin1(a.name)) < 0)
                        return cannot(QStringLiteral("attribute %1.%2 is missing from the store")
                                          .arg(table, QString::fromLatin1(a.name)));
            }
        }

        if (!q.exec(QStringLiteral("PRAGMA journal_mode=WAL")))
            return cannot(describe(q.lastError()));
        // With the write-ahead log, a commit that is not flushed to the disk
        // can be lost only with the machine (a power cut), never with the
        // program, and the file stays whole either way. A flush per commit
        // costs milliseconds, and the notes save on every keystroke and the
        // clipboard on every copy.
        if (!q.exec(QStringLiteral("PRAGMA synchronous=NORMAL")))
            return cannot(describe(q.lastError()));

        // Each step runs in one transaction with the version it reaches, so
        // a step that fails leaves the file as it was.
        auto migrate = [&](auto&& step, const QString& what) -> std::optional<QString> {
            if (!db.transaction())
                return describe(db.lastError());
            if (auto why = step()) {
                db.rollback();
                return why;
            }
            if (!q.exec(QStringLiteral("PRAGMA user_version = %1").arg(kSchemaVersion)) || !db.commit()) {
                const QString why = describe(q.lastError().isValid() ? q.lastError() : db.lastError());
                db.rollback();
                return why;
            }
            qCInfo(lcStore).noquote() << what << path;
            return std::nullopt;
        };
        auto schema2 = [&]() -> std::optional<QString> {
            for (const char* statement : kSchema2Statements)
                if (!q.exec(QString::fromLatin1(statement)))
                    return describe(q.lastError());
            return std::nullopt;
        };

        if (version == 0) {
            auto create = [&]() -> std::optional<QString> {
                for (const auto& def : storeModel()) {
                    QStringList cols { quoted(QString::fromLatin1(kPrimaryKey))
                        + QStringLiteral(" INTEGER PRIMARY KEY") };
                    for (const auto& a : def.attributes)
                        cols << quoted(QString::fromLatin1(a.name)) + QLatin1Char(' ') + sqlType(a.type);
                    if (!q.exec(
                            QStringLiteral("CREATE TABLE %1 (%2)")
                                .arg(quoted(QString::fromLatin1(def.name)), cols.join(QStringLiteral(", ")))))
                        return describe(q.lastError());
                }
                return schema2();
            };
            if (const auto why = migrate(create, QStringLiteral("created the store")))
                return cannot(*why);
        } else if (version == 1) {
            if (const auto why = migrate(schema2, QStringLiteral("brought the store to schema 2:")))
                return cannot(*why);
        }
    }
    return controller;
}

PersistenceController& PersistenceController::shared()
{
    Q_ASSERT_X(sharedSlot(), "PersistenceController::shared", "the store is opened at launch");
    return *sharedSlot();
}

bool PersistenceController::hasShared()
{
    return static_cast<bool>(sharedSlot());
}

std::optional<QString> PersistenceController::openShared()
{
    if (sharedSlot())
        return std::nullopt;
    QString error;
    auto controller = open(defaultStorePath(), &error);
    if (!controller)
        return error;
    sharedSlot() = controller.release();
    // The SQL driver's globals go with the application object: the store
    // closes before them at the latest.
    if (QCoreApplication::instance())
        qAddPostRoutine(&PersistenceController::closeShared);
    return std::nullopt;
}

void PersistenceController::closeShared()
{
    delete std::exchange(sharedSlot(), nullptr);
}

std::optional<QVariant> PersistenceController::toStored(AttributeType type, const QVariant& value)
{
    if (!value.isValid() || value.isNull())
        return type == AttributeType::Flag ? QVariant(0) : QVariant();
    switch (type) {
    case AttributeType::Text:
        if (value.typeId() == QMetaType::QString)
            return value;
        return std::nullopt;
    case AttributeType::Bytes:
        if (value.typeId() == QMetaType::QByteArray)
            return value;
        return std::nullopt;
    case AttributeType::Date:
        if (value.typeId() == QMetaType::QDateTime && value.toDateTime().isValid())
            return QVariant(double(value.toDateTime().toMSecsSinceEpoch()) / 1000.0);
        return std::nullopt;
    case AttributeType::Uuid: {
        const QUuid uuid = value.typeId() == QMetaType::QUuid ? value.toUuid() : QUuid(value.toString());
        if (uuid.isNull() && value.typeId() != QMetaType::QUuid)
            return std::nullopt;
        return QVariant(uuid.toString(QUuid::WithoutBraces));
    }
    case AttributeType::Flag:
        if (value.typeId() == QMetaType::Bool)
            return QVariant(value.toBool() ? 1 : 0);
        return std::nullopt;
    }
    return std::nullopt;
}

QVariant PersistenceController::fromStored(AttributeType type, const QVariant& value)
{
    if (type == AttributeType::Flag)
        return QVariant(value.toLongLong() != 0);
    if (!value.isValid() || value.isNull())
        return QVariant();
    switch (type) {
    case AttributeType::Text:
        return QVariant(value.toString());
    case AttributeType::Bytes:
        return QVariant(value.toByteArray());
    case AttributeType::Date:
        return QVariant(QDateTime::fromMSecsSinceEpoch(qRound64(value.toDouble() * 1000.0), Qt::UTC));
    case AttributeType::Uuid:
        return QVariant(QUuid(value.toString()));
    case AttributeType::Flag:
        break;
    }
    return value;
}

std::optional<std::vector<Record>> PersistenceController::fetch(const FetchRequest& request) const
{
    const EntityDefinition& def = entityDefinition(request.entity);
    QStringList columns { quoted(QString::fromLatin1(kPrimaryKey)) };
    for (const auto& a : def.attributes)
        columns << quoted(QString::fromLatin1(a.name));

    QStringList where;
    QVariantList binds;
    for (const auto& [name, value] : request.equal) {
        const AttributeDefinition* a = findAttribute(def, name);
        if (!a) {
            qCWarning(lcStore) << "fetch of" << def.name << "by unknown attribute" << name;
            return std::nullopt;
        }
        const auto stored = toStored(a->type, value);
        if (!stored) {
            qCWarning(lcStore) << "fetch of" << def.name << "compares" << name
                               << "with a value of another type";
            return std::nullopt;
        }
        if (stored->isNull()) {
            where << quoted(name) + QStringLiteral(" IS NULL");
        } else {
            where << quoted(name) + QStringLiteral(" = ?");
            binds << *stored;
        }
    }
    QStringList order;
    for (const auto& s : request.sort) {
        if (!findAttribute(def, s.attribute)) {
            qCWarning(lcStore) << "fetch of" << def.name << "sorted by unknown attribute" << s.attribute;
            return std::nullopt;
        }
        order << quoted(s.attribute) + (s.ascending ? QStringLiteral(" ASC") : QStringLiteral(" DESC"));
    }
    // Ties and unsorted fetches keep the order of insertion.
    order << quoted(QString::fromLatin1(kPrimaryKey)) + QStringLiteral(" ASC");

    QString sql = QStringLiteral("SELECT %1 FROM %2")
                      .arg(columns.join(QStringLiteral(", ")), quoted(QString::fromLatin1(def.name)));
    if (!where.isEmpty())
        sql += QStringLiteral(" WHERE ") + where.join(QStringLiteral(" AND "));
    sql += QStringLiteral(" ORDER BY ") + order.join(QStringLiteral(", "));
    if (request.limit > 0)
        sql += QStringLiteral(" LIMIT %1").arg(request.limit);

    QSqlQuery q(QSqlDatabase::database(m_connection));
    q.setForwardOnly(true);
    if (!q.prepare(sql)) {
        qCWarning(lcStore) << "fetch of" << def.name << "failed:" << describe(q.lastError());
        return std::nullopt;
    }
    for (const auto& b : binds)
        q.addBindValue(b);
    if (!q.exec()) {
        qCWarning(lcStore) << "fetch of" << def.name << "failed:" << describe(q.lastError());
        return std::nullopt;
    }
    std::vector<Record> records;
    while (q.next()) {
        Record r;
        r.entity = request.entity;
        r.objectId = q.value(0).toLongLong();
        for (size_t i = 0; i < def.attributes.size(); ++i) {
            const QVariant v = fromStored(def.attributes[i].type, q.value(int(i) + 1));
            if (v.isValid())
                r.values.insert(QString::fromLatin1(def.attributes[i].name), v);
        }
        records.push_back(std::move(r));
    }
    return records;
}

std::vector<Record> PersistenceController::fetchAll(Entity entity) const
{
    FetchRequest request;
    request.entity = entity;
    return fetch(request).value_or(std::vector<Record>());
}

bool PersistenceController::validate(Entity entity, const QVariantMap& values) const
{
    const EntityDefinition& def = entityDefinition(entity);
    for (auto it = values.cbegin(); it != values.cend(); ++it) {
        const AttributeDefinition* a = findAttribute(def, it.key());
        if (!a) {
            qCWarning(lcStore) << def.name << "has no attribute" << it.key() << "- change refused";
            return false;
        }
        if (!toStored(a->type, it.value())) {
            qCWarning(lcStore) << def.name << "attribute" << it.key() << "given a value of type"
                               << it.value().typeName() << "- change refused";
            return false;
        }
    }
    return true;
}

bool PersistenceController::insert(Entity entity, const QVariantMap& values)
{
    if (!validate(entity, values))
        return false;
    m_pending.push_back({ Change::Kind::Insert, entity, 0, values });
    return true;
}

bool PersistenceController::update(const Record& record, const QVariantMap& values)
{
    if (!validate(record.entity, values))
        return false;
    m_pending.push_back({ Change::Kind::Update, record.entity, record.objectId, values });
    return true;
}

void PersistenceController::remove(const Record& record)
{
    m_pending.push_back({ Change::Kind::Delete, record.entity, record.objectId, {} });
}

void PersistenceController::rollback()
{
    m_pending.clear();
}

bool PersistenceController::save()
{
    if (m_pending.empty())
        return true;
    std::vector<Change> changes;
    changes.swap(m_pending);

    QSqlDatabase db = QSqlDatabase::database(m_connection);
    if (!db.transaction()) {
        qCWarning(lcStore) << "save failed, changes dropped:" << describe(db.lastError());
        return false;
    }
    std::set<Entity> touched;
    for (const Change& c : changes) {
        const EntityDefinition& def = entityDefinition(c.entity);
        const QString table = quoted(QString::fromLatin1(def.name));
        QSqlQuery q(db);
        QVariantList binds;
        QString sql;
        switch (c.kind) {
        case Change::Kind::Insert: {
            QStringList cols, marks;
            for (auto it = c.values.cbegin(); it != c.values.cend(); ++it) {
                cols << quoted(it.key());
                marks << QStringLiteral("?");
                binds << *toStored(findAttribute(def, it.key())->type, it.value());
            }
            sql = cols.isEmpty()
                ? QStringLiteral("INSERT INTO %1 DEFAULT VALUES").arg(table)
                : QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)")
                      .arg(table, cols.join(QStringLiteral(", ")), marks.join(QStringLiteral(", ")));
            break;
        }
        case Change::Kind::Update: {
            if (c.values.isEmpty())
                continue;
            QStringList sets;
            for (auto it = c.values.cbegin(); it != c.values.cend(); ++it) {
                sets << quoted(it.key()) + QStringLiteral(" = ?");
                binds << *toStored(findAttribute(def, it.key())->type, it.value());
            }
            binds << c.objectId;
            sql = QStringLiteral("UPDATE %1 SET %2 WHERE %3 = ?")
                      .arg(table, sets.join(QStringLiteral(", ")), quoted(QString::fromLatin1(kPrimaryKey)));
            break;
        }
        case Change::Kind::Delete:
            binds << c.objectId;
            sql = QStringLiteral("DELETE FROM %1 WHERE %2 = ?")
                      .arg(table, quoted(QString::fromLatin1(kPrimaryKey)));
            break;
        }
        bool ok = q.prepare(sql);
        for (const auto& b : binds)
            q.addBindValue(b);
        ok = ok && q.exec();
        if (!ok) {
            qCWarning(lcStore) << "save failed, changes rolled back:" << describe(q.lastError());
            db.rollback();
            return false;
        }
        touched.insert(c.entity);
    }
    if (!db.commit()) {
        qCWarning(lcStore) << "save failed at commit, changes rolled back:" << describe(db.lastError());
        db.rollback();
        return false;
    }
    for (Entity e : touched)
        emit entityChanged(e);
    return true;
}
