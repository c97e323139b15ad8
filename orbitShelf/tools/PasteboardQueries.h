#pragma once

#include "state/Persistence.h"

#include <QDateTime>
#include <QStringList>

#include <functional>
#include <optional>
#include <vector>

// The clipboard history in the object store: `Pasteboard` records, one per
// kept copy, and `PasteboardCategory` records, one per day ("yyyy-MM-dd")
// plus "Mark" once anything was marked. Main thread only.
//
// The queries only read: pending changes of other code are left for their
// owner to save, so a failing save elsewhere never empties a list.

inline constexpr int kPasteboardsPerDay = 50;
inline constexpr int kPasteboardCategoryNames = 30;
inline const QString kMarkCategory = QStringLiteral("Mark");

// The clock the history dates its records and days by; tests set their own
// (an empty function restores the system's).
QDateTime pasteboardNow();
void setPasteboardClock(std::function<QDateTime()> clock);

// The day of `moment` as a category name, in the local time zone.
QString pasteboardDay(const QDateTime& moment);

// The newest kPasteboardsPerDay records of `category` (today when absent),
// newest first; [] when the store cannot answer.
std::vector<Record> fetchPasteboards(const std::optional<QString>& category = std::nullopt,
    PersistenceController& store = PersistenceController::shared());

// The newest record of `category`, the one a new copy must not repeat.
std::optional<Record> newestPasteboard(
    const QString& category, PersistenceController& store = PersistenceController::shared());

// Every marked record, whatever its day, newest first.
std::vector<Record> fetchMarkedPasteboards(PersistenceController& store = PersistenceController::shared());

// The names of the kPasteboardCategoryNames newest categories, newest first;
// "" for a nameless record.
QStringList fetchPasteboardCategoryNames(PersistenceController& store = PersistenceController::shared());

// Makes sure one category named `name` exists (names compare in Unicode
// normal form C, and are stored in it). A failed save is logged; the store's
// unique index keeps a second record of the name out in any case.
void ensurePasteboardCategory(
    const QString& name, PersistenceController& store = PersistenceController::shared());
