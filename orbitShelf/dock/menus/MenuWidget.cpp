#include "dock/menus/MenuWidget.h"

#include <QMenu>

namespace {

void fill(
    QMenu* menu, const std::vector<MenuEntry>& entries, const std::function<void(const QString&)>& onAction)
{
    for (const MenuEntry& entry : entries) {
        switch (entry.kind) {
        case MenuEntry::Kind::Separator:
            menu->addSeparator();
            break;
        case MenuEntry::Kind::Submenu:
            fill(menu->addMenu(entry.title), entry.children, onAction);
            break;
        case MenuEntry::Kind::Text:
        case MenuEntry::Kind::Action: {
            QAction* action = menu->addAction(entry.title);
            action->setEnabled(entry.enabled);
            action->setData(entry.action);
            if (!entry.action.isEmpty()) {
                const QString id = entry.action;
                QObject::connect(action, &QAction::triggered, menu, [onAction, id] {
                    if (onAction)
                        onAction(id);
                });
            }
            break;
        }
        }
    }
}

} // namespace

QMenu* buildMenu(
    const std::vector<MenuEntry>& entries, QWidget* parent, std::function<void(const QString&)> onAction)
{
    auto* menu = new QMenu(parent);
    fill(menu, entries, onAction);
    return menu;
}

QString menuItemGeometries(const QMenu* menu)
{
    QStringList items;
    for (QAction* action : menu->actions()) {
        if (action->isSeparator())
            continue;
        const QRect r = menu->actionGeometry(action).translated(menu->geometry().topLeft());
        items << QStringLiteral("%1@%2,%3,%4x%5")
                     .arg(action->text())
                     .arg(r.x())
                     .arg(r.y())
                     .arg(r.width())
                     .arg(r.height());
    }
    return items.join(QStringLiteral("; "));
}
