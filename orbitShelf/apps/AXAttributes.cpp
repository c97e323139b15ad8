#include "apps/AXAttributes.h"

std::optional<platform::AXValue> readUntypedAXAttribute(const QString& attribute, const AXUIElement& element)
{
    platform::AXValue value;
    const platform::AXResult result = platform::current().accessibility().copyAttributeValue(element, attribute, value);
    if (result == platform::AXResult::cannotComplete)
        throw AxError::runtimeError;
    if (result != platform::AXResult::success)
        return std::nullopt;
    return value;
}

std::optional<platform::AXValue> copyAXValueAttribute(const QString& attribute, const AXUIElement& element)
{
    auto value = readUntypedAXAttribute(attribute, element);
    if (value && (std::holds_alternative<QPointF>(*value) || std::holds_alternative<QSizeF>(*value)))
        return value;
    return std::nullopt;
}

std::optional<AXUIElement> copyElementAttribute(const QString& attribute, const AXUIElement& element)
{
    return copyAXAttribute<platform::AXElement>(attribute, element);
}

std::optional<platform::AXElementList> copyElementListAttribute(const QString& attribute, const AXUIElement& element)
{
    return copyAXAttribute<platform::AXElementList>(attribute, element);
}

std::optional<QString> copyStringAttribute(const QString& attribute, const AXUIElement& element)
{
    return copyAXAttribute<QString>(attribute, element);
}

std::optional<bool> copyBoolAttribute(const QString& attribute, const AXUIElement& element)
{
    return copyAXAttribute<bool>(attribute, element);
}

std::optional<std::pair<double, double>> readAXValuePair(const QString& attribute, int valueType, const AXUIElement& element)
{
    const auto value = copyAXValueAttribute(attribute, element);
    if (!value)
        return std::nullopt;
    if (const auto* point = std::get_if<QPointF>(&*value); point && valueType == kAXValueCGPointType)
        return std::pair{point->x(), point->y()};
    if (const auto* size = std::get_if<QSizeF>(&*value); size && valueType == kAXValueCGSizeType)
        return std::pair{size->width(), size->height()};
    return std::pair{0.0, 0.0};
}

std::optional<std::pair<double, double>> windowSize(const AXUIElement& element)
{
    return readAXValuePair(QString::fromLatin1(platform::ax::size), kAXValueCGSizeType, element);
}

std::optional<std::pair<double, double>> windowPosition(const AXUIElement& element)
{
    return readAXValuePair(QString::fromLatin1(platform::ax::position), kAXValueCGPointType, element);
}

void setWindowSize(double width, double height, const AXUIElement& element)
{
    platform::current().accessibility().setAttributeValue(element, QString::fromLatin1(platform::ax::size),
                                                          QSizeF(width, height));
}

void setWindowPosition(double x, double y, const AXUIElement& element)
{
    platform::current().accessibility().setAttributeValue(element, QString::fromLatin1(platform::ax::position),
                                                          QPointF(x, y));
}
