#include "widgets/ScrollIndicators.h"

#include <QAbstractScrollArea>
#include <QScrollBar>

void showScrollIndicators(QAbstractScrollArea* area)
{
    // The palette's roles, not fixed colours, keep the thumb visible under a
    // dark colour scheme too.
    area->verticalScrollBar()->setStyleSheet(QStringLiteral(
        "QScrollBar:vertical { background: transparent; border: none; width: 10px; margin: 0; }"
        "QScrollBar::handle:vertical { background: palette(mid); border-radius: 3px; margin: 0 2px;"
        " min-height: 24px; }"
        "QScrollBar::handle:vertical:hover, QScrollBar::handle:vertical:pressed {"
        " background: palette(dark); }"
        "QScrollBar::add-line:vertical, QScrollBar::sub-line:vertical { height: 0; border: none;"
        " background: none; }"
        "QScrollBar::add-page:vertical, QScrollBar::sub-page:vertical { background: none; }"));
}
