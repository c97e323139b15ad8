#include "apps/AppsModel.h"

std::shared_ptr<Windows> findWindowByNumber(const AppsModel& model, int32_t n)
{
    std::shared_ptr<Windows> placeholder;
    for (auto it = model.appOrders.cbegin(); it != model.appOrders.cend(); ++it) {
        const auto app = model.allApps.constFind(it.key());
        if (app == model.allApps.cend() || !(*app)->windows)
            continue;
        for (const auto& w : *(*app)->windows) {
            if (static_cast<int32_t>(w->num.value_or(0)) != n)
                continue;
            if (!w->isPlaceholder)
                return w;
            if (!placeholder)
                placeholder = w;
        }
    }
    return placeholder;
}

int windowIndexInApps(const AppsModel& model, int32_t n)
{
    int placeholderIndex = -1;
    for (const auto& app : std::as_const(model.allApps)) {
        if (!app->windows)
            continue;
        const auto& list = *app->windows;
        for (size_t i = 0; i < list.size(); ++i) {
            if (static_cast<int32_t>(list[i]->num.value_or(0)) != n)
                continue;
            if (!list[i]->isPlaceholder)
                return static_cast<int>(i);
            if (placeholderIndex < 0)
                placeholderIndex = static_cast<int>(i);
        }
    }
    return placeholderIndex;
}

void focusedWindowOfApp(const AppsModel& model, AppsSource& source, int32_t pid)
{
    const auto focused = source.focusedWindow(source.applicationElement(pid));
    const auto app = model.allApps.constFind(pid);
    if (app == model.allApps.cend() || !(*app)->windows)
        return;
    if (focused.cannotComplete || !focused.value)
        return;
    const auto number = source.windowNumber(*focused.value);
    if (!number.value)
        return;
    for (const auto& w : *(*app)->windows)
        w->focused = !w->isPlaceholder && w->num == number.value;
}
