#include "settings/ShortCutView.h"

#include "settings/PageParts.h"
#include "switcher/HotKeySettings.h"
#include "switcher/Hotkey.h"

#include <QButtonGroup>
#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QLoggingCategory>
#include <QRadioButton>
#include <QTimer>
#include <QVBoxLayout>

static Q_LOGGING_CATEGORY(lcShortcutPage, "orbitshelf.settings")

ShortCutView::ShortCutView(QWidget* parent)
    : QWidget(parent)
{
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(10, 10, 10, 10);
    const struct {
        FixedHotKey key;
        QString title;
    } sections[] = {
        { FixedHotKey::Tab, hotKeyRowTitle(FixedHotKey::Tab) },
        { FixedHotKey::Pasteboard, hotKeyRowTitle(FixedHotKey::Pasteboard) },
        { FixedHotKey::Autohide, hotKeyRowTitle(FixedHotKey::Autohide) },
        { FixedHotKey::HideWindow, hotKeyRowTitle(FixedHotKey::HideWindow) },
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
            button->setProperty("row", section.title);
            group->addButton(button, i);
            row->addWidget(button);
        }
        row->addStretch();
        column->addLayout(row);
        auto* refused = new QLabel(tr("This key is taken by another program; it is not registered."), this);
        refused->setObjectName(QStringLiteral("refused"));
        refused->setProperty("row", section.title);
        refused->setStyleSheet(QStringLiteral("color: #d63031;"));
        column->addWidget(refused);
        auto* waiting = new QLabel(tr("Registered once the clipboard tool is installed."), this);
        waiting->setObjectName(QStringLiteral("waiting"));
        waiting->setProperty("row", section.title);
        column->addWidget(waiting);
        // What is held and what the desktop answered, from the first start
        // on, and again whenever a key is registered, refused, taken on a
        // later try or given back, also by the clipboard tool's install or
        // removal while the page is open.
        const auto showStatus = [key = section.key, refused, waiting, group, choices] {
            const QString held = storedHotKeyOption(key);
            for (int i = 0; i < choices.size(); ++i)
                if (choices[i].option == held)
                    group->button(i)->setChecked(true);
            refused->setVisible(hotKeyRefused(key));
            waiting->setVisible(hotKeyWaitsForClipboardTool(key));
        };
        showStatus();
        connect(&hotKeyStatus(), &HotKeyStatus::changed, this, showStatus);
        connect(group, &QButtonGroup::idClicked, this, [this, key = section.key, choices, refused](int id) {
            refused->setVisible(!applyHotKeyOption(key, choices[id].option));
            logChoices();
        });
    }
    column->addStretch();
}

void ShortCutView::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    // Which rows tell of a refused key, where a test (and a reader of the
    // log) can see them.
    for (const char* line : { "refused", "waiting" })
        for (const QLabel* label : findChildren<QLabel*>(QString::fromLatin1(line)))
            qCDebug(lcShortcutPage).noquote()
                << QStringLiteral("shortcut row \"%1\" %2 %3")
                       .arg(label->property("row").toString(), QLatin1String(line),
                           label->isVisibleTo(this) ? QStringLiteral("shown") : QStringLiteral("hidden"));
    logChoices();
}

void ShortCutView::logChoices()
{
    if (!placesLogged())
        return;
    // Where each choice stands once laid out (a status line shown or hidden
    // moves the rows below it), and which one is taken: a line logged after
    // a click tells that the choice was applied.
    QTimer::singleShot(0, this, [this] {
        for (const QRadioButton* choice : findChildren<QRadioButton*>())
            logPlace(choice,
                QStringLiteral("shortcut row \"%1\" choice \"%2\" %3")
                    .arg(choice->property("row").toString(), choice->text(),
                        choice->isChecked() ? QStringLiteral("on") : QStringLiteral("off")));
    });
}
