#pragma once

#include <QObject>

#include <optional>
#include <vector>

namespace platform {

// The desktop's keyboard outside our own windows: global hot keys, the whole
// keyboard for the switcher while it is up, and modifier keys pressed
// anywhere. Key codes are the app's virtual key codes and modifiers Carbon
// bits (platform/KeyCodes.h); the X11 layer translates both. Main thread only.
class HotKeys : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;
    ~HotKeys() override = default;

    // Takes `keyCode` with exactly `carbonModifiers` from every program. None
    // when another program holds the combination, the keyboard has no such
    // key, or there is no desktop to ask; a combination this process holds
    // already gives its existing reference back.
    virtual std::optional<quint32> registerHotKey(quint16 keyCode, quint32 carbonModifiers) = 0;
    // Gives the combination back; an unknown or released reference is ignored.
    virtual void unregisterHotKey(quint32 reference) = 0;

    // Sends every key to this process until ungrabKeyboard(): key-downs,
    // key-ups and modifier changes arrive as the grabbed* signals. False when
    // another program holds the keyboard.
    virtual bool grabKeyboard() = 0;
    virtual void ungrabKeyboard() = 0;
    virtual bool keyboardGrabbed() const = 0;
    // Whether any of `keyCodes` is down on the keyboard now, asked of the
    // desktop (a release a grab missed shows here); none when it cannot say.
    virtual std::optional<bool> anyKeyDown(const std::vector<quint16>& keyCodes)
    {
        (void)keyCodes;
        return std::nullopt;
    }

    // Starts reporting modifier keys pressed and released anywhere
    // (modifierChanged); false with a logged reason when the desktop cannot.
    // Changes typed while this process holds the keyboard are not reported.
    virtual bool startModifierMonitor() = 0;

signals:
    void hotKeyPressed(quint16 keyCode, quint32 reference);
    void grabbedKeyDown(quint16 keyCode);
    void grabbedKeyUp(quint16 keyCode);
    // A modifier key went down or up while the keyboard was grabbed.
    void grabbedModifierChanged(quint16 keyCode);
    // `serverTime` is the desktop's time of the change in milliseconds (it
    // wraps after 49 days; 0 when unknown), the clock ClickMonitor's clicks
    // are stamped with: input read over different connections can be put
    // back in the order it happened.
    void modifierChanged(quint16 keyCode, bool pressed, quint32 serverTime);
};

// The implementation installed with the platform's services
// (platform/Services.h); nullptr when none is.
HotKeys* hotKeys();

} // namespace platform
