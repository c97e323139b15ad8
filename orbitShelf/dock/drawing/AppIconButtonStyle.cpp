#include "dock/drawing/AppIconButtonStyle.h"

#include <QApplication>
#include <QStyleFactory>
#include <QStyleOption>

namespace {

// The label drawn as if the button were released.
template <typename Option> Option released(const Option& option)
{
    Option copy(option);
    copy.state &= ~(QStyle::State_Sunken | QStyle::State_On | QStyle::State_HasFocus);
    return copy;
}

} // namespace

AppIconButtonStyle::AppIconButtonStyle()
    : QProxyStyle(QStyleFactory::create(QStringLiteral("Fusion")))
{
}

AppIconButtonStyle* AppIconButtonStyle::shared()
{
    static AppIconButtonStyle* style = [] {
        auto* s = new AppIconButtonStyle;
        s->setParent(qApp);
        return s;
    }();
    return style;
}

void AppIconButtonStyle::drawPrimitive(
    PrimitiveElement element, const QStyleOption* option, QPainter* painter, const QWidget* widget) const
{
    switch (element) {
    case PE_PanelButtonCommand:
    case PE_PanelButtonBevel:
    case PE_PanelButtonTool:
    case PE_FrameButtonTool:
    case PE_FrameButtonBevel:
    case PE_FrameFocusRect:
    case PE_FrameDefaultButton:
        return;
    default:
        QProxyStyle::drawPrimitive(element, option, painter, widget);
    }
}

void AppIconButtonStyle::drawControl(
    ControlElement element, const QStyleOption* option, QPainter* painter, const QWidget* widget) const
{
    if (const auto* button = qstyleoption_cast<const QStyleOptionButton*>(option)) {
        const QStyleOptionButton plain = released(*button);
        QProxyStyle::drawControl(element, &plain, painter, widget);
        return;
    }
    if (const auto* tool = qstyleoption_cast<const QStyleOptionToolButton*>(option)) {
        const QStyleOptionToolButton plain = released(*tool);
        QProxyStyle::drawControl(element, &plain, painter, widget);
        return;
    }
    QProxyStyle::drawControl(element, option, painter, widget);
}

void AppIconButtonStyle::drawComplexControl(
    ComplexControl control, const QStyleOptionComplex* option, QPainter* painter, const QWidget* widget) const
{
    if (const auto* tool = qstyleoption_cast<const QStyleOptionToolButton*>(option)) {
        QStyleOptionToolButton plain = released(*tool);
        plain.activeSubControls = QStyle::SC_None;
        QProxyStyle::drawComplexControl(control, &plain, painter, widget);
        return;
    }
    QProxyStyle::drawComplexControl(control, option, painter, widget);
}

int AppIconButtonStyle::pixelMetric(
    PixelMetric metric, const QStyleOption* option, const QWidget* widget) const
{
    switch (metric) {
    case PM_ButtonShiftHorizontal:
    case PM_ButtonShiftVertical:
        return 0;
    default:
        return QProxyStyle::pixelMetric(metric, option, widget);
    }
}
