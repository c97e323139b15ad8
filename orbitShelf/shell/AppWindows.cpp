#include "shell/AppWindows.h"

#include <QPointer>
#include <QWidget>

namespace {
QList<QPointer<QWidget>>& windows()
{
    static QList<QPointer<QWidget>> list;
    return list;
}
} // namespace

void registerAppWindow(QWidget* window)
{
    if (window && !windows().contains(window))
        windows().append(window);
}

QList<QWidget*> appWindows()
{
    QList<QWidget*> result;
    windows().removeAll(nullptr);
    for (const auto& w : windows())
        result.append(w.data());
    return result;
}
