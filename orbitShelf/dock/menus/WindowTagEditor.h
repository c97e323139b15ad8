#pragma once

#include <QColor>
#include <QString>

#include <functional>
#include <memory>

class ModelSettings;
class Windows;

// The colour of a tag as it is stored: six upper-case hex digits. Opacity is
// dropped: a stored eight-digit text would read back as another colour
// wherever tag colours are parsed as six digits.
QString tagColorText(const QColor& colour);

// The tag editor's behaviour over one window, apart from its sheet: the name
// field, and what OK, Reset, Cancel and a picked colour store.
class WindowTagEditor final {
public:
    WindowTagEditor(std::shared_ptr<Windows> window, ModelSettings& settings, std::function<void()> onClose);

    // The name field.
    QString tagName;

    // When the sheet shows: the window's shown tag, else its title, else empty.
    void appear();
    // Stores the colour at once; not undone by Cancel.
    void colourPicked(const QColor& colour);
    // Stores the name, then closes.
    void ok();
    // Stores the title as the name and the dock colour as the tag colour,
    // then closes.
    void reset();
    // Only closes.
    void cancel();

    const std::shared_ptr<Windows>& window() const { return m_window; }

private:
    void close();

    std::shared_ptr<Windows> m_window;
    ModelSettings& m_settings;
    std::function<void()> m_onClose;
};
