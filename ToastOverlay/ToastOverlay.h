#pragma once

#include <QColor>
#include <QFont>
#include <QString>

#include <optional>

// One toast: where and how it shows (displayMode), what it shows beside its
// text (type), its two lines and an optional override of colours and fonts.
// A plain value; ToastCard (ToastViews.h) draws it, toastOverlay()
// (ToastOverlayPresenter.h) shows it over a widget.
struct ToastOverlay {
    enum class BannerAnimation { slide, pop };

    struct DisplayMode {
        enum class Kind { banner, alert, hud };
        Kind kind = Kind::alert;
        BannerAnimation animation = BannerAnimation::slide; // banners only

        static DisplayMode alert() { return { Kind::alert, BannerAnimation::slide }; }
        static DisplayMode hud() { return { Kind::hud, BannerAnimation::slide }; }
        static DisplayMode banner(BannerAnimation animation) { return { Kind::banner, animation }; }
        bool operator==(const DisplayMode& other) const
        {
            return kind == other.kind && (kind != Kind::banner || animation == other.animation);
        }
    };

    struct AlertType {
        enum class Kind { complete, error, systemImage, image, loading, regular };
        Kind kind = Kind::regular;
        // systemImage: a freedesktop icon name; image: an image file or
        // resource path.
        QString name;
        QColor color;

        static AlertType complete(const QColor& color) { return { Kind::complete, {}, color }; }
        static AlertType error(const QColor& color) { return { Kind::error, {}, color }; }
        static AlertType systemImage(const QString& name, const QColor& color)
        {
            return { Kind::systemImage, name, color };
        }
        static AlertType image(const QString& name, const QColor& color)
        {
            return { Kind::image, name, color };
        }
        static AlertType loading() { return { Kind::loading, {}, {} }; }
        static AlertType regular() { return { Kind::regular, {}, {} }; }
        bool operator==(const AlertType& other) const = default;
    };

    struct AlertStyle {
        std::optional<QColor> backgroundColor;
        std::optional<QColor> titleColor;
        std::optional<QColor> subTitleColor;
        std::optional<QFont> titleFont;
        std::optional<QFont> subTitleFont;
        bool operator==(const AlertStyle& other) const = default;
    };

    DisplayMode displayMode = DisplayMode::alert();
    AlertType type = AlertType::regular();
    std::optional<QString> title;
    std::optional<QString> subTitle;
    std::optional<AlertStyle> style;
};
