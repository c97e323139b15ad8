#pragma once

// A layout source for tests: keymaps compiled from layout names, no X
// server. select("de"), select("us,ru", 1), select("us(mac)").
#include "KeyComboKit/KCKeyLayoutSource.h"

#include <QStringList>

class KCFakeKeyLayoutSource final : public KCKeyLayoutSource {
    Q_OBJECT
public:
    explicit KCFakeKeyLayoutSource(QObject* parent = nullptr);
    ~KCFakeKeyLayoutSource() override;

    // Comma-separated layouts, "name(variant)" each, and the selected one.
    // False (and nothing changes) when xkb cannot compile them.
    bool select(const QString& layouts, quint32 group = 0);
    // No input source can be made while unavailable.
    void setAvailable(bool available);
    // Input sources without an identifier.
    void setIdentifiersMissing(bool missing);

    KCInputSourceRef currentKeyboardLayout() override;
    KCInputSourceRef currentASCIICapableKeyboardLayout() override;

private:
    struct Private;
    std::unique_ptr<Private> d;
};
