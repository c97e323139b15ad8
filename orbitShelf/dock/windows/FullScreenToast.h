#pragma once

#include <QFont>
#include <QPainterPath>
#include <QRectF>
#include <QString>
#include <QWidget>

// Where the full-screen toast's parts stand in a view of a given size: the
// card 400 wide and the view's height, centred; the dark backdrop 500 × 220
// at its bottom, clipped by the card's rounded edge, so that what is painted
// is the bottom 220 rows of the card; in it, from the bottom up, the
// shortcut row (its label, then the key cap), the title and the icon.
struct FullScreenToastLayout {
    QRectF card;
    QRectF backdrop;
    // The backdrop within the card: all that is painted.
    QRectF painted;
    QRectF icon;
    QRectF title;
    QRectF label;
    QRectF cap;
    QFont titleFont;
    QFont rowFont;
};

// The layout for a view of `view`'s size whose shortcut row reads `label`
// and `shortcut`, in `base`'s family. The row's font is 26 px, narrowed
// until the row fits inside the card's padding: a long key text (three
// modifiers' worth) would otherwise run past the card's edge.
FullScreenToastLayout fullScreenToastLayout(
    QSizeF view, const QFont& base, const QString& label, const QString& shortcut);

// The outline of what the layout paints: the card's rounded rectangle cut
// to the backdrop, in the view's coordinates.
QPainterPath fullScreenToastOutline(const FullScreenToastLayout& layout);

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
    // The layout this view paints, for the shortcut the settings hold now.
    FullScreenToastLayout cardLayout() const;
    // The whole pixels it paints, and their outline (view coordinates): a
    // window showing the toast needs no more.
    QRect paintedRect() const;
    QPainterPath paintedOutline() const;

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    // The key cap's text: the hide shortcut the settings hold now.
    QString shortcutText() const;
};

// The toast window's content for one call of the toast service.
FullScreenToast* makeFullScreenToast(
    const QString& spaceID, qint64 windowNumber, double width, double height);
