#pragma once

// The X server's core keyboard as the kit's layout source: its keymap and
// selected group, followed through XKB events.
#include "KeyComboKit/KCKeyLayoutSource.h"

#include <QMutex>
#include <QString>

#include <memory>

class QSocketNotifier;

class KCX11KeyLayoutSource final : public KCKeyLayoutSource {
    Q_OBJECT
public:
    // Opens its own connection to the display (DISPLAY when empty).
    explicit KCX11KeyLayoutSource(const QString& display = QString(), QObject* parent = nullptr);
    ~KCX11KeyLayoutSource() override;

    // False when the display or its XKB extension could not be reached; the
    // source then gives no input sources.
    bool isValid() const;

    KCInputSourceRef currentKeyboardLayout() override;
    KCInputSourceRef currentASCIICapableKeyboardLayout() override;

private:
    void readEvents();
    void reloadKeymap();
    void selectGroup(quint32 group);

    struct Private;
    std::unique_ptr<Private> d;
    QMutex m_lock;
    KCInputSourceRef m_current;
    KCInputSourceRef m_ascii;
    QSocketNotifier* m_notifier = nullptr;
};
