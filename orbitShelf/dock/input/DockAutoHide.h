#pragma once

#include <QMap>
#include <QObject>
#include <QPoint>
#include <QRect>
#include <QRegion>
#include <QString>

#include <optional>

// Decisions of the auto-show strip and of the full-screen auto-hide, apart
// from the views and from AppState so that they can be checked directly.

// What hovering an auto-show strip does.
struct StripHoverOutcome {
    bool showDock = false; // set the screen's showSpaceDock entry true
    double opacity = 0; // the strip's new grey opacity
};

// The pointer entered (or left) the strip of a screen whose autoHideSpaceDock
// entry is autoHideEntry. Entering shows an auto-hidden dock and lights the
// strip; entering the strip of a dock that is not auto-hidden changes
// nothing; leaving only dims the strip (hiding is the bar's business).
StripHoverOutcome stripHoverOutcome(
    bool entered, const std::optional<QString>& autoHideEntry, double currentOpacity);

// The dock's opacity: 0 while the screen's dock is auto-hidden and not shown
// by its strip, 1 in every other case (missing entries included).
double dockOpacity(const std::optional<QString>& autoHideEntry, const std::optional<bool>& showSpaceDock);

// The screen's showSpaceDock entry each time its dock appears.
bool showSpaceDockOnAppear(const std::optional<QString>& autoHideEntry);

// The auto-show strips' news for the bars: a strip and its bar are windows
// of their own, and a bar the strip brought back must hear when the pointer
// went off the strip without crossing the bar.
class AutoShowStrips final : public QObject {
    Q_OBJECT
public:
    static AutoShowStrips& shared();

    // Where the pointer counts as resting on a screen's strip (the strip and
    // any panel between it and the screen's edge, see stripReach), in the
    // server's pixels, as the pointer is asked of it: in Qt's, the server's
    // last column or row can round off the screen at a scale. A bar never
    // hides while the pointer rests there: the strip may hear a leave as the
    // bar's window appears over it, and a pointer pushed against the edge
    // stops on the panel past the strip.
    void setStripArea(const QString& screenID, const QRect& onServer) { m_areas.insert(screenID, onServer); }
    bool pointerOnStrip(const QString& screenID, const QPoint& onServer) const
    {
        return m_areas.value(screenID).contains(onServer);
    }

signals:
    // The strip no longer follows the pointer: it went off a strip window,
    // or reached the edge of a strip that lets go of it there. The bar
    // looks where it went from here.
    void pointerLeft(const QString& screenID);

private:
    QMap<QString, QRect> m_areas;
};
