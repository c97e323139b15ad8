#pragma once

#include <QProxyStyle>

// The style of every clickable icon of the bar: the button shows only its
// label, and looks the same pressed and released (no panel, no sunken shift,
// no focus frame). Any magnification comes from the label itself.
class AppIconButtonStyle final : public QProxyStyle {
    Q_OBJECT
public:
    AppIconButtonStyle();

    void drawPrimitive(PrimitiveElement element, const QStyleOption* option, QPainter* painter,
        const QWidget* widget = nullptr) const override;
    void drawControl(ControlElement element, const QStyleOption* option, QPainter* painter,
        const QWidget* widget = nullptr) const override;
    void drawComplexControl(ComplexControl control, const QStyleOptionComplex* option, QPainter* painter,
        const QWidget* widget = nullptr) const override;
    int pixelMetric(PixelMetric metric, const QStyleOption* option = nullptr,
        const QWidget* widget = nullptr) const override;

    // One instance for all buttons; it lives as long as the application.
    static AppIconButtonStyle* shared();
};
