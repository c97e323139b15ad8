#include "tools/PasteBoardModel.h"

#include "apps/SupportFolder.h"
#include "state/Alerts.h"
#include "state/AppState.h"
#include "state/Logging.h"
#include "state/PasteboardRecord.h"
#include "tools/PasteboardQueries.h"

#include <QClipboard>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QStandardPaths>

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

QString pasteboardFullSizePath(const QString& storedImage)
{
    return pasteboardFullSizeFile(localPathFromStored(storedImage));
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
    return record.text(pasteboardField::uuid).value_or(QString());
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
    m_markMap.insert(pasteboardKey(record), record.flag(pasteboardField::isMark));
}

void PasteBoardModel::toggleMark(int index)
{
    if (index < 0 || index >= int(m_items.size()))
        return;
    ensurePasteboardCategory(kMarkCategory, m_store);
    Record& record = m_items[size_t(index)];
    const bool mark = !record.flag(pasteboardField::isMark);
    record.values.insert(pasteboardField::isMark, mark);
    m_markMap.insert(pasteboardKey(record), mark);
    if (!m_store.update(record, { { pasteboardField::isMark, mark } }) || !m_store.save())
        qCWarning(lcStore) << "the mark of a clipboard item was not saved";
}

bool PasteBoardModel::copyBack(const Record& record, const PasteboardWriter& writer) const
{
    if (!record.flag(pasteboardField::isImage)) {
        writer.setText(record.text(pasteboardField::text).value_or(QString()));
        return true;
    }
    const QString full = pasteboardFullSizePath(record.text(pasteboardField::image).value_or(QString()));
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

namespace {

struct TrashedFile {
    QString path;
    QString inTrash;
};

// Takes a trashed file back where it was and drops its trash record, so the
// trash does not list a file it no longer holds.
bool takeBackFromTrash(const TrashedFile& file)
{
    if (!QFile::rename(file.inTrash, file.path))
        return false;
    const QFileInfo inTrash(file.inTrash);
    QFile::remove(inTrash.dir().filePath(
        QStringLiteral("../info/") + inTrash.fileName() + QStringLiteral(".trashinfo")));
    return true;
}

// The desktop's trash in the user's data folder. Qt 6.4 cannot make that
// trash while the data folder itself does not exist yet (a new account), and
// then moves the file into "files/" under the process's working folder and
// reports success: the data folder is made first, and a file that still
// lands outside an absolute trash folder is taken back and counts as not
// trashed.
bool moveToDesktopTrash(const QString& path, QString* inTrash)
{
    QDir().mkpath(QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation));
    QString where;
    if (!QFile::moveToTrash(path, &where))
        return false;
    if (QFileInfo(where).isAbsolute()) {
        *inTrash = where;
        return true;
    }
    const TrashedFile strayed { path, QFileInfo(where).absoluteFilePath() };
    if (!takeBackFromTrash(strayed))
        qCWarning(lcApp).noquote() << "could not take" << path << "back from" << strayed.inTrash;
    return false;
}

} // namespace

bool PasteBoardModel::deleteItem(const Record& record)
{
    std::vector<TrashedFile> trashed;
    const auto undo = [&](const QString& why) {
        for (auto it = trashed.rbegin(); it != trashed.rend(); ++it) {
            if (!takeBackFromTrash(*it))
                qCWarning(lcApp).noquote()
                    << "could not take" << it->path << "back from the trash at" << it->inTrash;
        }
        qCWarning(lcApp).noquote() << why << "; the clipboard item stays";
        showAlert(
            QCoreApplication::translate("PasteBoardView", "The clipboard item could not be deleted."), why);
        return false;
    };
    if (record.flag(pasteboardField::isImage)) {
        const QString full = pasteboardFullSizePath(record.text(pasteboardField::image).value_or(QString()));
        for (const QString& path : { full, pasteboardThumbnailPath(full) }) {
            if (path.isEmpty() || !QFileInfo::exists(path))
                continue;
            QString inTrash;
            const bool moved = m_trash ? m_trash(path, &inTrash) : moveToDesktopTrash(path, &inTrash);
            if (!moved)
                return undo(
                    QCoreApplication::translate("PasteBoardView", "%1 could not be moved to the trash.")
                        .arg(path));
            trashed.push_back({ path, inTrash });
        }
    }
    m_store.remove(record);
    if (!m_store.save()) {
        m_store.rollback();
        return undo(QCoreApplication::translate("PasteBoardView", "The history could not be saved."));
    }
    return true;
}
