#pragma once

#include <QAbstractButton>
#include <QVariantAnimation>

// A blue capsule button with white text that grows to 1.2 times its size
// about its centre while pressed, easing out over 0.2 s both ways.
class GrowingButton final : public QAbstractButton {
    Q_OBJECT
public:
    explicit GrowingButton(const QString& text, QWidget* parent = nullptr);

    qreal scale() const { return m_scale; }
    QSize sizeHint() const override;

    static constexpr qreal pressedScale = 1.2;
    static constexpr qreal padding = 5;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void animateTo(qreal target);

    qreal m_scale = 1.0;
    QVariantAnimation m_animation;
};
