#pragma once

#include "dock/AppButtonRules.h"

#include <QColor>
#include <QString>
#include <QWidget>

class QPainter;

// The chip beside an application icon that shows a window's tag (or title)
// on the tag's colour, dark while the window has focus.
struct WindowTagLook {
    QString tag;
    int width = 0;
    WindowTagSize size = WindowTagSize::Normal;
    QColor background;
    QColor textColor;
    double iconSize = 46;
};
QSizeF windowTagChipSize(const WindowTagLook& look);
// Paints the chip into `rect` (its width and height from windowTagChipSize).
void paintWindowTag(QPainter& painter, const QRectF& rect, const WindowTagLook& look);

// The thin label over the lower part of an icon: white text on `color`,
// bottom corners rounded, at the bottom of `area` lifted by `bottomInset`.
struct SimpleTagLook {
    QColor color;
    bool show = true;
    QString title; // cut by shortTitle when painted
    double width = 38; // simpleTagWidth
};
void paintSimpleTag(QPainter& painter, const QRectF& area, const SimpleTagLook& look, double bottomInset);

class WindowTag final : public QWidget {
    Q_OBJECT
public:
    explicit WindowTag(QWidget* parent = nullptr);
    void setLook(const WindowTagLook& look);
    const WindowTagLook& look() const { return m_look; }
    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    WindowTagLook m_look;
};

class SimpleTag final : public QWidget {
    Q_OBJECT
public:
    explicit SimpleTag(QWidget* parent = nullptr);
    void setLook(const SimpleTagLook& look, double bottomInset = 0);
    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    SimpleTagLook m_look;
    double m_bottomInset = 0;
};
