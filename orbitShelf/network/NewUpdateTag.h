#pragma once

#include <QImage>
#include <QWidget>

// Our "New-Updator" artwork: a warm card with an up arrow and "NEW", drawn at
// any size (there are no bundled pictures to load it from).
QImage newUpdatorArtwork(const QSize& size, qreal devicePixelRatio = 1.0);

// The badge that marks a newer version: the artwork at 60×50, clipped to a
// rounded rectangle of radius 10 over a soft black shadow (opacity 0.33,
// radius 4, 2 down). No tap action, no state; nothing places it yet.
class NewUpdateTag final : public QWidget {
public:
    explicit NewUpdateTag(QWidget* parent = nullptr);
    static constexpr QSize tagSize { 60, 50 };
    static constexpr int cornerRadius = 10;

protected:
    void paintEvent(QPaintEvent* event) override;
};
