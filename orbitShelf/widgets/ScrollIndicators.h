#pragma once

class QAbstractScrollArea;

// Gives a page's scroll view scroll indicators: its vertical scroll bar is a
// thumb that stands out from a clear track, without arrow buttons. The stock
// Fusion bar draws its thumb lighter than its groove, so on a light page the
// grey groove reads as the thumb, and the bar as upside down: at the top of
// the page the grey lies at the bottom. The bar still scrolls as before (a
// drag, a click beside the thumb, the wheel).
void showScrollIndicators(QAbstractScrollArea* area);
