#include "KeyComboKit/widgets/KCRecorderControl.h"

#include "KeyComboKit/KCCommon.h"
#include "KeyComboKit/KCGlobalShortcutMonitor.h"
#include "KeyComboKit/KCKeyCodeTransformer.h"
#include "KeyComboKit/KCModifierFlagsTransformer.h"
#include "KeyComboKit/KCObservable.h"
#include "KeyComboKit/KCQtKeyEvent.h"
#include "KeyComboKit/KCValueTransformer.h"
#include "KeyComboKit/widgets/KCRecorderControlStyle.h"
#include "KeyComboKit/widgets/KCShortcutController.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QApplication>
#include <QFontMetricsF>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QSettings>

#include <QTimer>
#include <QToolTip>
#include <QWindow>
#include <cmath>

namespace {

constexpr quint16 escapeKey = 53;
constexpr quint16 deleteKey = 51;
constexpr quint16 forwardDeleteKey = 117;
constexpr quint16 spaceKey = 49;
constexpr int buttonSide = 14;
constexpr int buttonGap = 4;
constexpr int sidePadding = 6;

const QString compatibilityWarning = QStringLiteral("WARNING: KeyComboKit 2 compatibility mode enabled. "
                                                    "Getters of objectValue and NSValueBinding will return "
                                                    "an instance of NSDictionary.");

bool& fullKeyboardAccessSetting()
{
    static bool on = true;
    return on;
}

struct ModifierKey {
    quint64 flag;
    quint16 left;
    quint16 right;
};
// Order matters: a flags change is matched against Command first.
constexpr ModifierKey modifierKeys[] = {
    { kc::command, 55, 54 },
    { kc::option, 58, 61 },
    { kc::shift, 56, 60 },
    { kc::control, 59, 62 },
};

// The modifier a Qt key stands for, as the app maps X modifiers, with the
// key code of its left or right key (by the X keycode of the standard
// keyboard's right-hand keys).
std::optional<std::pair<quint64, quint16>> modifierOfKey(const QKeyEvent& event)
{
    const quint32 x = event.nativeScanCode();
    switch (event.key()) {
    case Qt::Key_Control:
        return std::pair { kc::command, quint16(x == 105 ? 54 : 55) };
    case Qt::Key_Shift:
        return std::pair { kc::shift, quint16(x == 62 ? 60 : 56) };
    case Qt::Key_Alt:
    case Qt::Key_AltGr:
        return std::pair { kc::option, quint16(x == 108 ? 61 : 58) };
    case Qt::Key_Meta:
    case Qt::Key_Super_L:
    case Qt::Key_Super_R:
        return std::pair { kc::control, quint16(x == 134 || event.key() == Qt::Key_Super_R ? 62 : 59) };
    default:
        return std::nullopt;
    }
}

// The palettes a style's preferred appearance stands for: light for the
// two light appearances, dark for the two dark ones.
QPalette appearancePalette(quint64 appearance)
{
    using C = KCRecorderControlStyleComponents;
    const bool dark = appearance == C::appearanceDarkAqua || appearance == C::appearanceVibrantDark;
    QPalette p;
    p.setColor(QPalette::Window, dark ? QColor(30, 30, 30) : QColor(240, 240, 240));
    p.setColor(QPalette::WindowText, dark ? QColor(230, 230, 230) : QColor(0, 0, 0));
    p.setColor(QPalette::Base, dark ? QColor(45, 45, 45) : QColor(255, 255, 255));
    p.setColor(QPalette::Text, dark ? QColor(230, 230, 230) : QColor(0, 0, 0));
    p.setColor(QPalette::Button, dark ? QColor(60, 60, 60) : QColor(240, 240, 240));
    p.setColor(QPalette::ButtonText, dark ? QColor(230, 230, 230) : QColor(0, 0, 0));
    p.setColor(QPalette::PlaceholderText, dark ? QColor(150, 150, 150) : QColor(110, 110, 110));
    return p;
}

QString symbolicFlags(quint64 flags, Qt::LayoutDirection direction)
{
    return KCSymbolicModifierFlagsTransformer::sharedTransformer()
        .transformedValue(QVariant::fromValue(flags), direction)
        .toString();
}

class RecorderAccessible final : public QAccessibleWidget {
public:
    explicit RecorderAccessible(KCRecorderControl* control)
        : QAccessibleWidget(control, QAccessible::Button)
    {
    }
    KCRecorderControl* control() const { return static_cast<KCRecorderControl*>(widget()); }

    QString text(QAccessible::Text t) const override
    {
        switch (t) {
        case QAccessible::Name:
            return control()->accessibilityLabel();
        case QAccessible::Value:
            return control()->accessibilityValue();
        case QAccessible::Description:
            return control()->accessibilityRoleDescription();
        case QAccessible::Help:
            return {};
        default:
            return QAccessibleWidget::text(t);
        }
    }
    QAccessibleInterface* childAt(int, int) const override { return nullptr; }
    QStringList actionNames() const override { return { pressAction(), cancelAction(), deleteAction() }; }
    QStringList keyBindingsForAction(const QString&) const override { return {}; }
    void doAction(const QString& name) override
    {
        if (name == pressAction())
            control()->accessibilityPerformPress();
        else if (name == cancelAction())
            control()->accessibilityPerformCancel();
        else if (name == deleteAction())
            control()->accessibilityPerformDelete();
    }
    static QString cancelAction() { return QStringLiteral("cancel"); }
    static QString deleteAction() { return QStringLiteral("delete"); }
};

QAccessibleInterface* recorderAccessibleFactory(const QString& className, QObject* object)
{
    if (className == QLatin1String("KCRecorderControl") && object && object->isWidgetType())
        return new RecorderAccessible(static_cast<KCRecorderControl*>(object));
    return nullptr;
}

} // namespace

KCRecorderControl::KCRecorderControl(QWidget* parent)
    : QWidget(parent)
{
    static const bool factoryInstalled = [] {
        QAccessible::installFactory(recorderAccessibleFactory);
        return true;
    }();
    Q_UNUSED(factoryInstalled);
    // One notice per event-loop turn, however many changes came in it.
    m_appearanceNotice = new QTimer(this);
    m_appearanceNotice->setSingleShot(true);
    m_appearanceNotice->setInterval(0);
    connect(m_appearanceNotice, &QTimer::timeout, this, [this] {
        if (!m_style)
            return;
        try {
            m_style->recorderControlAppearanceDidChange();
        } catch (const KCException& e) {
            qCWarning(lcKeyComboKit).noquote() << QStringLiteral("#Error %1").arg(e.reason());
        }
        updateGeometry();
        update();
    });
    connect(&KCAccessibilityDisplayOptions::shared(), &KCAccessibilityDisplayOptions::didChange, this,
        &KCRecorderControl::scheduleAppearanceNotice);
    setAttribute(Qt::WA_Hover);
    setMouseTracking(true);
    setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
    updateFocusPolicy();
    updateToolTip();
}

KCRecorderControl::~KCRecorderControl()
{
    m_appearanceNotice->stop();
    unbindValue();
    // A control destroyed mid-recording must not leave the hot keys paused.
    if (m_didPauseGlobalShortcutMonitor)
        KCGlobalShortcutMonitor::sharedMonitor().resume();
}

void KCRecorderControl::setFullKeyboardAccess(bool on)
{
    fullKeyboardAccessSetting() = on;
    for (QWidget* w : QApplication::allWidgets())
        if (auto* control = qobject_cast<KCRecorderControl*>(w))
            control->updateFocusPolicy();
}

bool KCRecorderControl::fullKeyboardAccess()
{
    return fullKeyboardAccessSetting();
}

void KCRecorderControl::setRefusesFirstResponder(bool refuses)
{
    m_refusesFirstResponder = refuses;
    updateFocusPolicy();
}

void KCRecorderControl::updateFocusPolicy()
{
    if (m_refusesFirstResponder)
        setFocusPolicy(Qt::NoFocus);
    else
        setFocusPolicy(fullKeyboardAccessSetting() ? Qt::StrongFocus : Qt::ClickFocus);
}

// ---- value ----

QVariant KCRecorderControl::objectValue() const
{
    if (!m_value)
        return {};
    if (m_compatibilityMode)
        return m_value->dictionaryRepresentation();
    return QVariant::fromValue(m_value);
}

void KCRecorderControl::setObjectValue(const QVariant& value)
{
    KCShortcutRef shortcut = KCShortcutFromVariant(value);
    if (!shortcut && value.metaType() == QMetaType::fromType<QVariantMap>()) {
        // A dictionary over a stored shortcut is read as a shortcut too: the
        // control works with shortcuts only, and ignoring it would lose the
        // caller's value.
        if (!m_value && !m_compatibilityMode) {
            qCWarning(lcKeyComboKit).noquote() << compatibilityWarning;
            m_compatibilityMode = true;
        }
        shortcut = KCShortcut::shortcutWithDictionary(value.toMap());
    } else if (!shortcut && value.isValid() && !value.isNull()) {
        qCWarning(lcKeyComboKit).noquote()
            << QStringLiteral("#Error A %1 is not a shortcut; the value is left as it is")
                   .arg(QString::fromUtf8(value.metaType().name()));
        return;
    }
    storeValue(shortcut, true);
}

void KCRecorderControl::setValue(const QVariant& value)
{
    if (KCShortcutController::isMarker(value))
        throw KCInternalInconsistencyException(
            "KCRecorderControl's NSValueBinding does not support controller value markers.");
    setObjectValue(value);
}

KCAttributedString KCRecorderControl::attributedStringValue() const
{
    return { stringValue(), {} };
}

void KCRecorderControl::setAttributedStringValue(const KCAttributedString& value)
{
    setStringValue(value.string);
}

void KCRecorderControl::setShortcut(const KCShortcutRef& shortcut)
{
    storeValue(shortcut, true);
}

void KCRecorderControl::storeValue(const KCShortcutRef& value, bool propagate)
{
    if (value == m_value || (value && m_value && value->isEqual(m_value.get())))
        return;
    m_value = value;
    emit objectValueChanged();
    if (propagate)
        propagateValue();
    if (!m_recording) {
        if (QAccessible::isActive()) {
            QAccessibleEvent nameChanged(this, QAccessible::NameChanged);
            QAccessible::updateAccessibility(&nameChanged);
            QAccessibleEvent valueChanged(this, QAccessible::ValueChanged);
            QAccessible::updateAccessibility(&valueChanged);
        }
        updateGeometry();
        update();
    }
}

QVariantMap KCRecorderControl::dictionaryValue() const
{
    return m_value ? m_value->dictionaryRepresentation() : QVariantMap();
}

void KCRecorderControl::setDictionaryValue(const QVariantMap& dictionary)
{
    storeValue(KCShortcut::shortcutWithDictionary(dictionary), true);
}

QString KCRecorderControl::stringValue() const
{
    if (!m_value)
        return KCLocalizedString(QString());
    const Qt::LayoutDirection direction
        = stringValueRespectsUserInterfaceLayoutDirection ? userInterfaceLayoutDirection() : Qt::LeftToRight;
    const QString modifiers = symbolicFlags(m_value->modifierFlags(), direction);
    const KCKeyCodeTransformer& keys = drawsASCIIEquivalentOfShortcut
        ? static_cast<KCKeyCodeTransformer&>(KCASCIILiteralKeyCodeTransformer::sharedTransformer())
        : static_cast<KCKeyCodeTransformer&>(KCLiteralKeyCodeTransformer::sharedTransformer());
    QString key = keys.transformedValue(QVariant::fromValue(m_value->keyCode()), QVariant(),
                          QVariant::fromValue(m_value->modifierFlags()), direction)
                      .value_or(QString());
    if (key.isEmpty() && m_value->keyCode() != KCKeyCodeNone)
        key = QStringLiteral("<%1>").arg(m_value->keyCode());
    return direction == Qt::RightToLeft ? key + modifiers : modifiers + key;
}

void KCRecorderControl::setStringValue(const QString& keyEquivalent)
{
    storeValue(KCShortcut::shortcutWithKeyEquivalent(keyEquivalent), true);
}

QString KCRecorderControl::drawingLabel() const
{
    QString label;
    if (m_recording && m_lastSeenModifierFlags)
        label = symbolicFlags(m_lastSeenModifierFlags,
            stringValueRespectsUserInterfaceLayoutDirection ? userInterfaceLayoutDirection()
                                                            : Qt::LeftToRight);
    else
        label = stringValue();
    if (!label.isEmpty())
        return label;
    // The style's texts when there is one (it is made by the first drawing).
    if (m_style)
        label = m_recording ? m_style->noValueRecordingLabel() : m_style->noValueNormalLabel();
    if (!label.isEmpty())
        return label;
    return KCLocalizedString(
        m_recording ? QStringLiteral("Press keys now") : QStringLiteral("Record Shortcut"));
}

// ---- binding ----

void KCRecorderControl::bindValue(
    KCObservable* object, const QString& key, const KCValueTransformer* transformer)
{
    unbindValue();
    m_binding.object = object;
    m_binding.key = key;
    m_binding.transformer = transformer;
    m_binding.observerToken
        = object->addObserver(key, KCObservable::optionNew, [this](const KCChange& change) {
              if (!change.isPrior && !m_writingBinding)
                  readBoundValue();
          });
    readBoundValue();
}

void KCRecorderControl::bindValue(
    QSettings* settings, const QString& key, const KCValueTransformer* transformer)
{
    unbindValue();
    m_binding.settings = settings;
    m_binding.key = key;
    m_binding.transformer = transformer;
    readBoundValue();
}

void KCRecorderControl::unbindValue()
{
    if (m_binding.object && m_binding.observerToken)
        m_binding.object->removeObserver(m_binding.observerToken);
    m_binding = Binding();
}

void KCRecorderControl::tellBoundObject(const char* method)
{
    QObject* object = m_binding.object;
    if (!object || object->metaObject()->indexOfMethod(QByteArray(method) + "(QObject*)") < 0)
        return;
    QObject* editor = this;
    QMetaObject::invokeMethod(object, method, Qt::DirectConnection, Q_ARG(QObject*, editor));
}

void KCRecorderControl::readBoundValue()
{
    QVariant stored;
    if (m_binding.object)
        stored = m_binding.object->valueForKey(m_binding.key);
    else if (m_binding.settings)
        stored = m_binding.settings->value(m_binding.key);
    else
        return;
    if (m_binding.transformer && stored.isValid())
        stored = m_binding.transformer->transformedValue(stored);

    KCShortcutRef shortcut = KCShortcutFromVariant(stored);
    if (!shortcut && stored.metaType() == QMetaType::fromType<QVariantMap>()
        && KCIsNumber(stored.toMap().value(QStringLiteral("keyCode")))) {
        if (!m_value && !m_compatibilityMode) {
            qCWarning(lcKeyComboKit).noquote() << compatibilityWarning;
            m_compatibilityMode = true;
        }
        shortcut = KCShortcut::shortcutWithDictionary(stored.toMap());
    } else if (!shortcut && stored.isValid() && !stored.isNull()) {
        // Shown as no value; the stored one stays until the user records.
        qCWarning(lcKeyComboKit).noquote()
            << QStringLiteral("#Error The value bound to \"%1\" is not a shortcut").arg(m_binding.key);
    }
    storeValue(shortcut, false);
}

void KCRecorderControl::propagateValue()
{
    if (!m_binding.object && !m_binding.settings)
        return;
    QVariant value;
    if (m_value)
        value = m_compatibilityMode ? QVariant(m_value->dictionaryRepresentation())
                                    : QVariant::fromValue(m_value);
    if (m_binding.transformer) {
        if (m_binding.transformer->allowsReverseTransformation())
            value = m_binding.transformer->reverseTransformedValue(value);
        else
            qCWarning(lcKeyComboKit).noquote() << QStringLiteral(
                "WARNING: binding \"value\" has value transformer, but it doesn't allow reverse "
                "transformations in -[KCRecorderControl propagateValue:forBinding:]");
    }
    if (m_binding.settings && !m_compatibilityMode && KCShortcutFromVariant(value)) {
        qCWarning(lcKeyComboKit).noquote()
            << QStringLiteral("#Error The control is bound to NSUserDefaults but is not transformed into an "
                              "allowed CFPreferences "
                              "value");
        qCWarning(lcKeyComboKit).noquote() << compatibilityWarning;
        m_compatibilityMode = true;
        value = m_value->dictionaryRepresentation();
    }

    m_writingBinding = true;
    if (m_binding.settings) {
        if (value.isValid())
            m_binding.settings->setValue(m_binding.key, value);
        else
            m_binding.settings->remove(m_binding.key);
    } else {
        KCChangeNotice notice(m_binding.object, m_binding.key);
        m_binding.object->setProperty(m_binding.key.toUtf8().constData(), value);
    }
    m_writingBinding = false;
}

// ---- recording ----

bool KCRecorderControl::isFirstResponder() const
{
    return window()->focusWidget() == this;
}

bool KCRecorderControl::beginRecording()
{
    KCActivity activity("-[KCRecorderControl beginRecording]");
    if (!isEnabled())
        return false;
    if (m_recording)
        return true;
    const bool shouldBegin = !m_delegate.shouldBeginRecording || m_delegate.shouldBeginRecording(this);
    if (shouldBegin && acceptsFirstResponder())
        setFocus(Qt::OtherFocusReason);
    if (!shouldBegin || !acceptsFirstResponder() || !isFirstResponder()) {
        playAlert();
        return false;
    }
    m_lastSeenModifierFlags = KCModifierFlagsFromQt(QGuiApplication::queryKeyboardModifiers()) & m_allowed;
    m_recording = true;
    emit recordingChanged(true);
    updateGeometry();
    update();
    updateToolTip();
    if (pausesGlobalShortcutMonitorWhileRecording) {
        m_didPauseGlobalShortcutMonitor = true;
        KCGlobalShortcutMonitor::sharedMonitor().pause();
    }
    tellBoundObject("objectDidBeginEditing");
    if (m_delegate.didBeginRecording)
        m_delegate.didBeginRecording(this);
    if (QAccessible::isActive()) {
        QAccessibleEvent changed(this, QAccessible::NameChanged);
        QAccessible::updateAccessibility(&changed);
    }
    return true;
}

void KCRecorderControl::endRecording()
{
    KCActivity activity("-[KCRecorderControl endRecording]");
    if (m_recording)
        endRecordingWithObjectValue(m_value);
}

void KCRecorderControl::clearAndEndRecording()
{
    KCActivity activity("-[KCRecorderControl clearAndEndRecording]");
    if (m_recording)
        endRecordingWithObjectValue(nullptr);
}

void KCRecorderControl::endRecordingWithObjectValue(const KCShortcutRef& value)
{
    KCActivity activity("-[KCRecorderControl endRecordingWithObjectValue:]");
    if (!m_recording)
        return;
    m_recording = false;
    emit recordingChanged(false);
    storeValue(value, true);
    m_lastSeenModifierFlags = 0;
    updateGeometry();
    update();
    updateToolTip();
    if (m_didPauseGlobalShortcutMonitor) {
        m_didPauseGlobalShortcutMonitor = false;
        KCGlobalShortcutMonitor::sharedMonitor().resume();
    }
    tellBoundObject("objectDidEndEditing");
    if (isFirstResponder() && !canBecomeKeyView())
        clearFocus();
    if (m_delegate.didEndRecording)
        m_delegate.didEndRecording(this);
    emit activated();
    if (QAccessible::isActive()) {
        QAccessibleEvent changed(this, QAccessible::NameChanged);
        QAccessible::updateAccessibility(&changed);
    }
}

bool KCRecorderControl::commitEditing()
{
    discardEditing();
    return true;
}

bool KCRecorderControl::commitEditingAndReturnError(KCValidationError*)
{
    return commitEditing();
}

void KCRecorderControl::commitEditingWithDelegate(
    QObject* delegate, std::function<void(KCRecorderControl*, bool, void*)> didCommit, void* contextInfo)
{
    const bool committed = commitEditing();
    if (!delegate || !didCommit)
        return;
    // Later, as a form expects: it may still be inside its own commit.
    QTimer::singleShot(0, delegate,
        [control = QPointer<KCRecorderControl>(this), didCommit = std::move(didCommit), committed,
            contextInfo] { didCommit(control.data(), committed, contextInfo); });
}

void KCRecorderControl::discardEditing()
{
    endRecording();
}

bool KCRecorderControl::abortEditing()
{
    endRecording();
    return false;
}

void KCRecorderControl::prepareForReuse()
{
    endRecording();
}

QString KCRecorderControl::buttonToolTipAt(QPoint at) const
{
    if (cancelButtonRect().contains(at)) {
        if (const auto text = m_style ? m_style->cancelButtonTooltip() : std::nullopt)
            return *text;
        return KCLocalizedString(
            m_value ? QStringLiteral("Use old shortcut") : QStringLiteral("Cancel recording"));
    }
    // The clear button is there only with a value to clear.
    if (m_value && clearButtonRect().contains(at)) {
        if (const auto text = m_style ? m_style->clearButtonTooltip() : std::nullopt)
            return *text;
        return KCLocalizedString(QStringLiteral("Delete current shortcut"));
    }
    return {};
}

void KCRecorderControl::updateToolTip()
{
    // The style is not made for this: it is made on first use, and
    // installing it sets the tooltip again.
    std::optional<QString> text;
    if (m_style)
        text = m_recording ? m_style->recordingTooltip() : m_style->normalTooltip();
    setToolTip(text.value_or(KCLocalizedString(
        m_recording ? QStringLiteral("Press keys now") : QStringLiteral("Click to record shortcut"))));
}

// ---- modifier policy ----

void KCRecorderControl::setAllowedModifierFlags(quint64 allowed, quint64 required, bool allowsEmpty)
{
    allowed &= kc::mask;
    required &= kc::mask;
    if (required & ~allowed)
        throw KCInvalidArgumentException(QStringLiteral("Required flags (%1) MUST be allowed (%2)")
                                             .arg(required)
                                             .arg(allowed)
                                             .toStdString());
    if (allowsEmpty && required)
        throw KCInvalidArgumentException(
            "Empty modifier flags MUST be disallowed if required modifier flags are not empty.");
    if (allowed == m_allowed && required == m_required && allowsEmpty == m_allowsEmpty)
        return;
    endRecording();
    m_allowed = allowed;
    m_required = required;
    m_allowsEmpty = allowsEmpty;
}

bool KCRecorderControl::areModifierFlagsAllowed(quint64 flags, quint16 keyCode) const
{
    KCActivity activity("-[KCRecorderControl areModifierFlagsAllowed:forKeyCode:]");
    flags &= kc::mask;
    const bool byPolicy = flags ? (flags & ~m_allowed) == 0 : m_allowsEmpty;
    if (byPolicy)
        return true;
    return m_delegate.shouldUnconditionallyAllowModifierFlags
        && m_delegate.shouldUnconditionallyAllowModifierFlags(
            const_cast<KCRecorderControl*>(this), flags, keyCode);
}

bool KCRecorderControl::areModifierFlagsValid(quint64 flags, quint16 keyCode) const
{
    KCActivity activity("-[KCRecorderControl areModifierFlagsValid:forKeyCode:]");
    flags &= kc::mask;
    return (flags & m_required) == m_required && areModifierFlagsAllowed(flags, keyCode);
}

bool KCRecorderControl::canEndRecordingWithObjectValue(const KCShortcutRef& shortcut) const
{
    KCActivity activity("-[KCRecorderControl canEndRecordingWithObjectValue:]");
    if (!shortcut)
        return false;
    if (!areModifierFlagsValid(shortcut->modifierFlags(), shortcut->keyCode())) {
        qCDebug(lcKeyComboKit).noquote()
            << QStringLiteral("Modifier flags %1 rejected").arg(shortcut->modifierFlags());
        return false;
    }
    if (m_delegate.canRecordShortcut
        && !m_delegate.canRecordShortcut(const_cast<KCRecorderControl*>(this), shortcut)) {
        qCDebug(lcKeyComboKit) << "Delegate rejected";
        return false;
    }
    qCDebug(lcKeyComboKit) << "Valid and accepted shortcut";
    return true;
}

// ---- keyboard ----

bool KCRecorderControl::canCaptureKeyEvent() const
{
    if (!isEnabled()) {
        qCDebug(lcKeyComboKit) << "The control is disabled";
        return false;
    }
    if (!isFirstResponder()) {
        qCDebug(lcKeyComboKit) << "The control is not the first responder";
        return false;
    }
    if (m_trackingButton != noButton) {
        qCDebug(lcKeyComboKit).noquote()
            << QStringLiteral("The control is tracking %1").arg(m_trackingButton);
        return false;
    }
    return true;
}

bool KCRecorderControl::performKeyEquivalent(const KCKeyEvent& event)
{
    KCActivity activity("-[KCRecorderControl performKeyEquivalent:]");
    if (!canCaptureKeyEvent())
        return false;
    const bool noModifiers = (event.modifierFlags & kc::mask) == 0;
    if (m_recording) {
        if (event.keyCode == KCKeyCodeNone) {
            qCDebug(lcKeyComboKit) << "Invalid key code";
            return false;
        }
        if (allowsEscapeToCancelRecording && event.keyCode == escapeKey && noModifiers) {
            qCDebug(lcKeyComboKit) << "Cancel via Esc";
            endRecording();
            return true;
        }
        if (allowsDeleteToClearShortcutAndEndRecording
            && (event.keyCode == deleteKey || event.keyCode == forwardDeleteKey) && noModifiers) {
            qCDebug(lcKeyComboKit) << "Clear via Delete";
            clearAndEndRecording();
            return true;
        }
        const KCShortcutRef shortcut = KCShortcut::shortcutWithEvent(event);
        if (canEndRecordingWithObjectValue(shortcut))
            endRecordingWithObjectValue(shortcut);
        else
            playAlert();
        return true;
    }
    if (event.keyCode == spaceKey) {
        qCDebug(lcKeyComboKit) << "Begin recording via Space";
        return beginRecording();
    }
    return false;
}

void KCRecorderControl::flagsChanged(const KCKeyEvent& event)
{
    if (!m_recording || !canCaptureKeyEvent())
        return;
    const quint64 flags = event.modifierFlags & kc::mask;
    const quint64 last = m_lastSeenModifierFlags;
    if (allowsModifierFlagsOnlyShortcut) {
        const ModifierKey* pressed = nullptr;
        for (const ModifierKey& m : modifierKeys)
            if ((flags & m.flag) && (event.keyCode == m.left || event.keyCode == m.right)) {
                pressed = &m;
                break;
            }
        if (pressed) {
            // OR, not toggle: the second of two keys of one modifier (both
            // Command keys) must not take the modifier away again.
            const quint64 candidate = last | pressed->flag;
            if (areModifierFlagsAllowed(candidate, KCKeyCodeNone))
                m_lastSeenModifierFlags = candidate;
            else
                playAlert();
        } else if (flags == 0 && last != 0) {
            const auto shortcut = KCShortcut::shortcutWithCode(KCKeyCodeNone, last, QString(), QString());
            if (canEndRecordingWithObjectValue(shortcut)) {
                endRecordingWithObjectValue(shortcut);
                return;
            }
        }
    } else if (areModifierFlagsAllowed(flags, KCKeyCodeNone)) {
        m_lastSeenModifierFlags = flags;
    } else {
        playAlert();
    }
    updateGeometry();
    update();
}

void KCRecorderControl::keyPressEvent(QKeyEvent* event)
{
    if (const auto modifier = modifierOfKey(*event)) {
        KCKeyEvent e;
        e.type = KCKeyEvent::flagsChanged;
        e.keyCode = modifier->second;
        e.modifierFlags = KCModifierFlagsFromQt(event->modifiers()) | modifier->first;
        flagsChanged(e);
        event->accept();
        return;
    }
    const KCKeyEvent e = KCKeyEventFromQKeyEvent(*event);
    if (m_recording && e.keyCode == KCKeyCodeNone && canCaptureKeyEvent()) {
        // A key the kit has no code for can't be a shortcut; recording goes on.
        qCWarning(lcKeyComboKit).noquote()
            << QStringLiteral("#Error Key %1 has no key code").arg(event->nativeScanCode());
        playAlert();
        event->accept();
        return;
    }
    if (performKeyEquivalent(e))
        event->accept();
    else
        QWidget::keyPressEvent(event);
}

void KCRecorderControl::keyReleaseEvent(QKeyEvent* event)
{
    if (const auto modifier = modifierOfKey(*event)) {
        KCKeyEvent e;
        e.type = KCKeyEvent::flagsChanged;
        e.keyCode = modifier->second;
        e.modifierFlags = KCModifierFlagsFromQt(event->modifiers()) & ~modifier->first;
        flagsChanged(e);
        event->accept();
        return;
    }
    QWidget::keyReleaseEvent(event);
}

bool KCRecorderControl::event(QEvent* event)
{
    switch (event->type()) {
    case QEvent::KeyPress:
        // QWidget::event moves the focus on Tab and Shift+Tab (with any
        // modifier but Control and Alt) before keyPressEvent could see it;
        // while recording they are keys like any other.
        if (m_recording) {
            const int key = static_cast<QKeyEvent*>(event)->key();
            if (key == Qt::Key_Tab || key == Qt::Key_Backtab) {
                keyPressEvent(static_cast<QKeyEvent*>(event));
                return true;
            }
        }
        break;
    case QEvent::ShortcutOverride:
        // While recording every combination is the control's, not a
        // window's shortcut's.
        if (m_recording) {
            event->accept();
            return true;
        }
        break;
    case QEvent::Show:
        // Qt 6.4 tells a widget of no pixel-ratio change; its window's move
        // to another screen is the one sign of it.
        if (QWindow* handle = window()->windowHandle(); handle && handle != m_observedWindow) {
            disconnect(m_screenChanged);
            m_observedWindow = handle;
            m_screenChanged
                = connect(handle, &QWindow::screenChanged, this, [this] { scheduleAppearanceNotice(); });
        }
        break;
    case QEvent::KeyboardLayoutChange:
        // Key names follow the layout.
        updateGeometry();
        update();
        break;
    case QEvent::WindowDeactivate:
        endRecording();
        break;
    case QEvent::ToolTip:
        if (const QString text = buttonToolTipAt(static_cast<QHelpEvent*>(event)->pos()); !text.isEmpty()) {
            QToolTip::showText(static_cast<QHelpEvent*>(event)->globalPos(), text, this);
            return true;
        }
        break;
    default:
        break;
    }
    return QWidget::event(event);
}

void KCRecorderControl::focusOutEvent(QFocusEvent* event)
{
    endRecording();
    m_trackingButton = noButton;
    QWidget::focusOutEvent(event);
}

// ---- mouse ----

KCRecorderControlStyle* KCRecorderControl::style()
{
    if (m_style || m_styleFailed)
        return m_style.get();
    m_lazilyInitializingStyle = true;
    installStyle(std::make_unique<KCRecorderControlStyle>());
    m_lazilyInitializingStyle = false;
    return m_style.get();
}

void KCRecorderControl::setStyle(const KCRecorderControlStyle* style)
{
    if (style && style == m_style.get())
        return;
    installStyle(style ? style->copy() : std::make_unique<KCRecorderControlStyle>());
}

void KCRecorderControl::installStyle(std::unique_ptr<KCRecorderControlStyle> style)
{
    // A notice scheduled for the old style is not the new one's business.
    m_appearanceNotice->stop();
    if (m_style && m_style->recorderControl() == this)
        m_style->prepareForRemoval();
    m_style.reset();
    m_styleFailed = false;
    // The palette first: the style picks its first images from it.
    applyPreferredAppearance(style->preferredComponents().appearance());
    try {
        style->prepareForRecorderControl(this);
        m_style = std::move(style);
    } catch (const KCException& e) {
        m_styleFailed = true;
        qCWarning(lcKeyComboKit).noquote()
            << QStringLiteral("#Error The recorder style can't be read (%1); a plain look stands in")
                   .arg(e.reason());
    }
    updateToolTip();
    updateGeometry();
    update();
}

void KCRecorderControl::applyPreferredAppearance(quint64 appearance)
{
    if (appearance == KCRecorderControlStyleComponents::appearanceUnspecified) {
        if (std::exchange(m_ownsAppearancePalette, false))
            setPalette(QPalette());
        return;
    }
    m_ownsAppearancePalette = true;
    setPalette(appearancePalette(appearance));
}

Qt::LayoutDirection KCRecorderControl::userInterfaceLayoutDirection() const
{
    if (testAttribute(Qt::WA_SetLayoutDirection))
        return layoutDirection();
    if (m_style && !m_lazilyInitializingStyle) {
        if (const quint64 preferred = m_style->preferredComponents().layoutDirection())
            return KCLayoutDirectionFromComponent(preferred);
    }
    return layoutDirection();
}

KCStyleGuides KCRecorderControl::guides()
{
    KCRecorderControlStyle* s = style();
    if (!s)
        return {};
    const auto set = !m_recording ? KCRecorderControlStyle::ConstraintSet::displaying
        : m_value                 ? KCRecorderControlStyle::ConstraintSet::recordingWithValue
                                  : KCRecorderControlStyle::ConstraintSet::recordingWithNoValue;
    const KCLabelAttributes& attributes = !isEnabled() ? s->metrics().disabledLabelAttributes
        : m_recording                                  ? s->metrics().recordingLabelAttributes
                                                       : s->metrics().normalLabelAttributes;
    const qreal labelWidth
        = std::ceil(std::max(QFontMetricsF(attributes.font).horizontalAdvance(drawingLabel()),
                        attributes.minimalDrawableWidth)
            + 2.0);
    return s->guides(QRectF(rect()), set, labelWidth, userInterfaceLayoutDirection());
}

QRect KCRecorderControl::clearButtonRect() const
{
    if (!m_recording)
        return {};
    if (auto* self = const_cast<KCRecorderControl*>(this); self->style())
        return self->guides().clearButtonLayout.toAlignedRect();
    const int y = (height() - buttonSide) / 2;
    const int x = userInterfaceLayoutDirection() == Qt::RightToLeft ? sidePadding
                                                                    : width() - sidePadding - buttonSide;
    return QRect(x, y, buttonSide, buttonSide);
}

QRect KCRecorderControl::cancelButtonRect() const
{
    if (!m_recording)
        return {};
    if (auto* self = const_cast<KCRecorderControl*>(this); self->style())
        return self->guides().cancelButtonLayout.toAlignedRect();
    const int step = buttonSide + buttonGap;
    return clearButtonRect().translated(userInterfaceLayoutDirection() == Qt::RightToLeft ? step : -step, 0);
}

void KCRecorderControl::changeEvent(QEvent* event)
{
    switch (event->type()) {
    case QEvent::PaletteChange:
    case QEvent::StyleChange:
    case QEvent::LayoutDirectionChange:
    case QEvent::ApplicationPaletteChange:
        scheduleAppearanceNotice();
        break;
    default:
        break;
    }
    QWidget::changeEvent(event);
}

void KCRecorderControl::scheduleAppearanceNotice()
{
    // Several changes arrive together (a theme switch changes palette and
    // style): restarting the timer lets the style hear of them once.
    m_appearanceNotice->start();
}

void KCRecorderControl::mousePressEvent(QMouseEvent* event)
{
    if (!isEnabled() || event->button() != Qt::LeftButton) {
        QWidget::mousePressEvent(event);
        return;
    }
    const QPoint p = event->position().toPoint();
    if (m_recording) {
        if (cancelButtonRect().contains(p)) {
            m_trackingButton = cancelButton;
            update(cancelButtonRect());
        } else if (clearButtonRect().contains(p)) {
            m_trackingButton = clearButton;
            // The drawing, not the layout area, shows the pressed look.
            update(clearButtonRect());
        } else {
            QWidget::mousePressEvent(event);
        }
        return;
    }
    if (rect().contains(p)) {
        m_trackingButton = mainButton;
        update();
    } else {
        QWidget::mousePressEvent(event);
    }
}

void KCRecorderControl::mouseMoveEvent(QMouseEvent* event)
{
    if (m_trackingButton != noButton)
        update();
    QWidget::mouseMoveEvent(event);
}

void KCRecorderControl::mouseReleaseEvent(QMouseEvent* event)
{
    if (!isEnabled() || m_trackingButton == noButton) {
        QWidget::mouseReleaseEvent(event);
        return;
    }
    const int tag = std::exchange(m_trackingButton, int(noButton));
    const QPoint p = event->position().toPoint();
    if (!window()->isActiveWindow()) {
        update();
        return;
    }
    if (tag == mainButton && rect().contains(p))
        beginRecording();
    else if (tag == cancelButton && cancelButtonRect().contains(p))
        endRecording();
    else if (tag == clearButton && clearButtonRect().contains(p))
        clearAndEndRecording();
    update();
}

// ---- accessibility ----

QString KCRecorderControl::accessibilityLabel() const
{
    if (m_recording)
        return KCLiteralModifierFlagsTransformer::sharedTransformer()
            .transformedValue(QVariant::fromValue(m_lastSeenModifierFlags), Qt::LeftToRight)
            .toString();
    return accessibleName().isEmpty() ? KCLocalizedString(QStringLiteral("Shortcut")) : accessibleName();
}

QString KCRecorderControl::accessibilityValue() const
{
    if (m_recording)
        return drawingLabel();
    if (!m_value)
        return KCLocalizedString(QStringLiteral("Not set"));
    const QString modifiers
        = KCLiteralModifierFlagsTransformer::sharedTransformer()
              .transformedValue(QVariant::fromValue(m_value->modifierFlags()), Qt::LeftToRight)
              .toString();
    const KCKeyCodeTransformer& keys = drawsASCIIEquivalentOfShortcut
        ? static_cast<KCKeyCodeTransformer&>(KCASCIILiteralKeyCodeTransformer::sharedTransformer())
        : static_cast<KCKeyCodeTransformer&>(KCLiteralKeyCodeTransformer::sharedTransformer());
    QString key = keys.transformedValue(QVariant::fromValue(m_value->keyCode())).toString();
    if (key.isEmpty())
        key = QString::number(m_value->keyCode());
    return modifiers.isEmpty() ? key : modifiers + QLatin1Char('-') + key;
}

QString KCRecorderControl::accessibilityRoleDescription() const
{
    return KCLocalizedString(m_recording ? QStringLiteral("Press keys now") : QStringLiteral("Shortcut"))
        .toLower();
}

bool KCRecorderControl::accessibilityPerformCancel()
{
    if (!m_recording)
        return false;
    endRecording();
    return true;
}

bool KCRecorderControl::accessibilityPerformDelete()
{
    if (!m_recording || !m_value)
        return false;
    clearAndEndRecording();
    return true;
}

// ---- look ----

QSize KCRecorderControl::sizeHint() const
{
    if (auto* s = const_cast<KCRecorderControl*>(this)->style(); s && s->intrinsicContentSize().width() > 0) {
        const QSizeF size = s->intrinsicContentSize();
        const int labelWidth = int(std::ceil(fontMetrics().horizontalAdvance(drawingLabel()) + 2
            + s->metrics().alignmentToLabel + s->metrics().labelToAlignment));
        return QSize(std::max(int(std::ceil(size.width())), labelWidth), int(std::ceil(size.height())));
    }
    const int labelWidth = fontMetrics().horizontalAdvance(drawingLabel()) + 2;
    const int buttons = m_recording ? 2 * buttonSide + 2 * buttonGap : 0;
    return QSize(
        std::max(labelWidth + buttons + 2 * sidePadding, 96), std::max(fontMetrics().height() + 8, 24));
}

QSize KCRecorderControl::minimumSizeHint() const
{
    return QSize(sidePadding * 2 + 2 * buttonSide + buttonGap, std::max(fontMetrics().height() + 8, 24));
}

void KCRecorderControl::playAlert()
{
    QApplication::beep();
}

void KCRecorderControl::paintStyled(QPainter& p, KCRecorderControlStyle& style)
{
    using S = KCRecorderControlStyle;
    const KCStyleGuides g = guides();
    const QPoint pointer = mapFromGlobal(QCursor::pos());
    const bool mainHighlighted = m_trackingButton == mainButton && rect().contains(pointer);
    const int first = !isEnabled() ? S::bezelDisabledLeft
        : mainHighlighted          ? S::bezelPressedLeft
        : m_recording              ? S::bezelRecordingLeft
                                   : S::bezelNormalLeft;
    const QImage left = style.image(S::Image(first));
    const QImage center = style.image(S::Image(first + 1));
    const QImage right = style.image(S::Image(first + 2));
    const QRectF bg = g.background;
    if (left.isNull() || center.isNull() || right.isNull()) {
        // An image missing from the resources: a flat fill keeps the control usable.
        p.fillRect(bg, palette().color(QPalette::Button));
    } else {
        const qreal lw = left.width() / left.devicePixelRatio();
        const qreal rw = right.width() / right.devicePixelRatio();
        p.drawImage(QRectF(bg.left(), bg.top(), lw, bg.height()), left);
        p.drawImage(
            QRectF(bg.left() + lw, bg.top(), std::max(0.0, bg.width() - lw - rw), bg.height()), center);
        p.drawImage(QRectF(bg.right() - rw, bg.top(), rw, bg.height()), right);
    }

    const QString label = drawingLabel();
    const KCLabelAttributes& attributes = !isEnabled() ? style.metrics().disabledLabelAttributes
        : m_recording                                  ? style.metrics().recordingLabelAttributes
                                                       : style.metrics().normalLabelAttributes;
    // The text stands on the style's baseline; its frame is snapped to
    // whole pixels, growing at the top and left, shrinking at the bottom
    // and right, so the text never lands between two rows.
    const qreal baseline = g.label.top() + g.label.height() - baselineOffsetFromBottom();
    const QRectF frame(QPointF(std::floor(g.label.left()), std::floor(baseline)),
        QPointF(std::floor(g.label.right()), std::floor(baseline + g.label.height())));
    const QFontMetricsF metrics(attributes.font);
    const qreal advance = metrics.horizontalAdvance(label);
    // A label that doesn't fit is left out rather than drawn clipped.
    if (!frame.isEmpty() && advance <= frame.width() && frame.width() >= attributes.minimalDrawableWidth) {
        p.setFont(attributes.font);
        const bool placeholder = !m_recording && !m_value;
        p.setPen(palette().color(isEnabled() ? (placeholder ? QPalette::PlaceholderText : QPalette::Text)
                                             : QPalette::PlaceholderText));
        p.drawText(QPointF(frame.left() + (frame.width() - advance) / 2, frame.top()), label);
    }
    if (const QPainterPath ring = focusRingShape(); !ring.isEmpty()) {
        QColor colour = palette().color(QPalette::Highlight);
        colour.setAlphaF(0.5);
        p.setPen(QPen(colour, 3));
        p.setBrush(Qt::NoBrush);
        p.drawPath(ring);
    }
    if (!m_recording)
        return;
    const bool cancelPressed = m_trackingButton == cancelButton && g.cancelButtonLayout.contains(pointer);
    p.drawImage(g.cancelButtonDrawing, style.image(cancelPressed ? S::cancelButtonPressed : S::cancelButton));
    if (m_value) {
        const bool clearPressed = m_trackingButton == clearButton && g.clearButtonLayout.contains(pointer);
        p.drawImage(g.clearButtonDrawing, style.image(clearPressed ? S::clearButtonPressed : S::clearButton));
    }
}

qreal KCRecorderControl::baselineOffsetFromBottom()
{
    // The style offers both offsets; layout and drawing use the layout one.
    const KCRecorderControlStyle* s = style();
    return s ? s->metrics().baselineLayoutOffsetFromBottom : 0;
}

qreal KCRecorderControl::firstBaselineOffsetFromTop()
{
    return guides().alignment.height() - baselineOffsetFromBottom();
}

QPainterPath KCRecorderControl::focusRingShape()
{
    QPainterPath path;
    if (!isEnabled() || !isFirstResponder())
        return path;
    const KCRecorderControlStyle* s = style();
    const QRectF r = s ? guides().background : QRectF(rect());
    const QMarginsF a = s ? s->metrics().alignmentInsets : QMarginsF();
    const QMarginsF i = s ? s->metrics().focusRingInsets : QMarginsF();
    const QSizeF radii = s ? s->metrics().focusRingCornerRadius : QSizeF();
    const QRectF ring(r.x() + a.left() + i.left(), r.y() + a.top() + i.top(),
        std::max(0.0, r.width() - (a.left() + a.right() + i.left() + i.right())),
        std::max(0.0, r.height() - (a.top() + a.bottom() + i.top() + i.bottom())));
    path.addRoundedRect(ring, radii.width(), radii.height());
    return path;
}

QRectF KCRecorderControl::focusRingMaskBounds()
{
    return focusRingShape().boundingRect();
}

void KCRecorderControl::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    if (KCRecorderControlStyle* s = style()) {
        paintStyled(p, *s);
        return;
    }
    const QPalette& pal = palette();
    const QPoint pointer = mapFromGlobal(QCursor::pos());
    const bool mainHighlighted = m_trackingButton == mainButton && rect().contains(pointer);

    QRectF frame = QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5);
    QColor fill = pal.color(QPalette::Base);
    if (mainHighlighted)
        fill = pal.color(QPalette::Midlight);
    p.setPen(QPen(m_recording || hasFocus() ? pal.color(QPalette::Highlight) : pal.color(QPalette::Mid),
        m_recording ? 2 : 1));
    p.setBrush(fill);
    p.drawRoundedRect(frame, 5, 5);

    QRect labelArea = rect().adjusted(sidePadding, 0, -sidePadding, 0);
    if (m_recording) {
        const int buttons = 2 * buttonSide + 2 * buttonGap;
        if (userInterfaceLayoutDirection() == Qt::RightToLeft)
            labelArea.setLeft(labelArea.left() + buttons);
        else
            labelArea.setRight(labelArea.right() - buttons);
    }
    const QString label = drawingLabel();
    // A label that doesn't fit is left out rather than drawn clipped.
    if (fontMetrics().horizontalAdvance(label) <= labelArea.width()) {
        const bool placeholder = !m_recording && !m_value;
        p.setPen(pal.color(
            isEnabled() ? (placeholder ? QPalette::PlaceholderText : QPalette::Text) : QPalette::Mid));
        p.drawText(labelArea, Qt::AlignCenter, label);
    }

    if (!m_recording)
        return;
    const auto drawButton = [&](const QRect& r, bool pressed, bool cross) {
        p.setPen(Qt::NoPen);
        p.setBrush(pressed ? pal.color(QPalette::Dark) : pal.color(QPalette::Mid));
        p.drawEllipse(r);
        p.setPen(QPen(pal.color(QPalette::Base), 1.6));
        const QRectF in = QRectF(r).adjusted(4, 4, -4, -4);
        if (cross) {
            p.drawLine(in.topLeft(), in.bottomRight());
            p.drawLine(in.topRight(), in.bottomLeft());
        } else {
            p.drawLine(QPointF(in.left(), in.center().y()), QPointF(in.right(), in.center().y()));
        }
    };
    drawButton(
        cancelButtonRect(), m_trackingButton == cancelButton && cancelButtonRect().contains(pointer), true);
    if (m_value)
        drawButton(
            clearButtonRect(), m_trackingButton == clearButton && clearButtonRect().contains(pointer), false);
}
