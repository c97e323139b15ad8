#pragma once

#include <QByteArray>
#include <QColor>
#include <QFont>
#include <QRectF>
#include <QSize>
#include <QString>

#include <optional>
#include <string>
#include <type_traits>
#include <vector>

// What a view draws for one item, written as bytes: equal bytes, equal
// pixels. A view compares an item's bytes before and after a change and
// repaints only the items whose bytes differ. The values go in as they are
// in memory, each text and list with its length first; nothing here is
// meant to be stored or read back. A QDataStream did the same through a
// device, byte swapping and a version check per value, which made computing
// the fingerprints of the whole bar cost more than painting what changed.
class PaintFingerprint final {
public:
    PaintFingerprint() { m_bytes.reserve(256); }

    template <typename T>
    requires std::is_arithmetic_v<T> || std::is_enum_v<T> PaintFingerprint& operator<<(T value)
    {
        m_bytes.append(reinterpret_cast<const char*>(&value), sizeof value);
        return *this;
    }
    PaintFingerprint& operator<<(const QString& text)
    {
        *this << text.size();
        m_bytes.append(reinterpret_cast<const char*>(text.constData()), size_t(text.size()) * sizeof(QChar));
        return *this;
    }
    PaintFingerprint& operator<<(const QByteArray& bytes)
    {
        *this << bytes.size();
        m_bytes.append(bytes.constData(), size_t(bytes.size()));
        return *this;
    }
    PaintFingerprint& operator<<(const QRectF& r)
    {
        return *this << r.x() << r.y() << r.width() << r.height();
    }
    PaintFingerprint& operator<<(const QSize& s) { return *this << s.width() << s.height(); }
    // The colour as it is painted, whatever model it was given in.
    PaintFingerprint& operator<<(const QColor& c) { return *this << c.isValid() << quint64(c.rgba64()); }
    // The font's identity in Qt's own font cache.
    PaintFingerprint& operator<<(const QFont& f) { return *this << f.key(); }
    template <typename T> PaintFingerprint& operator<<(const std::optional<T>& value)
    {
        *this << value.has_value();
        if (value)
            *this << *value;
        return *this;
    }
    template <typename T> PaintFingerprint& operator<<(const std::vector<T>& values)
    {
        *this << values.size();
        for (const T& v : values)
            *this << v;
        return *this;
    }

    QByteArray bytes() const { return QByteArray(m_bytes.data(), qsizetype(m_bytes.size())); }

private:
    std::string m_bytes;
};
