#pragma once

// Gives a button an action before and after its own on a tap, and hands the
// button's own action out through a binding, so that code elsewhere can fire
// the button without a tap (and without the extra actions).
#include <QObject>
#include <QPointer>

#include <functional>

class QAbstractButton;

namespace SettingsOpener {

using Action = std::function<void()>;

// Two-way access to where an action is kept, owned by whoever made it.
struct ActionBinding {
    std::function<Action()> get;
    std::function<void(Action)> set;
};

class PrePostActionsButtonStyle final : public QObject {
    Q_OBJECT
public:
    // Applies the style to `button` (which owns it). The button's trigger is
    // published through `performAction` once, on the next turn of the event
    // loop.
    PrePostActionsButtonStyle(
        QAbstractButton* button, Action preTapAction, Action postTapAction, ActionBinding performAction);

    const Action& preTapAction() const { return m_pre; }
    const Action& postTapAction() const { return m_post; }
    Action performAction() const { return m_performAction.get ? m_performAction.get() : Action(); }
    void setPerformAction(Action action)
    {
        if (m_performAction.set)
            m_performAction.set(std::move(action));
    }
    const ActionBinding& performActionBinding() const { return m_performAction; }

    // What a tap does: pre, the button's own action, post.
    void tap();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void publishTrigger();

    QPointer<QAbstractButton> m_button;
    Action m_pre;
    Action m_post;
    ActionBinding m_performAction;
    bool m_published = false;
};

// Applies the style to the button; returns the button.
QAbstractButton* prePostActionsButtonStyle(
    QAbstractButton* button, Action preTapAction, Action postTapAction, ActionBinding performAction);

} // namespace SettingsOpener
