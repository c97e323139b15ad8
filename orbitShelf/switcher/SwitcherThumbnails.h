#pragma once

// The switcher's window pictures, taken ahead of the Tab press and kept
// between cycles, so that a press only lays out and paints. The grid
// (FloatDock) copies a cycle's pictures from here. Main thread only.

#include <QImage>
#include <QMap>

// Window pictures at the cell's size, by window number.
QMap<quint32, QImage>& switcherThumbnails();
// Takes the windows' pictures (only those not kept yet with `onlyMissing`),
// one window per turn of the event loop, when previews are on; stops while
// the switcher is up.
void prepareSwitcherThumbnails(bool onlyMissing);
