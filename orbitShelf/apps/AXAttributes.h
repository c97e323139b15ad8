#pragma once

#include "platform/Accessibility.h"
#include "platform/Platform.h"

#include <QString>

#include <optional>
#include <utility>

// Typed attribute accessors with one read policy: only "cannot complete"
// (the display did not answer) throws AxError; a vanished element, an
// unsupported attribute or a value of another type reads as absent. Writes
// are requests the other application may refuse; their result is ignored.

enum class AxError { runtimeError };

using AXUIElement = platform::AXElement;

// One read under the policy, the value left untyped: absent when the element
// has no such value; throws AxError::runtimeError when the read could not
// complete.
std::optional<platform::AXValue> readUntypedAXAttribute(const QString& attribute, const AXUIElement& element);

template <class T>
std::optional<T> copyAXAttribute(const QString& attribute, const AXUIElement& element)
{
    const std::optional<platform::AXValue> value = readUntypedAXAttribute(attribute, element);
    if (!value)
        return std::nullopt;
    if (const T* typed = std::get_if<T>(&*value))
        return *typed;
    return std::nullopt;
}

// A two-number value: a point (QPointF) or a size (QSizeF); anything else is absent.
std::optional<platform::AXValue> copyAXValueAttribute(const QString& attribute, const AXUIElement& element);
std::optional<AXUIElement> copyElementAttribute(const QString& attribute, const AXUIElement& element);
std::optional<platform::AXElementList> copyElementListAttribute(const QString& attribute, const AXUIElement& element);
std::optional<QString> copyStringAttribute(const QString& attribute, const AXUIElement& element);
std::optional<bool> copyBoolAttribute(const QString& attribute, const AXUIElement& element);

// Value types of the two-number values.
inline constexpr int kAXValueCGPointType = 1;
inline constexpr int kAXValueCGSizeType = 2;

// The pair held by a point (type 1) or size (type 2) value; a value of the
// other kind gives (0, 0).
std::optional<std::pair<double, double>> readAXValuePair(const QString& attribute, int valueType, const AXUIElement& element);
std::optional<std::pair<double, double>> windowSize(const AXUIElement& element);
std::optional<std::pair<double, double>> windowPosition(const AXUIElement& element);
void setWindowSize(double width, double height, const AXUIElement& element);
void setWindowPosition(double x, double y, const AXUIElement& element);
