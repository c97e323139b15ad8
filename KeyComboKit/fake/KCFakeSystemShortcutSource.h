#pragma once

// System shortcuts for tests: the combinations listed are taken, matched on
// key code and exact modifier flags; a non-zero status fails every question.
#include "KeyComboKit/KCSystemShortcutSource.h"

#include <QList>
#include <QPair>

class KCFakeSystemShortcutSource final : public KCSystemShortcutSource {
public:
    qint32 isShortcutTaken(const KCShortcut& shortcut, bool* taken) override;

    QList<QPair<quint16, quint64>> taken;
    qint32 status = 0;
    int questions = 0;
};
