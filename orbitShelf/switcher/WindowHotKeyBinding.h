#pragma once

// Binding one window to Alt plus a digit or letter from the window-tag
// editor. The bindings live in AppState::windowHotkeyCache. Main thread.

#include <QComboBox>
#include <QString>

#include <memory>
#include <optional>

class Windows;

// "Disable" for "disable", "Alt + A" for "a" (W with its row's modifier).
QString hotKeyChoiceLabel(const QString& choice);

// The key the window number is bound to, empty when none.
QString boundHotKeyOfWindow(quint32 windowNumber);

// Binds window `number` to `choice` ("disable" unbinds it): drops its old
// binding, takes the key from any other window, registers Option plus the
// key and lets go of a key no window holds any more. Returns the key the
// window is bound to afterwards; none when the window has no number.
std::optional<QString> bindWindowHotKey(std::optional<quint32> number, const QString& choice);

// The "Select Key" picker of one window.
class ShortcutRegisterView final : public QComboBox {
    Q_OBJECT
public:
    explicit ShortcutRegisterView(std::shared_ptr<Windows> window, QWidget* parent = nullptr);

    void showPopup() override;

protected:
    void showEvent(QShowEvent* event) override;
    // A typed digit or letter picks its key, open or closed: the choices all
    // begin with the modifier's name, so the list's own search finds none.
    void keyPressEvent(QKeyEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    int choiceTyped(const QKeyEvent& event) const;

    std::shared_ptr<Windows> m_window;
};
