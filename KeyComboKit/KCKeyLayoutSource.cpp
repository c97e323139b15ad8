#include "KeyComboKit/KCKeyLayoutSource.h"

#include <QPointer>
#include <QReadWriteLock>

namespace {
QReadWriteLock sourceLock;
QPointer<KCKeyLayoutSource> processSource;
} // namespace

void KCSetKeyLayoutSource(KCKeyLayoutSource* source)
{
    QWriteLocker locker(&sourceLock);
    processSource = source;
}

KCKeyLayoutSource* KCCurrentKeyLayoutSource()
{
    QReadLocker locker(&sourceLock);
    return processSource.data();
}
