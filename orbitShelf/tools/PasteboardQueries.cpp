#include "tools/PasteboardQueries.h"

#include "state/Logging.h"
#include "state/PasteboardRecord.h"
#include "state/TextFormats.h"

namespace {

std::function<QDateTime()>& installedClock()
{
    static std::function<QDateTime()> c;
    return c;
}

FetchRequest newestFirst(Entity entity, int limit)
{
    FetchRequest request;
    request.entity = entity;
    request.sort = {
        { entity == Entity::Pasteboard ? pasteboardField::create : pasteboardCategoryField::create, false }
    };
    request.limit = limit;
    return request;
}

} // namespace

QDateTime pasteboardNow()
{
    return installedClock() ? installedClock()() : QDateTime::currentDateTime();
}

void setPasteboardClock(std::function<QDateTime()> c)
{
    installedClock() = std::move(c);
}

QString pasteboardDay(const QDateTime& moment)
{
    return formatDate(moment, QStringLiteral("yyyy-MM-dd"));
}

std::vector<Record> fetchPasteboards(const std::optional<QString>& category, PersistenceController& store)
{
    FetchRequest request = newestFirst(Entity::Pasteboard, kPasteboardsPerDay);
    request.equal = { { pasteboardField::category, category.value_or(pasteboardDay(pasteboardNow())) } };
    return store.fetch(request).value_or(std::vector<Record>());
}

std::optional<Record> newestPasteboard(const QString& category, PersistenceController& store)
{
    FetchRequest request = newestFirst(Entity::Pasteboard, 1);
    request.equal = { { pasteboardField::category, category } };
    auto records = store.fetch(request).value_or(std::vector<Record>());
    if (records.empty())
        return std::nullopt;
    return std::move(records.front());
}

std::vector<Record> fetchMarkedPasteboards(PersistenceController& store)
{
    FetchRequest request = newestFirst(Entity::Pasteboard, 0);
    request.equal = { { pasteboardField::isMark, true } };
    return store.fetch(request).value_or(std::vector<Record>());
}

QStringList fetchPasteboardCategoryNames(PersistenceController& store)
{
    QStringList names;
    const auto records = store.fetch(newestFirst(Entity::PasteboardCategory, kPasteboardCategoryNames));
    for (const Record& r : records.value_or(std::vector<Record>()))
        names << r.text(pasteboardCategoryField::name).value_or(QString());
    return names;
}

void ensurePasteboardCategory(const QString& name, PersistenceController& store)
{
    const QString normal = name.normalized(QString::NormalizationForm_C);
    FetchRequest request = newestFirst(Entity::PasteboardCategory, 0);
    const auto records = store.fetch(request);
    if (records) {
        for (const Record& r : *records) {
            const auto n = r.text(pasteboardCategoryField::name);
            if (n && n->normalized(QString::NormalizationForm_C) == normal)
                return;
        }
    }
    if (!store.insert(Entity::PasteboardCategory,
            { { pasteboardCategoryField::name, normal },
                { pasteboardCategoryField::create, pasteboardNow() } }))
        return;
    if (!store.save())
        qCWarning(lcStore).noquote() << "the clipboard category" << normal << "was not saved";
}
