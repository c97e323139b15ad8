#include "apps/AppIcons.h"

#include "apps/ActiveApp.h"
#include "apps/AppsSource.h"
#include "apps/Windows.h"

#include <QPixmap>

void resolveAppIcon(ActiveApp& app, const RunningApp& running, AppsSource& source)
{
    app.iconWindow.reset();
    if (running.iconFromEntry) {
        app.icon = source.namedIcon(running.iconName);
        if (!app.icon.isNull())
            return;
    }
    if (app.windows) {
        for (const auto& window : *app.windows) {
            if (!window || window->isPlaceholder || !window->num)
                continue;
            const QIcon own = iconFromPictures(source.windowIcons(*window->num));
            if (own.isNull())
                continue;
            app.icon = own;
            app.iconWindow = *window->num;
            return;
        }
    }
    app.icon
        = running.iconFromEntry || running.iconName.isEmpty() ? QIcon() : source.namedIcon(running.iconName);
}

QIcon iconFromPictures(const std::vector<QImage>& pictures)
{
    QIcon icon;
    for (const QImage& picture : pictures)
        if (!picture.isNull())
            icon.addPixmap(QPixmap::fromImage(picture));
    return icon;
}
