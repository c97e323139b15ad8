#pragma once

#include <QObject>
#include <QtGlobal>

#include <functional>
#include <utility>

// Adapts an untyped callback target (a signal's sender) to a callback that
// takes the sender as `Sender`. Part of the shell's toolkit; nothing in the
// program makes one.
template <typename Sender> class SelectorWrapper final {
public:
    using Closure = std::function<void(Sender*)>;

    explicit SelectorWrapper(Closure closure)
        : m_closure(std::move(closure))
    {
    }

    // The one callable action. A sender of another type is a programming
    // error, and stops the program here rather than calling with nothing.
    void callClosure(QObject* sender) const
    {
        auto* typed = dynamic_cast<Sender*>(sender);
        if (!typed)
            qFatal("SelectorWrapper: the sender is not of the expected type");
        if (m_closure)
            m_closure(typed);
    }

    // Every emission of `signal` by `source` calls the action with `source`.
    // The connection ends with `context`, which must not outlive this wrapper.
    template <typename Source, typename Signal>
    QMetaObject::Connection connect(Source* source, Signal signal, QObject* context) const
    {
        return QObject::connect(source, signal, context, [this, source] { callClosure(source); });
    }

private:
    Closure m_closure;
};
