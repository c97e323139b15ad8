#include "dock/menus/WindowTagEditor.h"

#include "apps/ModelSettings.h"
#include "apps/Windows.h"

QString tagColorText(const QColor& colour)
{
    if (!colour.isValid())
        return QString();
    const QColor rgb = colour.toRgb();
    return QString::asprintf("%02X%02X%02X", rgb.red(), rgb.green(), rgb.blue());
}

WindowTagEditor::WindowTagEditor(
    std::shared_ptr<Windows> window, ModelSettings& settings, std::function<void()> onClose)
    : m_window(window ? std::move(window) : std::make_shared<Windows>())
    , m_settings(settings)
    , m_onClose(std::move(onClose))
{
}

void WindowTagEditor::appear()
{
    tagName = m_window->displayTag(m_settings).value_or(QString());
    if (tagName.isEmpty())
        tagName = m_window->title.value_or(QString());
}

void WindowTagEditor::colourPicked(const QColor& colour)
{
    m_window->setTagColor(m_settings, tagColorText(colour));
}

void WindowTagEditor::ok()
{
    m_window->setTagName(m_settings, tagName);
    // The chips show the new name now, not at the next change of the bar.
    m_settings.publish();
    close();
}

void WindowTagEditor::reset()
{
    m_window->setTagName(m_settings, m_window->title.value_or(QString()));
    m_window->setTagColor(m_settings, m_settings.dockColor());
    close();
}

void WindowTagEditor::cancel()
{
    close();
}

void WindowTagEditor::close()
{
    if (m_onClose)
        m_onClose();
}
