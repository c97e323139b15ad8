#include "SettingsOpener/PrePostActionsButtonStyle.h"

#include <QAbstractButton>
#include <QKeyEvent>
#include <QMouseEvent>

namespace SettingsOpener {

PrePostActionsButtonStyle::PrePostActionsButtonStyle(
    QAbstractButton* button, Action preTapAction, Action postTapAction, ActionBinding performAction)
    : QObject(button)
    , m_button(button)
    , m_pre(std::move(preTapAction))
    , m_post(std::move(postTapAction))
    , m_performAction(std::move(performAction))
{
    button->installEventFilter(this);
    // Never inline: whoever applies the style may be reading the bound
    // value right now.
    QMetaObject::invokeMethod(this, &PrePostActionsButtonStyle::publishTrigger, Qt::QueuedConnection);
}

void PrePostActionsButtonStyle::publishTrigger()
{
    // Once per button: publishing again would hand a caller a new action
    // each time and run what it queued more than once.
    if (m_published)
        return;
    m_published = true;
    setPerformAction([button = m_button] {
        if (button)
            button->click();
    });
}

void PrePostActionsButtonStyle::tap()
{
    // Any of the three may close what holds the button, and the style with it.
    const QPointer<PrePostActionsButtonStyle> alive(this);
    const Action post = m_post;
    if (m_pre)
        m_pre();
    if (alive && m_button)
        m_button->click();
    if (post)
        post();
}

bool PrePostActionsButtonStyle::eventFilter(QObject* watched, QEvent* event)
{
    if (watched != m_button || !m_button->isEnabled())
        return QObject::eventFilter(watched, event);
    switch (event->type()) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick:
        // The label only, without a pressed look of the button's own.
        return static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton;
    case QEvent::MouseButtonRelease: {
        auto* mouse = static_cast<QMouseEvent*>(event);
        if (mouse->button() != Qt::LeftButton)
            return false;
        if (m_button->rect().contains(mouse->position().toPoint()))
            tap();
        return true;
    }
    case QEvent::KeyRelease: {
        // The keyboard's way of tapping a focused button.
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key != Qt::Key_Space || static_cast<QKeyEvent*>(event)->isAutoRepeat())
            return false;
        tap();
        return true;
    }
    case QEvent::KeyPress:
        return static_cast<QKeyEvent*>(event)->key() == Qt::Key_Space;
    default:
        return QObject::eventFilter(watched, event);
    }
}

QAbstractButton* prePostActionsButtonStyle(
    QAbstractButton* button, Action preTapAction, Action postTapAction, ActionBinding performAction)
{
    new PrePostActionsButtonStyle(
        button, std::move(preTapAction), std::move(postTapAction), std::move(performAction));
    return button;
}

} // namespace SettingsOpener
