#pragma once

#include "ToastOverlay/ToastOverlay.h"

#include <QImage>
#include <QPainterPath>
#include <QPixmap>
#include <QPointer>
#include <QWidget>

class QTimer;
class QAbstractAnimation;

// The drawing of a toast: the card for each display mode and the small views
// it is made of. Main thread only.

enum class MarkKind { checkmark, xmark };

// The mark in a square of side `size`, y downwards.
QPainterPath markPath(MarkKind kind, qreal size);
// The first `percentage` (0…1) of the path's length, over all its strokes.
QPainterPath trimmedPath(const QPainterPath& path, qreal percentage);
// The stroke width of a mark: size / 8, truncated.
int markStrokeWidth(int size);

// The critically damped spring of the toast's motions (response 0.5 s), as an
// easing curve for a QVariantAnimation of springDuration() ms.
class QEasingCurve;
QEasingCurve springCurve();
int springDurationMs();

// A check mark or cross that strokes itself from nothing each time it is
// shown. Runs its animation only while visible.
class AnimatedMark : public QWidget {
    Q_OBJECT
public:
    AnimatedMark(MarkKind kind, const QColor& color, int size, QWidget* parent = nullptr);
    ~AnimatedMark() override;
    qreal percentage() const { return m_percentage; }
    void setPercentage(qreal percentage);
    int strokeWidth() const { return markStrokeWidth(m_size); }

protected:
    void paintEvent(QPaintEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    MarkKind m_kind;
    QColor m_color;
    int m_size;
    qreal m_percentage = 0;
    QPointer<QAbstractAnimation> m_animation;
};

class AnimatedCheckmark final : public AnimatedMark {
public:
    AnimatedCheckmark(const QColor& color, int size = 50, QWidget* parent = nullptr)
        : AnimatedMark(MarkKind::checkmark, color, size, parent)
    {
    }
};

class AnimatedXmark final : public AnimatedMark {
public:
    AnimatedXmark(const QColor& color, int size = 50, QWidget* parent = nullptr)
        : AnimatedMark(MarkKind::xmark, color, size, parent)
    {
    }
};

// The spinner of a loading toast: turns from the moment it shows until it
// hides, at the natural size of a regular spinner.
class ActivityIndicator final : public QWidget {
public:
    explicit ActivityIndicator(QWidget* parent = nullptr);
    QSize sizeHint() const override { return { 32, 32 }; }
    bool isSpinning() const;

protected:
    void paintEvent(QPaintEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    QTimer* m_timer;
    int m_step = 0;
};

// The translucent default background of a toast without a background colour.
struct BlurView {
    static QColor fill(const QPalette& palette);
    static void paint(QPainter& painter, const QPainterPath& shape, const QPalette& palette);
};

// An icon scaled to fit its box, aspect ratio kept; a template icon is drawn
// in one colour through its alpha.
class IconView final : public QWidget {
public:
    IconView(QPixmap pixmap, const QColor& color, bool asTemplate, QSize natural, QWidget* parent = nullptr);
    // The drawn check mark or cross, for the capsule and the banner.
    IconView(MarkKind kind, const QColor& color, QSize natural, QWidget* parent = nullptr);
    QSize sizeHint() const override { return m_natural; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QPixmap m_pixmap;
    std::optional<MarkKind> m_mark;
    QColor m_color;
    bool m_template = false;
    QSize m_natural;
};

// The pixmap of a freedesktop icon name (systemImage) or of an image path.
QPixmap toastIconPixmap(const ToastOverlay::AlertType& type, int extent);

// One toast drawn: the centred box (alert), the capsule (hud) or the bottom
// card (banner). Object names of the parts: "leading", "title", "subTitle".
class ToastCard final : public QWidget {
    Q_OBJECT
public:
    explicit ToastCard(const ToastOverlay& toast, QWidget* parent = nullptr);
    const ToastOverlay& toast() const { return m_toast; }
    QPainterPath shape() const;
    // Paints the card's background into the picture its paints copy now,
    // rather than at its first paint: for a card made ahead of its showing.
    void preparePicture();
    static constexpr int padding = 16;
    static constexpr int maxAlertExtent = 175;
    static constexpr int maxBannerWidth = 400;

signals:
    void tapped();

protected:
    void paintEvent(QPaintEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    void buildAlert();
    void buildHud();
    void buildBanner();
    QWidget* textBlock(int spacing, Qt::Alignment alignment, bool bannerColours);
    QColor backgroundColor() const;

    ToastOverlay m_toast;
    // The background as painted for the card's size, colour and pixel ratio.
    QImage m_picture;
    QColor m_pictureColor;
};
