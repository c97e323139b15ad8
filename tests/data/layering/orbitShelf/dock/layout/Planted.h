// The bar's layout reaching for a widget; plain Qt Gui types are fine.
#include <QRectF>
#include "dock/DockViewState.h"
#include <QWidget>
