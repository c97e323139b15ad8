#pragma once

// Small pieces the settings and onboarding pages share.

#include <QColor>
#include <QPointF>
#include <QString>

class QFrame;
class QWidget;

// A sunken horizontal line between rows.
QFrame* horizontalDivider();

// A soft shadow under a widget (blur `radius`, moved by `offset`); the
// default is the pictures' black at a third.
void addDropShadow(QWidget* widget, double radius, QPointF offset, QColor color = QColor(0, 0, 0, 84));

// Logs "<what> at x,y wxh" (global, debug on "orbitshelf.settings") for a
// shown widget: where the end-to-end tests click.
void logPlace(const QWidget* widget, const QString& what);
bool placesLogged();
