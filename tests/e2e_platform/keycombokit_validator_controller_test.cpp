// The shortcut kit's validator and controller on a real X server: another
// client's grab refuses a shortcut, setxkbmap renames a controller's key,
// a controller's target fires on a typed key and lets it go when it ends,
// and a hot key typed right as another key is grabbed still arrives.
#include "KeyComboKit/KCGlobalShortcutMonitor.h"
#include "KeyComboKit/widgets/KCShortcutController.h"
#include "KeyComboKit/widgets/KCShortcutValidator.h"
#include "KeyComboKit/x11/KCX11HotKeyBackend.h"
#include "KeyComboKit/x11/KCX11KeyLayoutSource.h"
#include "tests/e2e_platform/OtherGrabClient.h"
#include "tests/support/XvfbSession.h"

#include <QCoreApplication>

#include <xcb/xcb.h>

#include <gtest/gtest.h>

using orbitshelf::test::runTool;
using orbitshelf::test::waitUntil;

namespace {

// Another client's Ctrl+Alt grab of a key position.
class OtherClient {
public:
    bool grab(quint16 keyCode) { return m_client.grab(xcb_keycode_t(*KCXKeycodeForKeyCode(keyCode))); }
    void ungrab(quint16 keyCode) { m_client.ungrab(xcb_keycode_t(*KCXKeycodeForKeyCode(keyCode))); }

private:
    OtherGrabClient m_client;
};

// The backend the shared global monitor uses in this program (installed
// before the monitor is first made) and the server's keyboard layouts, as an
// application installs them; kept to the end.
KCX11HotKeyBackend& sharedBackend()
{
    static auto* backend = [] {
        auto* b = new KCX11HotKeyBackend;
        KCSetHotKeyBackend(b);
        KCSetSystemShortcutSource(b);
        KCSetKeyLayoutSource(new KCX11KeyLayoutSource);
        return b;
    }();
    return *backend;
}

class Target final : public QObject {
    Q_OBJECT
public:
    Q_INVOKABLE bool performShortcutAction(KCShortcutAction*) { return ++performed, true; }
    int performed = 0;
};

} // namespace

TEST(KeyComboKitValidator, AKeyAnotherClientHoldsIsRefusedUntilReleased)
{
    ASSERT_TRUE(sharedBackend().isValid());
    const auto t = KCShortcut::shortcutWithCode(kKeyT, commandOption);
    KCShortcutValidator validator;
    EXPECT_TRUE(validator.validateShortcut(t));

    OtherClient other;
    ASSERT_TRUE(other.grab(kKeyT));
    KCValidationError error;
    EXPECT_FALSE(validator.validateShortcut(t, &error));
    EXPECT_EQ(error.failureReason, "The \"Command-Option-T\" shortcut can't be used!");
    EXPECT_EQ(error.description,
        "The \"Command-Option-T\" shortcut can't be used because it's already used by a system-wide keyboard "
        "shortcut. If you really want to use this shortcut, most shortcuts can be changed in your desktop's "
        "keyboard settings.");
    // The trial grab left the other client's grab alone.
    EXPECT_FALSE(validator.validateShortcut(t));

    other.ungrab(kKeyT);
    EXPECT_TRUE(validator.validateShortcut(t, &error));
    // Nor did the trial keep the key: the other client can have it again.
    EXPECT_TRUE(other.grab(kKeyT));
    other.ungrab(kKeyT);

    // Our own hot key is not another program's.
    KCGlobalShortcutMonitor monitor(&sharedBackend());
    monitor.addAction(
        KCShortcutAction::withShortcut(t, [](KCShortcutAction*) { return true; }), KCKeyEventTypeDown);
    ASSERT_EQ(monitor.registeredHotKeyCount(), 1);
    EXPECT_TRUE(validator.validateShortcut(t));
    EXPECT_FALSE(other.grab(kKeyT)); // still held by the monitor
    monitor.removeAllActions();
}

TEST(KeyComboKitController, SetxkbmapRenamesTheKeyWithFiveNotices)
{
    ASSERT_TRUE(sharedBackend().isValid());
    {
        KCShortcutController controller(KCShortcut::shortcutWithCode(kKeyY, kc::command));
        EXPECT_EQ(controller.valueForKey("literalASCIIKeyCode").toString(), "Y");
        QStringList notices;
        for (const char* key : { "keyEquivalent", "keyEquivalentModifierMask", "literalKeyCode",
                 "symbolicKeyCode", "literalASCIIKeyCode", "symbolicASCIIKeyCode", "literalModifierFlags",
                 "symbolicModifierFlags" })
            controller.addObserver(QStringLiteral("selection.") + QLatin1String(key),
                KCObservable::optionPrior, [&](const KCChange& change) {
                    notices.append((change.isPrior ? "will " : "did ") + change.key.mid(10));
                });
        runTool(QStringLiteral("setxkbmap"), { QStringLiteral("de") });
        EXPECT_TRUE(
            waitUntil([&] { return controller.valueForKey("literalASCIIKeyCode").toString() == "Z"; }));
        EXPECT_EQ(controller.valueForKey("selection.literalKeyCode").toString(), "Z");
        // Each change of the layout: the five layout-dependent values, "did"
        // in reverse order; never the modifier texts.
        const QStringList one = { "will keyEquivalent", "will literalKeyCode", "will symbolicKeyCode",
            "will literalASCIIKeyCode", "will symbolicASCIIKeyCode", "did symbolicASCIIKeyCode",
            "did literalASCIIKeyCode", "did symbolicKeyCode", "did literalKeyCode", "did keyEquivalent" };
        ASSERT_FALSE(notices.isEmpty());
        ASSERT_EQ(notices.size() % one.size(), 0) << notices.join(", ").toStdString();
        for (qsizetype i = 0; i < notices.size(); i += one.size())
            EXPECT_EQ(notices.mid(i, one.size()), one);
    }
    runTool(QStringLiteral("setxkbmap"), { QStringLiteral("us") });
}

TEST(KeyComboKitController, ATargetFiresUntilTheControllerEnds)
{
    ASSERT_TRUE(sharedBackend().isValid());
    Target target;
    OtherClient other;
    {
        KCShortcutController controller(KCShortcut::shortcutWithCode(kKeyK, commandOption));
        controller.setShortcutActionTarget(&target);
        EXPECT_FALSE(other.grab(kKeyK));
        runTool(QStringLiteral("xdotool"), { "key", "ctrl+alt+k" });
        EXPECT_TRUE(waitUntil([&] { return target.performed == 1; }));
    }
    EXPECT_TRUE(other.grab(kKeyK));
    other.ungrab(kKeyK);
    runTool(QStringLiteral("xdotool"), { "key", "ctrl+alt+k" });
    QCoreApplication::processEvents();
    EXPECT_EQ(target.performed, 1);
}

TEST(KeyComboKitHotKeys, AKeyPressedRightAfterAGrabIsDelivered)
{
    KCX11HotKeyBackend backend;
    ASSERT_TRUE(backend.isValid());
    KCGlobalShortcutMonitor monitor(&backend);
    int k = 0;
    monitor.addAction(KCShortcutAction::withShortcut(KCShortcut::shortcutWithCode(kKeyK, commandOption),
                          [&](KCShortcutAction*) { return ++k, true; }),
        KCKeyEventTypeDown);
    QCoreApplication::processEvents();
    // K's press waits in the socket; grabbing J reads it off with the reply,
    // with no event loop turn in between.
    runTool(QStringLiteral("xdotool"), { "key", "ctrl+alt+k" });
    monitor.addAction(KCShortcutAction::withShortcut(KCShortcut::shortcutWithCode(kKeyJ, commandOption),
                          [](KCShortcutAction*) { return true; }),
        KCKeyEventTypeDown);
    EXPECT_TRUE(waitUntil([&] { return k == 1; }, std::chrono::seconds(2)));
}

#include "keycombokit_validator_controller_test.moc"
