#include "dock/menus/WindowTagEditorForm.h"

#include "state/AppState.h"
#include "apps/ActiveApp.h"
#include "apps/RunningApps.h"
#include "apps/SupportFolder.h"
#include "apps/Windows.h"
#include "dock/DockHooks.h"
#include "dock/DockLog.h"

#include <QColorDialog>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

QPushButton* sheetButton(const QString& title, const QString& background, QSize size, QWidget* parent)
{
    auto* button = new QPushButton(title, parent);
    button->setFixedSize(size);
    button->setStyleSheet(
        QStringLiteral("QPushButton { background: %1; color: white; border-radius: 4px; }").arg(background));
    return button;
}

QIcon editorIcon(const AppState& state, const Windows& window)
{
    if (window.appId) {
        const std::shared_ptr<ActiveApp> app = state.allApps.value(*window.appId);
        if (app && !app->icon.isNull())
            return app->icon;
    }
    // The file manager's icon stands for a window whose application is gone.
    return QIcon::fromTheme(QStringLiteral("system-file-manager"));
}

} // namespace

WindowTagEditorForm::WindowTagEditorForm(AppState& state, ModelSettings& settings,
    std::shared_ptr<Windows> window, std::function<void()> onClose, QWidget* parent)
    : QDialog(parent)
    , m_editor(std::move(window), settings, std::move(onClose))
    , m_name(new QLineEdit(this))
{
    setWindowTitle(QStringLiteral("Tag"));
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(20, 20, 20, 20);

    auto* icon = new QLabel(this);
    icon->setPixmap(editorIcon(state, *m_editor.window()).pixmap(80, 80));
    icon->setFixedSize(80, 80);
    icon->setAlignment(Qt::AlignCenter);
    column->addWidget(icon, 0, Qt::AlignHCenter);

    m_name->setPlaceholderText(QStringLiteral("Tag Name"));
    column->addWidget(m_name);

    auto* colourRow = new QHBoxLayout;
    auto* colourLabel = new QLabel(QStringLiteral("Tag color"), this);
    auto* colourButton = new QPushButton(this);
    colourButton->setFixedSize(40, 22);
    colourButton->setStyleSheet(QStringLiteral("background: #007aff;"));
    colourRow->addWidget(colourLabel);
    colourRow->addWidget(colourButton);
    colourRow->addStretch();
    column->addLayout(colourRow);
    connect(colourButton, &QPushButton::clicked, this, [this, colourButton] {
        auto* dialog = new QColorDialog(QColor(0, 0x7a, 0xff), this);
        dialog->setOption(QColorDialog::ShowAlphaChannel);
        dialog->setAttribute(Qt::WA_DeleteOnClose);
        connect(dialog, &QColorDialog::currentColorChanged, this, [this, colourButton](const QColor& colour) {
            pickColour(colour);
            colourButton->setStyleSheet(QStringLiteral("background: #%1;").arg(tagColorText(colour)));
        });
        // Not modal: the editor is a window of the bar's, and Qt's window
        // modality blocks the modal window's parents too, so open() here
        // would leave the bar deaf to every click while a colour is picked.
        // The editor follows each colour as it changes anyway.
        dialog->setWindowModality(Qt::NonModal);
        dialog->show();
    });

    // The switcher registers per-window hot keys; without it (tests) the
    // editor has no picker.
    if (dockHooks().makeWindowHotKeyPicker) {
        auto* keyRow = new QHBoxLayout;
        auto* keyLabel = new QLabel(QStringLiteral("Select Key"), this);
        QWidget* picker = dockHooks().makeWindowHotKeyPicker(m_editor.window(), this);
        keyLabel->setBuddy(picker);
        keyRow->addWidget(keyLabel);
        keyRow->addWidget(picker, 1);
        column->addLayout(keyRow);
    }

    auto* buttons = new QHBoxLayout;
    QPushButton* ok = sheetButton(QStringLiteral("OK"), QStringLiteral("green"), { 50, 40 }, this);
    QPushButton* reset = sheetButton(QStringLiteral("Reset"), QStringLiteral("hotpink"), { 60, 40 }, this);
    QPushButton* cancel = sheetButton(QStringLiteral("Cancel"), QStringLiteral("gray"), { 80, 40 }, this);
    buttons->addWidget(ok);
    buttons->addWidget(reset);
    buttons->addWidget(cancel);
    column->addLayout(buttons);
    ok->setDefault(true);

    connect(ok, &QPushButton::clicked, this, [this] {
        m_editor.tagName = m_name->text();
        qCDebug(lcDock) << "tag editor: window" << m_editor.window()->num.value_or(0) << "named"
                        << m_editor.tagName;
        m_editor.ok();
        accept();
    });
    connect(reset, &QPushButton::clicked, this, [this] {
        m_editor.reset();
        accept();
    });
    connect(cancel, &QPushButton::clicked, this, &WindowTagEditorForm::reject);
    setFixedWidth(250 + 40);
}

void WindowTagEditorForm::pickColour(const QColor& colour)
{
    m_editor.colourPicked(colour);
}

void WindowTagEditorForm::reject()
{
    // Also the window's close button and Escape: the bar must hear that the
    // editor is gone, or its next "Binding Hotkey" only toggles it off.
    m_editor.cancel();
    QDialog::reject();
}

void WindowTagEditorForm::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    m_editor.appear();
    m_name->setText(m_editor.tagName);
}

WindowTagEditorForm* showWindowTagEditor(
    std::shared_ptr<Windows> window, std::function<void()> onClose, QWidget* parent)
{
    // One editor at a time: two would each hold their own name field for
    // what may be the same window.
    static QPointer<WindowTagEditorForm> open;
    if (open) {
        const std::shared_ptr<Windows>& shown = open->editor().window();
        if (window && shown->num && shown->num == window->num) {
            open->raise();
            open->activateWindow();
            return open;
        }
        open->reject();
    }
    auto* form = new WindowTagEditorForm(
        AppState::shared(), appStateModelSettings(), std::move(window), std::move(onClose), parent);
    form->setAttribute(Qt::WA_DeleteOnClose);
    open = form;
    form->show();
    form->raise();
    form->activateWindow();
    return form;
}
