#pragma once

#include <QFont>
#include <QRectF>
#include <QString>

class QPainter;

// The red count badge drawn over an application button: the count itself up
// to two characters, "9+" beyond. It stands above the decorated area with
// only its lowest 10 pixels inside it, its right edge on the area's right
// edge.
class Badge final {
public:
    explicit Badge(QString count)
        : count(std::move(count))
    {
    }

    QString count;

    bool isShown() const { return !count.isEmpty(); }
    QString text() const;
    // 10 for one character, 9 for two, 8 for "9+".
    int pixelSize() const;
    QFont font() const;
    // The red rectangle for a decorated area; empty when nothing is shown.
    QRectF rect(const QRectF& area) const;
    void paint(QPainter& painter, const QRectF& area) const;

    static constexpr qreal padding = 3;
    static constexpr qreal overlap = 10;
};
