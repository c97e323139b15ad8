#pragma once

#include <QLatin1StringView>
#include <QString>

// The clipboard history as it is stored: the field names of its two
// entities, the names of the files beside the store, and the one rule for
// its texts. The capture writes records and files by these, the queries and
// the panel read them back; stores and files written before read the same.
//
// A `Pasteboard` record is one kept copy. Its picture and source icon are
// files in the data folder, named in a field in the store's path form (a
// file URL without "file://").
namespace pasteboardField {
// Text; ten random letters and digits (a picture's: those of its files).
inline constexpr QLatin1StringView uuid { "uuid" };
// Text; a copied text as trimmedPasteboardText() keeps it.
inline constexpr QLatin1StringView text { "text" };
// Text; the picture's full-size file. A record that names the thumbnail
// reads the same (pasteboardFullSizeFile).
inline constexpr QLatin1StringView image { "image" };
// Flag; a picture rather than a text.
inline constexpr QLatin1StringView isImage { "isImage" };
// Flag; set and cleared by the panel's star only.
inline constexpr QLatin1StringView isMark { "isMark" };
// Date; the moment of the copy, which orders the history.
inline constexpr QLatin1StringView create { "create" };
// Text; the source program's name, "" when unknown.
inline constexpr QLatin1StringView fromAppName { "fromAppName" };
// Text; the source program's icon file, absent when there is none.
inline constexpr QLatin1StringView fromAppImage { "fromAppImage" };
// Text; the day of the copy, "yyyy-MM-dd".
inline constexpr QLatin1StringView category { "category" };
} // namespace pasteboardField

// A `PasteboardCategory` record names one day of the history, or "Mark".
namespace pasteboardCategoryField {
inline constexpr QLatin1StringView name { "name" };
inline constexpr QLatin1StringView create { "create" };
} // namespace pasteboardCategoryField

// The full-size file of a copied picture: "pasteboard-" + `name` + ".png",
// `name` being ten random letters and digits.
QString pasteboardImageFileName(const QString& name);

// The thumbnail kept beside a full-size picture: its path with
// "_thumbnail" before the ".png"; "" for a path that is not a PNG's.
QString pasteboardThumbnailPath(const QString& fullSizePath);

// The full-size picture a picture path names: every "_thumbnail" removed
// from the file's name, so a thumbnail's path becomes its picture's and a
// full-size path stays.
QString pasteboardFullSizeFile(const QString& path);

// The source program's 64 × 64 icon, one file per program (`iconName` is
// its desktop-file id or executable name), rewritten by each of its copies.
QString pasteboardAppIconFileName(const QString& iconName);

// A text as the history keeps it and its cards show it: spaces, tabs and
// the other space separators removed from both ends; line breaks kept.
QString trimmedPasteboardText(const QString& text);
