#pragma once

#include "dock/menus/WindowTagEditor.h"

#include <QDialog>

#include <functional>
#include <memory>

class AppState;
class ModelSettings;
class QLineEdit;
class QColorDialog;
class Windows;

// The sheet in which a window is named, its tag coloured and a hot key
// picked. Name is stored by OK; colours the moment they are picked.
class WindowTagEditorForm final : public QDialog {
    Q_OBJECT
public:
    WindowTagEditorForm(AppState& state, ModelSettings& settings, std::shared_ptr<Windows> window,
        std::function<void()> onClose, QWidget* parent = nullptr);

    QLineEdit* nameField() const { return m_name; }
    WindowTagEditor& editor() { return m_editor; }
    // Picks a colour as the colour dialog would.
    void pickColour(const QColor& colour);

protected:
    void showEvent(QShowEvent* event) override;

public slots:
    void reject() override;

private:
    WindowTagEditor m_editor;
    QLineEdit* m_name;
};

// Opens the tag editor for a window, as the window menu's "Binding Hotkey"
// does; onClose runs when it closes by any button.
WindowTagEditorForm* showWindowTagEditor(
    std::shared_ptr<Windows> window, std::function<void()> onClose, QWidget* parent = nullptr);
