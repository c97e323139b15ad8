#include "settings/ShortCutView.h"

#include "switcher/HotKeySettings.h"

#include <QButtonGroup>
#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QRadioButton>
#include <QVBoxLayout>

ShortCutView::ShortCutView(QWidget* parent)
    : QWidget(parent)
{
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(10, 10, 10, 10);
    const struct {
        FixedHotKey key;
        QString title;
    } sections[] = {
        { FixedHotKey::Tab, tr("Open the window switcher") },
        { FixedHotKey::Pasteboard, tr("Open the clipboard window") },
        { FixedHotKey::Autohide, tr("Show or hide the bar") },
        { FixedHotKey::HideWindow, tr("Hide the window in front") },
    };
    bool first = true;
    for (const auto& section : sections) {
        if (!first) {
            auto* line = new QFrame(this);
            line->setFrameShape(QFrame::HLine);
            column->addWidget(line);
        }
        first = false;
        auto* title = new QLabel(section.title, this);
        QFont font = title->font();
        font.setBold(true);
        font.setPointSizeF(font.pointSizeF() * 1.25);
        title->setFont(font);
        column->addWidget(title);

        auto* row = new QHBoxLayout;
        row->addWidget(new QLabel(tr("Hot key:"), this));
        auto* group = new QButtonGroup(this);
        const QString stored = storedHotKeyOption(section.key);
        const auto choices = hotKeyChoicesFor(section.key);
        for (int i = 0; i < choices.size(); ++i) {
            auto* button = new QRadioButton(choices[i].label, this);
            button->setChecked(choices[i].option == stored);
            group->addButton(button, i);
            row->addWidget(button);
        }
        row->addStretch();
        column->addLayout(row);
        auto* refused = new QLabel(tr("This key is taken by another program; it is not registered."), this);
        refused->setStyleSheet(QStringLiteral("color: #d63031;"));
        refused->hide();
        column->addWidget(refused);
        connect(group, &QButtonGroup::idClicked, this, [key = section.key, choices, refused](int id) {
            refused->setVisible(!applyHotKeyOption(key, choices[id].option));
        });
    }
    column->addStretch();
}
