#include "apps/Windows.h"

#include "apps/ModelSettings.h"

#include <functional>

Windows::Windows()
    : clickTime(QDateTime::currentDateTimeUtc())
{
}
Windows::~Windows() = default;

bool Windows::operator==(const Windows& other) const
{
    if (num && other.num)
        return *num == *other.num;
    return this == &other;
}

size_t Windows::hash() const
{
    if (!num)
        return std::hash<const void*> {}(this);
    return std::hash<uint64_t> {}((uint64_t { 1 } << 32) | *num);
}

QString windowTagKey(std::optional<uint32_t> num)
{
    if (!num)
        return QStringLiteral("nil");
    return QStringLiteral("Optional(%1)").arg(*num);
}

QString Windows::tagKey() const
{
    return windowTagKey(num);
}

void Windows::setTagName(ModelSettings& settings, const QString& name)
{
    auto names = settings.windowTagNames();
    names.insert(tagKey(), name);
    settings.setWindowTagNames(names);
    tag = name;
}

std::optional<QString> Windows::displayTag(const ModelSettings& settings)
{
    const auto names = settings.windowTagNames();
    const auto it = names.constFind(tagKey());
    if (it != names.constEnd())
        tag = it.value();
    if (tag && !tag->isEmpty())
        return tag;
    return title;
}

void Windows::setTagColor(ModelSettings& settings, const QString& colorName)
{
    auto colors = settings.windowTagColors();
    colors.insert(tagKey(), colorName);
    settings.setWindowTagColors(colors);
    tagColor = colorName;
    settings.publish();
}

QString Windows::tagColorName(const ModelSettings& settings)
{
    const auto colors = settings.windowTagColors();
    const auto it = colors.constFind(tagKey());
    if (it != colors.constEnd())
        tagColor = it.value();
    return tagColor ? *tagColor : settings.dockColor();
}

std::optional<QImage> Windows::captureWindowThumbnail(const ModelSettings& settings, AppsSource& source) const
{
    if (settings.disablePreview() || !num || isPlaceholder)
        return std::nullopt;
    auto image = source.captureWindowImage(*num);
    if (!image || image->isNull())
        return std::nullopt;
    return image;
}

std::vector<uint64_t> Windows::spacesForWindow(AppsSource& source) const
{
    if (!element || isPlaceholder)
        return {};
    const auto number = source.windowNumber(element);
    if (!number.value)
        return {};
    return source.spacesOfWindow(*number.value);
}

void Windows::startObservingWindow(AppsSource& source, WindowNotificationHandler handler)
{
    if (isPlaceholder || !appId || !element || axObserver)
        return;
    axObserver = source.observeWindow(*appId, element, std::move(handler));
}
