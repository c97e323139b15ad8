#pragma once

#include "state/Persistence.h"

#include <QHash>
#include <QImage>
#include <QStringList>

#include <functional>
#include <optional>
#include <vector>

class AppState;

// What the clipboard panel shows and does, without widgets: the day tabs, the
// cards of the chosen tab, the star of each card, copy back, marking, the
// trim to the panel's limit and the pin of the tool on the bar. Main thread
// only.

// Where copy back writes; the panel fills it with the system clipboard
// (CLIPBOARD selection only), tests with their own.
struct PasteboardWriter {
    std::function<void(const QString&)> setText;
    std::function<void(const QImage&)> setImage;
};
PasteboardWriter systemPasteboardWriter();

// The grid's column count: `column`, or 2 when absent.
int pasteboardColumnCount(std::optional<int> column);

// The full-size picture a stored `image` names (decoded, any "_thumbnail"
// dropped); its thumbnail is pasteboardThumbnailPath() of it.
QString pasteboardFullSizePath(const QString& storedImage);

// What a picture card shows: the thumbnail, else the full-size file, else a
// null image (the card draws the "Finder" picture then).
QImage pasteboardCardImage(const QString& storedImage);

// The `uuid` of a record as the key of the star map ("" when absent).
QString pasteboardKey(const Record& record);

// Flips a built-in tool's entry in the setting `pinedPlugins` ("true"
// removed, anything else or nothing becomes "true") and publishes, so the bar
// adds or drops the tool's tile.
void togglePinnedTool(AppState& state, const QString& tool);
inline void togglePasteboardPin(AppState& state)
{
    togglePinnedTool(state, QStringLiteral("Pasteboard"));
}

class PasteBoardModel {
public:
    explicit PasteBoardModel(PersistenceController& store);

    // The day names and today's newest cards.
    void load();
    // Empties every list.
    void unload();
    void showMarked();
    void showDay(const QString& name);

    const std::vector<Record>& items() const { return m_items; }
    // The stored day names, "Mark" left out (its tab is always first).
    QStringList dayTabs() const;

    // A card's header came into view: its star takes the record's mark.
    void noteCardShown(const Record& record);
    bool starLit(const Record& record) const { return m_markMap.value(pasteboardKey(record), false); }

    // Makes sure "Mark" is a stored category, flips the item's mark, saves.
    void toggleMark(int index);

    // Puts the item on the clipboard: a text as stored (absent: ""), a picture
    // from its full-size file, the thumbnail when that does not load. False
    // (clipboard untouched, logged) when no picture loads.
    bool copyBack(const Record& record, const PasteboardWriter& writer) const;

    // Deletes every shown item from position `limit` on; the list shown is
    // not reloaded.
    void trim(int limit);

    // Trashes a picture's files (full size and thumbnail) and deletes the
    // record: all of it goes, or nothing changes (files taken back out of
    // the trash) and the user is told. False when nothing changed.
    bool deleteItem(const Record& record);

    // Moves a file to the trash, giving where it went there; tests replace it.
    using TrashFile = std::function<bool(const QString& path, QString* pathInTrash)>;
    void setTrashFile(TrashFile trash) { m_trash = std::move(trash); }

private:
    PersistenceController& m_store;
    std::vector<Record> m_items;
    QStringList m_categories;
    QHash<QString, bool> m_markMap;
    TrashFile m_trash;
};
