#include "dock/menus/MenuEntry.h"

MenuEntry MenuEntry::item(QString title, QString action)
{
    MenuEntry entry;
    entry.title = std::move(title);
    entry.action = std::move(action);
    return entry;
}

MenuEntry MenuEntry::submenu(QString title, std::vector<MenuEntry> children)
{
    MenuEntry entry;
    entry.kind = Kind::Submenu;
    entry.title = std::move(title);
    entry.children = std::move(children);
    return entry;
}

MenuEntry MenuEntry::separator()
{
    MenuEntry entry;
    entry.kind = Kind::Separator;
    return entry;
}

MenuEntry MenuEntry::text(QString title)
{
    MenuEntry entry;
    entry.kind = Kind::Text;
    entry.title = std::move(title);
    entry.enabled = false;
    return entry;
}

namespace {

void outline(const std::vector<MenuEntry>& entries, const QString& prefix, std::vector<QString>& lines)
{
    for (const MenuEntry& entry : entries) {
        if (entry.kind == MenuEntry::Kind::Separator) {
            lines.push_back(prefix + QStringLiteral("-"));
            continue;
        }
        lines.push_back(prefix + entry.title);
        if (entry.kind == MenuEntry::Kind::Submenu)
            outline(entry.children, prefix + entry.title + QStringLiteral(" > "), lines);
    }
}

} // namespace

std::vector<QString> menuOutline(const std::vector<MenuEntry>& entries)
{
    std::vector<QString> lines;
    outline(entries, QString(), lines);
    return lines;
}
