#pragma once

#include <QString>
#include <QWidget>

// The full-screen toast's content: a card at the bottom centre telling the
// user that a window went full screen and that the bar hides with the
// shortcut. It has no buttons and reacts to nothing; it goes with its
// window. Only width and height change what it shows; the screen and the
// window number are carried for the caller.
class FullScreenToast final : public QWidget {
    Q_OBJECT
public:
    FullScreenToast(QString spaceID, qint64 winnum, double width, double height, QWidget* parent = nullptr);

    const QString spaceID;
    const qint64 winnum;
    const double toastWidth;
    const double toastHeight;

    // The card's rectangle in the view: 400 wide, the view's height, centred.
    QRectF cardRect() const;
    // The dark backdrop inside the card: 500 × 220 at its bottom, clipped by
    // the card's rounded edge.
    QRectF backdropRect() const;

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
};

// The toast window's content for one call of the toast service.
QWidget* makeFullScreenToast(const QString& spaceID, qint64 windowNumber, double width, double height);
