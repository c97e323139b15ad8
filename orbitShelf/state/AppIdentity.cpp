#include "state/AppIdentity.h"

#include <QDir>
#include <QStandardPaths>

QString applicationSupportFolder()
{
    // GenericDataLocation honours XDG_DATA_HOME on every call, so tests that
    // point it at a temporary folder never see the user's data.
    const QString base = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
    return QDir(base).filePath(QString::fromLatin1(kAppIdentifier));
}
