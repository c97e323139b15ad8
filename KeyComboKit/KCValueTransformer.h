#pragma once

// Value transformers of the kit: one shared instance each, values passed
// as QVariant (numbers, strings, shortcuts, dictionaries). Bad input gives
// an invalid QVariant and a "#Error" line, never an exception.
#include <QVariant>

class KCValueTransformer {
public:
    virtual ~KCValueTransformer() = default;
    virtual QVariant transformedValue(const QVariant& value) const = 0;
    virtual bool allowsReverseTransformation() const { return false; }
    virtual QVariant reverseTransformedValue(const QVariant&) const { return {}; }
};

// A number in the sense of the dictionary and archive forms: any integer,
// floating-point or boolean value, never a string.
bool KCIsNumber(const QVariant& value);
