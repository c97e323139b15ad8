#include "settings/PageParts.h"

#include <QFrame>
#include <QGraphicsDropShadowEffect>
#include <QLoggingCategory>
#include <QWidget>

static Q_LOGGING_CATEGORY(lcPages, "orbitshelf.settings")

QFrame* horizontalDivider()
{
    auto* line = new QFrame;
    line->setFrameShape(QFrame::HLine);
    line->setFrameShadow(QFrame::Sunken);
    return line;
}

void addDropShadow(QWidget* widget, double radius, QPointF offset, QColor color)
{
    auto* shadow = new QGraphicsDropShadowEffect(widget);
    shadow->setBlurRadius(radius * 2);
    shadow->setOffset(offset);
    shadow->setColor(color);
    widget->setGraphicsEffect(shadow);
}

bool placesLogged()
{
    return lcPages().isDebugEnabled();
}

void logPlace(const QWidget* widget, const QString& what)
{
    if (!widget || !widget->isVisible() || !placesLogged())
        return;
    const QPoint at = widget->mapToGlobal(QPoint(0, 0));
    qCDebug(lcPages).noquote() << QStringLiteral("%1 at %2,%3 %4x%5")
                                      .arg(what)
                                      .arg(at.x())
                                      .arg(at.y())
                                      .arg(widget->width())
                                      .arg(widget->height());
}
