#include "shell/AccessoryPolicy.h"

#include "platform/AccessoryWindow.h"

#include <QApplication>
#include <QEvent>
#include <QWidget>
#include <QWindow>

namespace {

class AccessoryFilter final : public QObject {
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Show) {
            auto* widget = qobject_cast<QWidget*>(watched);
            if (widget && widget->isWindow() && widget->windowHandle())
                platform::markAccessoryWindow(widget->windowHandle());
        }
        return false;
    }
};

} // namespace

void setAccessoryActivationPolicy()
{
    if (!qApp)
        return;
    static AccessoryFilter* filter = nullptr;
    if (!filter) {
        filter = new AccessoryFilter(qApp);
        qApp->installEventFilter(filter);
    }
    for (QWidget* w : QApplication::topLevelWidgets())
        if (w->isVisible() && w->windowHandle())
            platform::markAccessoryWindow(w->windowHandle());
}
