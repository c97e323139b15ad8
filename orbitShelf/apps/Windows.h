#pragma once

#include "apps/AppsSource.h"

#include <QDateTime>
#include <QIcon>
#include <QImage>
#include <QString>

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

class ModelSettings;

// One window of an application as the accessibility layer shows it. Shared
// between its application's list and whoever looks it up by number; owns its
// notification subscription, which ends with the object.
class Windows final {
public:
    Windows();
    ~Windows();
    Windows(const Windows&) = delete;
    Windows& operator=(const Windows&) = delete;

    std::optional<QString> title;
    std::optional<QString> appName;
    std::optional<QString> appBundleName;
    std::optional<QString> appIconUrl;
    std::optional<int32_t> appId;
    QIcon icon;
    std::optional<QString> bundleIdentifier;
    std::optional<uint32_t> num;
    std::optional<QString> tag;
    std::optional<QString> tagColor;
    std::optional<bool> focused;
    std::optional<bool> opened;
    AxElement element;
    std::optional<int32_t> index;
    std::optional<int> order;
    std::unique_ptr<WindowObservation> axObserver;
    std::optional<bool> showTagEditor;
    QDateTime clickTime;

    // Stands for an application that shows no usable window; its `num` is the
    // process id. Marked explicitly because a real window id may equal a pid.
    bool isPlaceholder = false;

    // Equal by window number; a window without one equals only itself.
    bool operator==(const Windows& other) const;
    size_t hash() const;

    // The key under which tags of this window are stored: "Optional(4711)",
    // or "nil" for a window without number.
    QString tagKey() const;

    void setTagName(ModelSettings& settings, const QString& name);
    std::optional<QString> displayTag(const ModelSettings& settings);
    void setTagColor(ModelSettings& settings, const QString& colorName);
    QString tagColorName(const ModelSettings& settings);

    // The window's preview, or absent when previews are off, the window has
    // no number, or it shows nothing right now (minimised, unmapped).
    std::optional<QImage> captureWindowThumbnail(const ModelSettings& settings, AppsSource& source) const;

    // The desktops that show the window, asked by the number its element
    // reports now (not the stored one); empty without element or when the
    // window is gone.
    std::vector<uint64_t> spacesForWindow(AppsSource& source) const;

    // Subscribes to the window's notifications. Does
    // nothing for placeholders, windows without process id or element, or a
    // window that is already observed.
    void startObservingWindow(AppsSource& source, WindowNotificationHandler handler);
};

// The key form shared by the tag stores.
QString windowTagKey(std::optional<uint32_t> num);
