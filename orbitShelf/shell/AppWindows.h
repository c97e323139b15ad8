#pragma once

#include <QList>

class QWidget;

// The application's own top-level windows in the order they were made; the
// launch routine closes the first one (the onboarding window) after the
// first run. Windows that were destroyed drop out of the list.
void registerAppWindow(QWidget* window);
QList<QWidget*> appWindows();
