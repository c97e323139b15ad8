#pragma once

#include <QString>

#include <vector>

// One entry of a menu as data: the bar's menus are built from these by plain
// functions (and tested as such); a QMenu is made from them only to show.
struct MenuEntry {
    enum class Kind { Action, Submenu, Separator, Text };
    Kind kind = Kind::Action;
    QString title;
    bool enabled = true;
    bool checked = false; // the mark is also part of the title where one shows
    QString action; // what choosing it does, as an id; empty for the rest
    std::vector<MenuEntry> children; // a submenu's entries

    static MenuEntry item(QString title, QString action);
    static MenuEntry submenu(QString title, std::vector<MenuEntry> children);
    static MenuEntry separator();
    static MenuEntry text(QString title);
};

// The titles of the entries, a submenu's as "title > child", separators as
// "-"; for tests and diagnostics.
std::vector<QString> menuOutline(const std::vector<MenuEntry>& entries);
