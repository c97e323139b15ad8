#pragma once

// Two kinds of pixels meet at the platform boundary. The X server counts
// its own: windows' places and sizes, reserves, shapes, hover areas, the
// pointer, the screens' places. Qt lays everything out in device-independent
// pixels: a screen Qt scales by 2 (Xft.dpi 192, QT_SCALE_FACTOR,
// QT_SCREEN_SCALE_FACTORS) is half as many of them. Qt keeps each screen's
// top-left corner where the server has it and divides its size by the
// screen's scale, so a place on a screen converts about that corner, with
// that screen's scale; on a desktop Qt does not scale both are the same.
//
// Everything that crosses from one to the other goes through here.

#include <QPointF>
#include <QRect>
#include <QRectF>
#include <QRegion>
#include <QString>

#include <vector>

namespace platform {

struct ScaledScreen {
    QString name; // the RandR monitor, as Qt names its screen
    QRect place; // on the server, in its pixels
    qreal scale = 1.0; // Qt's pixels to the server's
    friend bool operator==(const ScaledScreen&, const ScaledScreen&) = default;
};

// Where Qt has the screen: the server's top-left, its size divided by the
// scale (rounded as Qt rounds it).
QRect qtGeometry(const ScaledScreen& screen);

// The screen that holds the point, else the nearest one; null with none.
// `inQt` says which pixels the point is in.
const ScaledScreen* screenOfPoint(QPointF point, bool inQt, const std::vector<ScaledScreen>& screens);

// A point or a rectangle converted with the scale of the screen it is on
// (a rectangle: the screen holding its centre). Without screens, unchanged.
QPointF serverFromQt(QPointF point, const std::vector<ScaledScreen>& screens);
QPointF qtFromServer(QPointF point, const std::vector<ScaledScreen>& screens);
QRect serverFromQt(const QRectF& rect, const std::vector<ScaledScreen>& screens);
QRect qtFromServer(const QRect& rect, const std::vector<ScaledScreen>& screens);

// A pixel of the server's in Qt's pixels, held to the screen it is on: at
// a scale above 1 several of the server's pixels make one of Qt's, and
// rounding would take the server's last column or row (3839 at 2 is 1919.5)
// one past its screen. So the pixel of Qt's that covers it, never past the
// screen's last one. Without screens, unchanged.
QPoint qtPixelOnScreen(QPoint server, const std::vector<ScaledScreen>& screens);

// A region of a window's own (a shape, in Qt's pixels) in the server's
// pixels of a window Qt scales by `ratio`: every pixel of Qt's becomes all
// of the server's pixels it touches, so two regions that were one stay one
// and none loses a row to rounding.
QRegion serverRegion(const QRegion& region, qreal ratio);

// The process's screens: read afresh on the GUI thread (Qt's screens at the
// places the server has them), the last reading on any other thread. Empty
// without a GUI application.
std::vector<ScaledScreen> scaledScreens();

// The same conversions with the process's screens.
QPoint serverFromQt(QPointF point);
QPointF qtFromServer(QPointF point);
QRect serverFromQt(const QRectF& rect);
QRect qtFromServer(const QRect& rect);

// Where the pointer is, asked of the server (QCursor::pos() rounds it into
// Qt's pixels, which can put it off its screen): in the server's pixels, and
// in Qt's held to the screen it is on. Every check of the pointer against a
// place compares it in that place's kind of pixels through these.
QPoint pointerOnServer();
QPoint pointerInQt();
// The name of the screen the pointer is on (the nearest one off every
// screen); empty without screens.
QString pointerScreenName();

} // namespace platform
