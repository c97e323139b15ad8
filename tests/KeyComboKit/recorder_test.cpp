#include "KeyComboKit/KCGlobalShortcutMonitor.h"
#include "KeyComboKit/KCObservable.h"
#include "KeyComboKit/widgets/KCRecorderControl.h"
#include "KeyComboKit/widgets/KCRecorderControlStyle.h"
#include "KeyComboKit/widgets/KCShortcutController.h"
#include "KeyComboKit/widgets/KCShortcutValidator.h"
#include "tests/KeyComboKit/KitFixture.h"

#include <QAccessible>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QKeyEvent>
#include <QSettings>
#include <QTemporaryDir>

namespace {

using kctest::keyA;
using kctest::keyK;
using kctest::keyY;

class CountingControl final : public KCRecorderControl {
public:
    using KCRecorderControl::KCRecorderControl;
    void playAlert() override { ++alerts; }
    int alerts = 0;
};

KCKeyEvent keyDown(quint16 code, quint64 flags)
{
    KCKeyEvent e;
    e.keyCode = code;
    e.modifierFlags = flags;
    return e;
}

KCKeyEvent flagsEvent(quint16 code, quint64 flags)
{
    KCKeyEvent e;
    e.type = KCKeyEvent::flagsChanged;
    e.keyCode = code;
    e.modifierFlags = flags;
    return e;
}

// A holder of one bindable value, as an application's model would be.
class RecorderPreferences final : public KCObservable { };

// A form's model: it hears when an editor opens and closes on it, and
// when its value is written, in one journal.
class FormModel final : public KCObservable {
    Q_OBJECT
public:
    FormModel()
    {
        addObserver(QStringLiteral("shortcut"), optionNew, [this](const KCChange&) { journal << "value"; });
    }
    Q_INVOKABLE void objectDidBeginEditing(QObject* editor) { journal << "begin", editors << editor; }
    Q_INVOKABLE void objectDidEndEditing(QObject* editor) { journal << "end", editors << editor; }
    QStringList journal;
    QObjectList editors;
};

class Recorder : public kctest::FakeLayouts {
protected:
    void SetUp() override
    {
        FakeLayouts::SetUp();
        control = new CountingControl(&window);
        control->resize(160, 24);
        window.show();
        window.activateWindow();
        QApplication::setActiveWindow(&window);
        control->setFocus();
        QApplication::processEvents();
        QObject::connect(control, &KCRecorderControl::activated, [this] { ++actions; });
    }
    void TearDown() override
    {
        delete control;
        FakeLayouts::TearDown();
    }
    void record(quint16 code, quint64 flags)
    {
        ASSERT_TRUE(control->beginRecording());
        control->performKeyEquivalent(keyDown(code, flags));
    }
    QWidget window;
    CountingControl* control = nullptr;
    int actions = 0;
};

TEST_F(Recorder, BeginningAndItsRefusals)
{
    auto& monitor = KCGlobalShortcutMonitor::sharedMonitor();
    control->setEnabled(false);
    EXPECT_FALSE(control->beginRecording());
    EXPECT_EQ(control->alerts, 0);
    control->setEnabled(true);

    int asked = 0;
    KCRecorderControlDelegate delegate;
    delegate.shouldBeginRecording = [&](KCRecorderControl*) { return ++asked > 1; };
    control->setDelegate(delegate);
    EXPECT_FALSE(control->beginRecording());
    EXPECT_EQ(control->alerts, 1);

    ASSERT_TRUE(control->beginRecording());
    EXPECT_TRUE(monitor.isPaused());
    EXPECT_EQ(control->drawingLabel(), "Press keys now");
    EXPECT_EQ(control->toolTip(), "Press keys now");
    // A second begin repeats nothing: one end resumes the monitor.
    EXPECT_TRUE(control->beginRecording());
    EXPECT_EQ(asked, 2);
    control->endRecording();
    EXPECT_FALSE(monitor.isPaused());
    EXPECT_EQ(control->toolTip(), "Click to record shortcut");
    EXPECT_EQ(control->drawingLabel(), "Record Shortcut");

    // Ending an idle control does nothing at all.
    control->endRecording();
    control->clearAndEndRecording();
    EXPECT_EQ(actions, 1);
}

TEST_F(Recorder, KeysWhileRecording)
{
    const auto old = KCShortcut::shortcutWithCode(keyA, kc::command);
    struct Case {
        const char* name;
        quint16 code;
        quint64 flags;
        bool recording; // afterwards
        KCShortcutRef value;
        int alerts;
    };
    const Case cases[] = {
        { "Command-Escape records", 53, kc::command, false, KCShortcut::shortcutWithCode(53, kc::command),
            0 },
        { "Escape cancels", 53, 0, false, old, 0 },
        { "Delete clears", 51, 0, false, nullptr, 0 },
        { "Forward Delete clears", 117, 0, false, nullptr, 0 },
        { "Shift-Delete records", 51, kc::shift, false, KCShortcut::shortcutWithCode(51, kc::shift), 0 },
        { "A bare key is refused", keyA, 0, true, old, 1 },
        { "Space is a key like others", 49, kc::option, false, KCShortcut::shortcutWithCode(49, kc::option),
            0 },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        control->setShortcut(old);
        control->alerts = 0;
        record(c.code, c.flags);
        EXPECT_EQ(control->isRecording(), c.recording);
        ASSERT_EQ(bool(control->shortcut()), bool(c.value));
        if (c.value) {
            EXPECT_TRUE(control->shortcut()->isEqual(c.value.get()));
        }
        EXPECT_EQ(control->alerts, c.alerts);
        control->endRecording();
    }
}

TEST_F(Recorder, SpaceBeginsAndKeysNeedFocus)
{
    EXPECT_FALSE(control->performKeyEquivalent(keyDown(keyA, kc::command)));
    EXPECT_TRUE(control->performKeyEquivalent(keyDown(49, kc::command | kc::shift)));
    EXPECT_TRUE(control->isRecording());
    control->endRecording();

    control->setFocus();
    QApplication::processEvents();
    control->clearFocus();
    EXPECT_FALSE(control->performKeyEquivalent(keyDown(49, 0)));
    EXPECT_FALSE(control->isRecording());
}

TEST_F(Recorder, QtKeysRecordAndShowTheirSymbols)
{
    ASSERT_TRUE(control->beginRecording());
    const auto send = [&](QEvent::Type type, int key, Qt::KeyboardModifiers modifiers, quint32 scan) {
        QKeyEvent e(type, key, modifiers, scan, 0, 0);
        QApplication::sendEvent(control, &e);
    };
    send(QEvent::KeyPress, Qt::Key_Control, Qt::NoModifier, 37);
    send(QEvent::KeyPress, Qt::Key_Shift, Qt::ControlModifier, 50);
    EXPECT_EQ(control->drawingLabel(), "⇧⌘");
    send(QEvent::KeyPress, Qt::Key_K, Qt::ControlModifier | Qt::ShiftModifier, 45);
    EXPECT_FALSE(control->isRecording());
    EXPECT_EQ(control->stringValue(), "⇧⌘K");

    // A key without a code beeps and leaves recording on.
    ASSERT_TRUE(control->beginRecording());
    send(QEvent::KeyPress, Qt::Key_unknown, Qt::ControlModifier, 255);
    EXPECT_TRUE(control->isRecording());
    EXPECT_EQ(control->alerts, 1);
    control->endRecording();
}

TEST_F(Recorder, TabAndShiftTabAreRecordedNotFocusMoves)
{
    // A second focusable widget: without the fix Qt moves the focus to it.
    QWidget next(&window);
    next.setFocusPolicy(Qt::StrongFocus);
    next.show();
    control->setAllowedModifierFlags(kc::mask, 0, true);
    constexpr quint16 tabKey = 48;
    const struct {
        const char* name;
        int key;
        Qt::KeyboardModifiers modifiers;
        quint64 flags;
    } rows[] = {
        { "Tab", Qt::Key_Tab, Qt::NoModifier, 0 },
        { "Shift+Tab", Qt::Key_Backtab, Qt::ShiftModifier, kc::shift },
        { "Super+Tab", Qt::Key_Tab, Qt::MetaModifier, kc::control },
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        control->setFocus();
        ASSERT_TRUE(control->beginRecording());
        QKeyEvent e(QEvent::KeyPress, row.key, row.modifiers, 23, 0, 0);
        QApplication::sendEvent(control, &e);
        EXPECT_FALSE(control->isRecording());
        ASSERT_NE(control->shortcut(), nullptr);
        EXPECT_EQ(control->shortcut()->keyCode(), tabKey);
        EXPECT_EQ(control->shortcut()->modifierFlags(), row.flags);
        EXPECT_EQ(window.focusWidget(), control);
    }
    // Not recording, Tab still moves the focus.
    QKeyEvent tab(QEvent::KeyPress, Qt::Key_Tab, Qt::NoModifier, 23, 0, 0);
    QApplication::sendEvent(control, &tab);
    EXPECT_EQ(window.focusWidget(), &next);
}

TEST_F(Recorder, StringValueFollowsTheLayoutDirectionOnlyWhenAsked)
{
    control->setShortcut(KCShortcut::shortcutWithCode(keyK, kc::command | kc::shift));
    control->setLayoutDirection(Qt::RightToLeft);
    EXPECT_EQ(control->stringValue(), "⇧⌘K");
    control->stringValueRespectsUserInterfaceLayoutDirection = true;
    EXPECT_EQ(control->stringValue(), "K⌘⇧");
}

TEST_F(Recorder, ModifierOnlyShortcuts)
{
    control->allowsModifierFlagsOnlyShortcut = true;
    ASSERT_TRUE(control->beginRecording());
    control->flagsChanged(flagsEvent(55, kc::command));
    control->flagsChanged(flagsEvent(56, kc::command | kc::shift));
    control->flagsChanged(flagsEvent(56, kc::command));
    EXPECT_TRUE(control->isRecording());
    control->flagsChanged(flagsEvent(55, 0));
    EXPECT_FALSE(control->isRecording());
    ASSERT_TRUE(control->shortcut());
    EXPECT_EQ(control->shortcut()->keyCode(), KCKeyCodeNone);
    EXPECT_EQ(control->shortcut()->modifierFlags(), kc::command | kc::shift);

    // Both Command keys down keep Command, without a beep.
    ASSERT_TRUE(control->beginRecording());
    control->flagsChanged(flagsEvent(55, kc::command));
    control->flagsChanged(flagsEvent(54, kc::command));
    EXPECT_EQ(control->lastSeenModifierFlags(), kc::command);
    EXPECT_EQ(control->alerts, 0);
    control->endRecording();
}

TEST_F(Recorder, ModifierChangesWithoutModifierOnlyMode)
{
    ASSERT_TRUE(control->beginRecording());
    control->flagsChanged(flagsEvent(55, kc::command));
    EXPECT_EQ(control->lastSeenModifierFlags(), kc::command);
    // Letting go of everything beeps and keeps the last modifiers shown.
    control->flagsChanged(flagsEvent(55, 0));
    EXPECT_EQ(control->alerts, 1);
    EXPECT_EQ(control->drawingLabel(), "⌘");
    control->endRecording();
}

TEST_F(Recorder, ModifierPolicy)
{
    EXPECT_THROW(
        {
            try {
                control->setAllowedModifierFlags(kc::command, kc::shift, false);
            } catch (const KCInvalidArgumentException& e) {
                EXPECT_EQ(e.reason(), "Required flags (131072) MUST be allowed (1048576)");
                throw;
            }
        },
        KCInvalidArgumentException);
    EXPECT_THROW(control->setAllowedModifierFlags(kc::mask, kc::command, true), KCInvalidArgumentException);
    EXPECT_EQ(control->allowedModifierFlags(), kc::mask);

    ASSERT_TRUE(control->beginRecording());
    control->setAllowedModifierFlags(kc::mask, 0, false);
    EXPECT_TRUE(control->isRecording());
    control->setAllowedModifierFlags(kc::mask, kc::command, false);
    EXPECT_FALSE(control->isRecording());

    struct Case {
        quint64 flags;
        bool valid;
    };
    const Case cases[]
        = { { kc::command, true }, { kc::command | kc::option, true }, { kc::option, false }, { 0, false } };
    for (const Case& c : cases)
        EXPECT_EQ(control->areModifierFlagsValid(c.flags, keyA), c.valid) << c.flags;

    // The delegate lets rejected flags through, never a missing required one.
    control->setAllowedModifierFlags(kc::command, 0, false);
    KCRecorderControlDelegate delegate;
    delegate.shouldUnconditionallyAllowModifierFlags
        = [](KCRecorderControl*, quint64 flags, quint16) { return flags == kc::control; };
    control->setDelegate(delegate);
    EXPECT_TRUE(control->areModifierFlagsAllowed(kc::control, keyA));
    EXPECT_FALSE(control->areModifierFlagsAllowed(kc::option, keyA));
    control->setAllowedModifierFlags(kc::command, kc::command, false);
    EXPECT_FALSE(control->areModifierFlagsValid(kc::control, keyA));
}

TEST_F(Recorder, AnUnchangedEndStillSendsTheAction)
{
    const auto value = KCShortcut::shortcutWithCode(keyA, kc::command);
    control->setShortcut(value);
    int changes = 0;
    int ended = 0;
    QObject::connect(control, &KCRecorderControl::objectValueChanged, [&] { ++changes; });
    KCRecorderControlDelegate delegate;
    delegate.didEndRecording = [&](KCRecorderControl*) { ++ended; };
    control->setDelegate(delegate);
    record(keyA, kc::command);
    EXPECT_EQ(actions, 1);
    EXPECT_EQ(ended, 1);
    EXPECT_EQ(changes, 0);
}

TEST_F(Recorder, DelegateDecidesOnValidShortcuts)
{
    KCRecorderControlDelegate delegate;
    delegate.canRecordShortcut
        = [](KCRecorderControl*, const KCShortcutRef& s) { return s->keyCode() != keyA; };
    control->setDelegate(delegate);
    record(keyA, kc::command);
    EXPECT_TRUE(control->isRecording());
    EXPECT_EQ(control->alerts, 1);
    control->performKeyEquivalent(keyDown(keyK, kc::command));
    EXPECT_FALSE(control->isRecording());
}

TEST_F(Recorder, DictionaryValues)
{
    const auto value = KCShortcut::shortcutWithCode(keyA, kc::command);
    kctest::LogCapture log;
    control->setObjectValue(value->dictionaryRepresentation());
    EXPECT_TRUE(control->isCompatibilityModeEnabled());
    EXPECT_EQ(log.countStartingWith("WARNING: KeyComboKit 2 compatibility mode enabled."), 1);
    EXPECT_EQ(control->objectValue().toMap(), value->dictionaryRepresentation());
    EXPECT_TRUE(control->shortcut()->isEqual(value.get()));

    // Over a stored shortcut a dictionary is read as one too.
    KCRecorderControl other;
    other.setShortcut(value);
    const auto next = KCShortcut::shortcutWithCode(keyK, kc::option);
    other.setObjectValue(next->dictionaryRepresentation());
    ASSERT_TRUE(other.shortcut());
    EXPECT_TRUE(other.shortcut()->isEqual(next.get()));
    EXPECT_FALSE(other.isCompatibilityModeEnabled());

    other.setObjectValue(QVariant());
    EXPECT_FALSE(other.shortcut());
}

TEST_F(Recorder, BoundToAnObservable)
{
    RecorderPreferences prefs;
    prefs.setProperty("shortcut", QVariant::fromValue(KCShortcut::shortcutWithCode(keyY, kc::command)));
    control->bindValue(&prefs, QStringLiteral("shortcut"));
    EXPECT_EQ(control->stringValue(), "⌘Y");

    int heard = 0;
    prefs.addObserver(QStringLiteral("shortcut"), KCObservable::optionNew, [&](const KCChange& c) {
        if (!c.isPrior)
            ++heard;
    });
    record(keyK, kc::command | kc::shift);
    EXPECT_EQ(heard, 1);
    const auto stored = KCShortcutFromVariant(prefs.valueForKey(QStringLiteral("shortcut")));
    ASSERT_TRUE(stored);
    EXPECT_EQ(stored->description(), "⇧⌘K");

    // The model changes: the control follows without writing back.
    {
        KCChangeNotice notice(&prefs, QStringLiteral("shortcut"));
        prefs.setProperty("shortcut", QVariant::fromValue(KCShortcut::shortcutWithCode(keyA, kc::option)));
    }
    EXPECT_EQ(control->stringValue(), "⌥A");
    EXPECT_EQ(heard, 2);
}

TEST_F(Recorder, ACorruptBoundValueIsKeptUntilTheUserRecords)
{
    RecorderPreferences prefs;
    prefs.setProperty("shortcut", QStringLiteral("garbage"));
    kctest::LogCapture log;
    control->bindValue(&prefs, QStringLiteral("shortcut"));
    EXPECT_EQ(control->drawingLabel(), "Record Shortcut");
    EXPECT_EQ(log.countStartingWith("#Error"), 1);
    EXPECT_EQ(prefs.property("shortcut").toString(), "garbage");
    control->endRecording();
    EXPECT_EQ(prefs.property("shortcut").toString(), "garbage");
    record(keyK, kc::command);
    EXPECT_TRUE(KCShortcutFromVariant(prefs.property("shortcut")));
}

TEST_F(Recorder, BoundToSettingsStoresTheDictionary)
{
    QTemporaryDir dir;
    QSettings settings(dir.filePath("s.ini"), QSettings::IniFormat);
    kctest::LogCapture log;
    control->bindValue(&settings, QStringLiteral("recorder/shortcut"));
    record(keyK, kc::command);
    EXPECT_TRUE(control->isCompatibilityModeEnabled());
    EXPECT_EQ(
        log.count("#Error The control is bound to NSUserDefaults but is not transformed into an allowed "
                  "CFPreferences value"),
        1);
    settings.sync();
    QSettings reread(dir.filePath("s.ini"), QSettings::IniFormat);
    EXPECT_EQ(reread.value("recorder/shortcut").toMap(), control->dictionaryValue());

    KCRecorderControl again;
    again.bindValue(&reread, QStringLiteral("recorder/shortcut"));
    EXPECT_EQ(again.stringValue(), "⌘K");
}

TEST_F(Recorder, SettingsDeletedBeforeTheControlAreLetGo)
{
    QTemporaryDir dir;
    auto settings = std::make_unique<QSettings>(dir.filePath("s.ini"), QSettings::IniFormat);
    control->bindValue(settings.get(), QStringLiteral("recorder/shortcut"));
    settings.reset();
    // Recording with the settings gone keeps the value in the control only.
    record(keyK, kc::command);
    EXPECT_EQ(control->stringValue(), "⌘K");
    EXPECT_FALSE(control->isCompatibilityModeEnabled());
}

TEST_F(Recorder, MouseButtons)
{
    const auto value = KCShortcut::shortcutWithCode(keyA, kc::command);
    control->setShortcut(value);
    const auto click = [&](QPoint at) {
        QMouseEvent press(QEvent::MouseButtonPress, at, control->mapToGlobal(at), Qt::LeftButton,
            Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(control, &press);
        QMouseEvent release(QEvent::MouseButtonRelease, at, control->mapToGlobal(at), Qt::LeftButton,
            Qt::NoButton, Qt::NoModifier);
        QApplication::sendEvent(control, &release);
    };
    click(QPoint(10, 10));
    ASSERT_TRUE(control->isRecording());
    EXPECT_EQ(control->buttonToolTipAt(control->cancelButtonRect().center()), "Use old shortcut");
    EXPECT_EQ(control->buttonToolTipAt(control->clearButtonRect().center()), "Delete current shortcut");
    click(control->cancelButtonRect().center());
    EXPECT_FALSE(control->isRecording());
    EXPECT_TRUE(control->shortcut());

    click(QPoint(10, 10));
    click(control->clearButtonRect().center());
    EXPECT_FALSE(control->isRecording());
    EXPECT_FALSE(control->shortcut());
    EXPECT_EQ(control->mouseTrackingButtonTag(), KCRecorderControl::noButton);
}

TEST_F(Recorder, Accessibility)
{
    QAccessibleInterface* a = QAccessible::queryAccessibleInterface(control);
    ASSERT_TRUE(a);
    EXPECT_EQ(a->role(), QAccessible::Button);
    EXPECT_EQ(a->text(QAccessible::Value), "Not set");
    control->setShortcut(KCShortcut::shortcutWithCode(keyA, kc::command));
    EXPECT_EQ(a->text(QAccessible::Value), "Command-A");
    control->setShortcut(KCShortcut::shortcutWithCode(keyA, 0));
    EXPECT_EQ(a->text(QAccessible::Value), "A");
    EXPECT_EQ(a->text(QAccessible::Description), "shortcut");

    QAccessibleActionInterface* actions = a->actionInterface();
    ASSERT_TRUE(actions);
    EXPECT_EQ(actions->actionNames(),
        QStringList({ QAccessibleActionInterface::pressAction(), "cancel", "delete" }));
    actions->doAction("delete");
    EXPECT_TRUE(control->shortcut());
    actions->doAction(QAccessibleActionInterface::pressAction());
    EXPECT_TRUE(control->isRecording());
    actions->doAction("delete");
    EXPECT_FALSE(control->isRecording());
    EXPECT_FALSE(control->shortcut());
    EXPECT_FALSE(control->accessibilityPerformCancel());
}

// Paints the control and counts pixels of the text colour.
int textPixels(KCRecorderControl& control)
{
    QImage image(control.size(), QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    control.render(&image);
    const QRgb text = control.palette().color(QPalette::Text).rgb();
    int n = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            n += image.pixel(x, y) == text;
    return n;
}

TEST_F(Recorder, TheStyleFollowsThePaletteAndPlacesTheButtons)
{
    KCRecorderControlStyle* style = control->style();
    ASSERT_TRUE(style);
    EXPECT_EQ(style->currentLookupPrefixes().first(), "kc-mojave-aqua");
    control->setShortcut(KCShortcut::shortcutWithCode(keyA, kc::command));
    ASSERT_TRUE(control->beginRecording());
    EXPECT_EQ(control->clearButtonRect(), control->guides().clearButtonLayout.toAlignedRect());
    EXPECT_LT(control->cancelButtonRect().right(), control->clearButtonRect().left());
    control->endRecording();

    QPalette dark;
    dark.setColor(QPalette::Window, QColor(30, 30, 30));
    dark.setColor(QPalette::WindowText, QColor(230, 230, 230));
    control->setPalette(dark);
    control->setLayoutDirection(Qt::RightToLeft);
    QApplication::processEvents();
    EXPECT_EQ(style->currentLookupPrefixes().first(), "kc-mojave-darkaqua");
    EXPECT_EQ(style->effectiveComponents().layoutDirection(), KCRecorderControlStyleComponents::rightToLeft);
}

TEST_F(Recorder, WithoutStyleResourcesAPlainLookStandsIn)
{
    // A bundle with the texts but without the style's resources.
    QTemporaryDir empty;
    const QString bundle = empty.filePath("KeyComboKit_KeyComboKit.bundle");
    ASSERT_TRUE(QDir().mkpath(bundle));
    QFile info(bundle + "/Info.json");
    ASSERT_TRUE(info.open(QIODevice::WriteOnly));
    info.write(R"({"name": "KeyComboKit_KeyComboKit", "version": "1"})");
    info.close();
    KCSetResourceBundleCandidates(QStringList { empty.path() });
    KCRecorderControlStyleResourceLoader::shared().clearCache();
    kctest::LogCapture log;
    CountingControl plain(&window);
    EXPECT_FALSE(plain.style());
    EXPECT_EQ(log.countStartingWith("#Error The recorder style can't be read"), 1);
    KCSetResourceBundleCandidates(std::nullopt);
    KCRecorderControlStyleResourceLoader::shared().clearCache();
    plain.setShortcut(KCShortcut::shortcutWithCode(keyK, kc::command));
    plain.resize(160, 24);
    QImage image(plain.size(), QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    plain.render(&image);
    EXPECT_GT(qAlpha(image.pixel(80, 12)), 0);
}

TEST_F(Recorder, ALabelThatDoesNotFitIsNotDrawn)
{
    control->setShortcut(KCShortcut::shortcutWithCode(keyK, kc::mask));
    control->resize(160, 24);
    EXPECT_GT(textPixels(*control), 0);
    control->resize(30, 24);
    EXPECT_EQ(textPixels(*control), 0);
}

TEST_F(Recorder, TheLabelStandsOnTheBaselineAndTheFocusRingFollowsTheFocus)
{
    control->setShortcut(KCShortcut::shortcutWithCode(keyK, kc::command));
    control->resize(160, 24);
    ASSERT_TRUE(control->style());
    EXPECT_EQ(control->baselineOffsetFromBottom(), 6);
    EXPECT_EQ(control->firstBaselineOffsetFromTop(), control->guides().alignment.height() - 6);

    // No ink below the baseline: "⌘K" has no descender.
    QImage image(control->size(), QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    control->render(&image);
    const QRectF label = control->guides().label;
    // Ink: the dark pixels inside the label's columns (the bezel is light).
    int lowest = -1;
    for (int y = 0; y < image.height(); ++y)
        for (int x = int(label.left()); x < int(label.right()); ++x)
            if (qAlpha(image.pixel(x, y)) > 200 && qGray(image.pixel(x, y)) < 100)
                lowest = y;
    ASSERT_GE(lowest, 0);
    EXPECT_LE(lowest, label.top() + label.height() - 6);
    EXPECT_GT(lowest, label.top() + label.height() - 6 - 4);

    // Focused and enabled: the background guide with the style's corners.
    control->setFocus();
    ASSERT_TRUE(control->hasFocus());
    EXPECT_EQ(control->focusRingMaskBounds(), control->guides().background);
    EXPECT_FALSE(control->focusRingShape().isEmpty());
    control->setEnabled(false);
    EXPECT_TRUE(control->focusRingShape().isEmpty());
    EXPECT_EQ(control->focusRingMaskBounds(), QRectF());
    control->setEnabled(true);
    control->clearFocus();
    EXPECT_TRUE(control->focusRingShape().isEmpty());
}

TEST_F(Recorder, EditorCallsEndAnOpenRecordingKeepingTheValue)
{
    const auto old = KCShortcut::shortcutWithCode(keyA, kc::command);
    struct Case {
        const char* name;
        std::function<bool(KCRecorderControl&)> call;
        bool answer;
    };
    const Case cases[] = {
        { "commit", [](KCRecorderControl& c) { return c.commitEditing(); }, true },
        { "commit with error",
            [](KCRecorderControl& c) {
                KCValidationError error;
                const bool ok = c.commitEditingAndReturnError(&error);
                EXPECT_TRUE(error.description.isEmpty());
                return ok;
            },
            true },
        { "discard", [](KCRecorderControl& c) { return c.discardEditing(), true; }, true },
        { "abort", [](KCRecorderControl& c) { return c.abortEditing(); }, false },
        { "reuse", [](KCRecorderControl& c) { return c.prepareForReuse(), true; }, true },
    };
    auto& monitor = KCGlobalShortcutMonitor::sharedMonitor();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        FormModel model;
        model.setProperty("shortcut", QVariant::fromValue(old));
        control->bindValue(&model, QStringLiteral("shortcut"));
        int ended = 0;
        KCRecorderControlDelegate delegate;
        delegate.didEndRecording = [&](KCRecorderControl*) { ++ended; };
        control->setDelegate(delegate);
        ASSERT_TRUE(control->beginRecording());
        // Modifiers held, no key yet: nothing half-made to keep.
        control->flagsChanged(flagsEvent(56, kc::command | kc::shift));
        const int before = actions;

        EXPECT_EQ(c.call(*control), c.answer);
        EXPECT_FALSE(control->isRecording());
        EXPECT_FALSE(monitor.isPaused());
        EXPECT_EQ(control->lastSeenModifierFlags(), 0u);
        EXPECT_EQ(control->stringValue(), "⌘A");
        EXPECT_EQ(model.journal, QStringList({ "begin", "end" }));
        EXPECT_EQ(model.editors, QObjectList({ control, control }));
        EXPECT_EQ(actions, before + 1);
        EXPECT_EQ(ended, 1);
        control->unbindValue();
        control->setDelegate({});
    }
}

TEST_F(Recorder, ARecordedValueReachesTheFormBeforeEditingEnds)
{
    FormModel model;
    control->bindValue(&model, QStringLiteral("shortcut"));
    record(keyK, kc::command);
    EXPECT_EQ(model.journal, QStringList({ "begin", "value", "end" }));
    const auto stored = KCShortcutFromVariant(model.property("shortcut"));
    ASSERT_TRUE(stored);
    EXPECT_EQ(stored->description(), "⌘K");

    // A refused key keeps the recording open and tells the form nothing.
    ASSERT_TRUE(control->beginRecording());
    control->performKeyEquivalent(keyDown(keyK, 0));
    EXPECT_TRUE(control->isRecording());
    EXPECT_EQ(model.journal.size(), 4);
    EXPECT_TRUE(control->commitEditing());
    EXPECT_EQ(model.journal.last(), "end");
    EXPECT_EQ(KCShortcutFromVariant(model.property("shortcut"))->description(), "⌘K");
}

TEST_F(Recorder, CommitWithADelegateAnswersOnceLater)
{
    ASSERT_TRUE(control->beginRecording());
    QObject form;
    QList<std::tuple<KCRecorderControl*, bool, void*>> calls;
    int token = 0;
    control->commitEditingWithDelegate(
        &form,
        [&](KCRecorderControl* c, bool ok, void* info) {
            calls.append({ c, ok, info });
        },
        &token);
    EXPECT_FALSE(control->isRecording());
    EXPECT_TRUE(calls.isEmpty());
    QApplication::processEvents();
    QApplication::processEvents();
    EXPECT_EQ(calls, (QList<std::tuple<KCRecorderControl*, bool, void*>> { { control, true, &token } }));

    // A delegate gone before the answer hears nothing.
    {
        QObject gone;
        control->commitEditingWithDelegate(&gone, [&](KCRecorderControl* c, bool ok, void* info) {
            calls.append({ c, ok, info });
        });
    }
    QApplication::processEvents();
    EXPECT_EQ(calls.size(), 1);
}

TEST_F(Recorder, ControllerMarkersAreRefusedAndTextsCarryNoAttributes)
{
    const auto value = KCShortcut::shortcutWithCode(keyK, kc::command | kc::shift);
    control->setValue(QVariant::fromValue(value));
    for (const auto marker : { KCShortcutController::noSelection, KCShortcutController::multipleValues,
             KCShortcutController::notApplicable }) {
        SCOPED_TRACE(int(marker));
        try {
            control->setValue(QVariant::fromValue(marker));
            ADD_FAILURE() << "a marker was taken";
        } catch (const KCInternalInconsistencyException& e) {
            EXPECT_EQ(
                e.reason(), "KCRecorderControl's NSValueBinding does not support controller value markers.");
        }
        EXPECT_TRUE(KCShortcutFromVariant(control->value())->isEqual(value.get()));
    }

    EXPECT_EQ(control->attributedStringValue(), (KCAttributedString { QString::fromUtf8("⇧⌘K"), {} }));
    control->stringValueRespectsUserInterfaceLayoutDirection = true;
    control->setLayoutDirection(Qt::RightToLeft);
    EXPECT_EQ(control->attributedStringValue().string, QString::fromUtf8("K⌘⇧"));
    control->setAttributedStringValue({ QStringLiteral("⌥A"), {} });
    EXPECT_EQ(control->shortcut()->description(), "⌥A");
    control->setValue(QVariant());
    EXPECT_EQ(control->attributedStringValue(), KCAttributedString());
}

} // namespace

#include "recorder_test.moc"
