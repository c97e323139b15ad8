// State reaching up to the bar, and to QtWidgets.
#include "state/AppState.h"
#include "dock/DockView.h"
#include <QWidget>
#include <QString>
