#include "tools/PasteBoardModel.h"

#include "app/AppState.h"
#include "app/Logging.h"
#include "apps/SupportFolder.h"
#include "tools/PasteboardQueries.h"

#include <QClipboard>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>

namespace {
const QString kThumbnailTag = QStringLiteral("_thumbnail");
} // namespace

PasteboardWriter systemPasteboardWriter()
{
    return {
        [](const QString& text) { QGuiApplication::clipboard()->setText(text, QClipboard::Clipboard); },
        [](const QImage& image) { QGuiApplication::clipboard()->setImage(image, QClipboard::Clipboard); },
    };
}

int pasteboardColumnCount(std::optional<int> column)
{
    return column && *column > 0 ? *column : 2;
}

QString pasteboardCardText(const QString& text)
{
    const auto blank = [](QChar c) { return c == u'\t' || c.category() == QChar::Separator_Space; };
    qsizetype from = 0;
    qsizetype to = text.size();
    while (from < to && blank(text.at(from)))
        ++from;
    while (to > from && blank(text.at(to - 1)))
        --to;
    return text.mid(from, to - from);
}

QString pasteboardFullSizePath(const QString& storedImage)
{
    QString path = localPathFromStored(storedImage);
    path.remove(kThumbnailTag);
    return path;
}

QString pasteboardThumbnailPath(const QString& fullSizePath)
{
    if (!fullSizePath.endsWith(QStringLiteral(".png")))
        return {};
    return fullSizePath.chopped(4) + kThumbnailTag + QStringLiteral(".png");
}

QImage pasteboardCardImage(const QString& storedImage)
{
    const QString full = pasteboardFullSizePath(storedImage);
    if (full.isEmpty())
        return {};
    const QString thumbnail = pasteboardThumbnailPath(full);
    QImage image;
    if (!thumbnail.isEmpty() && image.load(thumbnail))
        return image;
    image.load(full);
    return image;
}

QString pasteboardKey(const Record& record)
{
    return record.text(QStringLiteral("uuid")).value_or(QString());
}

void togglePinnedTool(AppState& state, const QString& tool)
{
    StringMap pins = state.settings.pinedPlugins();
    if (pins.value(tool) == QStringLiteral("true"))
        pins.remove(tool);
    else
        pins.insert(tool, QStringLiteral("true"));
    state.settings.setPinedPlugins(pins);
    state.publish();
}

PasteBoardModel::PasteBoardModel(PersistenceController& store)
    : m_store(store)
{
}

void PasteBoardModel::load()
{
    m_categories = fetchPasteboardCategoryNames(m_store);
    m_items = fetchPasteboards(std::nullopt, m_store);
}

void PasteBoardModel::unload()
{
    m_items.clear();
    m_categories.clear();
    m_markMap.clear();
}

void PasteBoardModel::showMarked()
{
    m_items = fetchMarkedPasteboards(m_store);
}

void PasteBoardModel::showDay(const QString& name)
{
    m_items = fetchPasteboards(name, m_store);
}

QStringList PasteBoardModel::dayTabs() const
{
    QStringList days;
    for (const QString& name : m_categories) {
        if (name != kMarkCategory)
            days << name;
    }
    return days;
}

void PasteBoardModel::noteCardShown(const Record& record)
{
    m_markMap.insert(pasteboardKey(record), record.flag(QStringLiteral("isMark")));
}

void PasteBoardModel::toggleMark(int index)
{
    if (index < 0 || index >= int(m_items.size()))
        return;
    ensurePasteboardCategory(kMarkCategory, m_store);
    Record& record = m_items[size_t(index)];
    const bool mark = !record.flag(QStringLiteral("isMark"));
    record.values.insert(QStringLiteral("isMark"), mark);
    m_markMap.insert(pasteboardKey(record), mark);
    if (!m_store.update(record, { { QStringLiteral("isMark"), mark } }) || !m_store.save())
        qCWarning(lcStore) << "the mark of a clipboard item was not saved";
}

bool PasteBoardModel::copyBack(const Record& record, const PasteboardWriter& writer) const
{
    if (!record.flag(QStringLiteral("isImage"))) {
        writer.setText(record.text(QStringLiteral("text")).value_or(QString()));
        return true;
    }
    const QString full = pasteboardFullSizePath(record.text(QStringLiteral("image")).value_or(QString()));
    QImage image;
    if (full.isEmpty() || (!image.load(full) && !image.load(pasteboardThumbnailPath(full)))) {
        qCWarning(lcApp).noquote() << "the clipboard picture" << full
                                   << "could not be read; nothing was copied";
        return false;
    }
    writer.setImage(image);
    return true;
}

void PasteBoardModel::trim(int limit)
{
    if (limit < 0 || int(m_items.size()) <= limit)
        return;
    const std::vector<Record> beyond(m_items.begin() + limit, m_items.end());
    for (const Record& record : beyond)
        deleteItem(record);
}

bool PasteBoardModel::deleteItem(const Record& record)
{
    if (record.flag(QStringLiteral("isImage"))) {
        const QString full = pasteboardFullSizePath(record.text(QStringLiteral("image")).value_or(QString()));
        for (const QString& path : { full, pasteboardThumbnailPath(full) }) {
            if (path.isEmpty() || !QFileInfo::exists(path))
                continue;
            if (!QFile::moveToTrash(path)) {
                qCWarning(lcApp).noquote()
                    << "could not move" << path << "to the trash; the clipboard item stays";
                return false;
            }
        }
    }
    m_store.remove(record);
    if (!m_store.save()) {
        qCWarning(lcStore) << "the deletion of a clipboard item was not saved";
        return false;
    }
    return true;
}
