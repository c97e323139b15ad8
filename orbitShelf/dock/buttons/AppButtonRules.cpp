#include "dock/buttons/AppButtonRules.h"

#include <algorithm>

namespace {

bool isMode(const AppButtonInput& in, const char* mode)
{
    return in.listMode && *in.listMode == QLatin1String(mode);
}

} // namespace

ButtonTheme buttonThemeFromText(const QString& text)
{
    if (text == QLatin1String("onlyIcon"))
        return ButtonTheme::OnlyIcon;
    if (text == QLatin1String("noIcon"))
        return ButtonTheme::NoIcon;
    return ButtonTheme::BigIcon;
}

double appIconHeight(const AppButtonInput& in)
{
    const double h = in.iconSize;
    if (in.isPinned || !in.appRunning)
        return h;
    if (isMode(in, "list"))
        return std::max(33.0, h - in.buttonScale);
    if (isMode(in, "grid"))
        return in.appWindowCount == 1 ? h * 0.8 : 18.0;
    return h;
}

double appIconWidth(const AppButtonInput& in)
{
    const double h = in.iconSize;
    if (in.isPinned)
        return h - in.buttonScale;
    if (!in.appRunning)
        return h;
    if (isMode(in, "list") || in.appWindowCount == 1)
        return std::max(33.0, h - in.buttonScale);
    if (isMode(in, "grid"))
        return 18.0;
    return h;
}

int windowTagWidth(const AppButtonInput& in)
{
    if (!in.enableWindowTag || in.theme == ButtonTheme::OnlyIcon)
        return 0;
    if (in.windowCount > 30)
        return 0;
    if (in.windowCount > 20)
        return 40;
    if (in.windowCount > 15)
        return 60;
    if (in.windowCount > 10)
        return 80;
    return in.screenWindowTagWidth.value_or(140);
}

WindowTagSize windowTagSize(const AppButtonInput& in)
{
    if (in.windowCount > 10)
        return WindowTagSize::Tiny;
    if (isMode(in, "grid"))
        return WindowTagSize::Small;
    return WindowTagSize::Normal;
}

double appButtonWidth(const AppButtonInput& in, bool showIcon)
{
    const double w = showIcon ? appIconWidth(in) : 2.0;
    if (in.theme == ButtonTheme::OnlyIcon)
        return w;
    if (in.windowCount >= 2 && in.enableWindowTag)
        return w + windowTagWidth(in);
    return w;
}

double indicatorOffset(const AppButtonInput& in)
{
    if (!in.enableWindowTag || in.theme == ButtonTheme::OnlyIcon)
        return 0;
    if (in.theme == ButtonTheme::NoIcon && in.order && *in.order > 1)
        return 0;
    return in.windowCount > 1 ? 18 : 0;
}

double hoverScale(const AppButtonInput& in)
{
    // Two absent numbers count as the same window.
    if (in.windowNumber != in.hoveredWindowNumber)
        return 1.0;
    return in.windowCount < 2 ? 1.2 : 1.1;
}

bool showsWindowTagChip(const AppButtonInput& in)
{
    return in.windowCount >= 2 && in.enableWindowTag && in.hasTitle && in.theme != ButtonTheme::OnlyIcon;
}

OverlayLabel overlayLabel(const AppButtonInput& in)
{
    if (in.theme == ButtonTheme::OnlyIcon && in.windowCount >= 2)
        return OverlayLabel::DisplayTagOnTagColor;
    if (!in.enableWindowTag && in.windowCount >= 2)
        return OverlayLabel::TitleOnBlue;
    return OverlayLabel::None;
}

bool showIconOnAppear(const AppButtonInput& in)
{
    if (in.theme != ButtonTheme::NoIcon)
        return true;
    if (!in.order || *in.order < 2 || in.dockVertical)
        return true;
    // A second or later window on a horizontal bar: only list mode hides it.
    return !isMode(in, "list");
}

QByteArray appButtonDragPayload(int32_t processId)
{
    return QByteArray::number(processId);
}

std::optional<int32_t> droppedProcessId(
    const std::optional<QByteArray>& payload, const QList<int32_t>& runningProcessIds)
{
    if (!payload || payload->isEmpty())
        return std::nullopt;
    // Only plain decimal digits with an optional minus: QByteArray::toInt
    // would also let blanks around the number through.
    const QByteArray& text = *payload;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char c = text.at(i);
        if (!(c >= '0' && c <= '9') && !(c == '-' && i == 0))
            return std::nullopt;
    }
    bool ok = false;
    const int32_t pid = text.toInt(&ok, 10);
    if (!ok || !runningProcessIds.contains(pid))
        return std::nullopt;
    return pid;
}
