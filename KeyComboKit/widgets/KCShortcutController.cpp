#include "KeyComboKit/widgets/KCShortcutController.h"

#include "KeyComboKit/KCCommon.h"
#include "KeyComboKit/KCGlobalShortcutMonitor.h"
#include "KeyComboKit/KCKeyCodeTransformer.h"
#include "KeyComboKit/KCKeyLayoutSource.h"
#include "KeyComboKit/KCModifierFlagsTransformer.h"
#include "KeyComboKit/widgets/KCRecorderControl.h"

namespace {

const QString selectionPrefix = QStringLiteral("selection.");
const QString contentKey = QStringLiteral("content");
const QString selectionKey = QStringLiteral("selection");

// The computed values, in the order they are set.
const QStringList& computedKeys()
{
    static const QStringList keys
        = { QStringLiteral("keyEquivalent"), QStringLiteral("keyEquivalentModifierMask"),
              QStringLiteral("literalKeyCode"), QStringLiteral("symbolicKeyCode"),
              QStringLiteral("literalASCIIKeyCode"), QStringLiteral("symbolicASCIIKeyCode"),
              QStringLiteral("literalModifierFlags"), QStringLiteral("symbolicModifierFlags") };
    return keys;
}

// The values that depend on the keyboard layout, announced on a change.
const QStringList& layoutDependentKeys()
{
    static const QStringList keys = { QStringLiteral("selection.keyEquivalent"),
        QStringLiteral("selection.literalKeyCode"), QStringLiteral("selection.symbolicKeyCode"),
        QStringLiteral("selection.literalASCIIKeyCode"), QStringLiteral("selection.symbolicASCIIKeyCode") };
    return keys;
}

QVariant marker(KCShortcutController::Marker m)
{
    return QVariant::fromValue(m);
}

} // namespace

KCShortcutController::KCShortcutController(KCShortcutRef content, QObject* parent)
    : KCObservable(parent)
    , m_content(std::move(content))
{
    if (m_content)
        addSelectedKeyboardInputSourceObserverIfNeeded();
    updateComputedKeyPaths();
}

KCShortcutController::~KCShortcutController()
{
    // The key must not stay grabbed, nor the monitor keep an action whose
    // shortcut follows a controller that is gone.
    setShortcutActionTarget(nullptr);
    removeSelectedKeyboardInputSourceObserverIfNeeded();
    setRecorderControl(nullptr);
    unbindContent();
}

KCShortcutRef KCShortcutController::newObject() const
{
    throw KCInternalInconsistencyException("newObject is not implemented");
}

bool KCShortcutController::isMarker(const QVariant& value)
{
    return value.metaType() == QMetaType::fromType<Marker>();
}

void KCShortcutController::setContent(const KCShortcutRef& content)
{
    if (content == m_content || (content && m_content && content->isEqual(m_content.get())))
        return;
    QStringList keys = { contentKey, selectionKey };
    for (const QString& key : computedKeys())
        keys.append(selectionPrefix + key);
    for (const QString& key : std::as_const(keys))
        willChangeValueForKey(key);
    m_content = content;
    contentDidChange();
    for (auto key = keys.crbegin(); key != keys.crend(); ++key)
        didChangeValueForKey(*key);
}

void KCShortcutController::contentDidChange()
{
    if (m_content)
        addSelectedKeyboardInputSourceObserverIfNeeded();
    else
        removeSelectedKeyboardInputSourceObserverIfNeeded();
    updateComputedKeyPaths();
}

void KCShortcutController::bindContent(
    KCObservable* object, const QString& key, const KCValueTransformer* transformer)
{
    unbindContent();
    m_binding.object = object;
    m_binding.key = key;
    m_binding.transformer = transformer;
    m_binding.token = object->addObserver(key, KCObservable::optionNew, [this](const KCChange& change) {
        if (!change.isPrior)
            readBoundContent();
    });
    readBoundContent();
    updateRecorderControlValueBinding();
}

void KCShortcutController::unbindContent()
{
    if (m_binding.object && m_binding.token)
        m_binding.object->removeObserver(m_binding.token);
    m_binding = ContentBinding();
}

void KCShortcutController::readBoundContent()
{
    if (!m_binding.object)
        return;
    QVariant value = m_binding.object->valueForKey(m_binding.key);
    if (m_binding.transformer && value.isValid())
        value = m_binding.transformer->transformedValue(value);
    KCShortcutRef shortcut = KCShortcutFromVariant(value);
    if (!shortcut && value.metaType() == QMetaType::fromType<QVariantMap>())
        shortcut = KCShortcut::shortcutWithDictionary(value.toMap());
    setContent(shortcut);
}

QVariant KCShortcutController::valueForKey(const QString& key) const
{
    if (key == contentKey || key == selectionKey)
        return m_content ? QVariant::fromValue(m_content) : QVariant();
    if (key == QLatin1String("selection.keyCode"))
        return m_content ? QVariant::fromValue(m_content->keyCode()) : marker(noSelection);
    if (key == QLatin1String("selection.modifierFlags"))
        return m_content ? QVariant::fromValue(m_content->modifierFlags()) : marker(noSelection);
    if (key == QLatin1String("shortcutAction"))
        return m_action ? QVariant::fromValue(m_action.get()) : QVariant();
    if (key == QLatin1String("shortcutActionTarget"))
        return QVariant::fromValue(shortcutActionTarget());
    const QString plain = key.startsWith(selectionPrefix) ? key.mid(selectionPrefix.size()) : key;
    if (const auto it = m_computed.constFind(plain); it != m_computed.constEnd())
        return *it;
    return KCObservable::valueForKey(key);
}

void KCShortcutController::updateComputedKeyPaths()
{
    const QVariant keyCode = valueForKey(QStringLiteral("selection.keyCode"));
    if (isMarker(keyCode)) {
        for (const QString& key : computedKeys())
            m_computed.insert(key, keyCode);
        return;
    }
    const quint64 flags = valueForKey(QStringLiteral("selection.modifierFlags")).toULongLong();
    const KCShortcutRef shortcut = KCShortcut::shortcutWithCode(keyCode.value<quint16>(), flags);
    const QVariant shortcutValue = QVariant::fromValue(shortcut);
    const QVariant code = QVariant::fromValue(int(shortcut->keyCode()));
    const QVariant flagsValue = QVariant::fromValue(shortcut->modifierFlags());
    const QVariant values[] = {
        KCKeyEquivalentTransformer::sharedTransformer().transformedValue(shortcutValue),
        KCKeyEquivalentModifierMaskTransformer::sharedTransformer().transformedValue(shortcutValue),
        KCLiteralKeyCodeTransformer::sharedTransformer().transformedValue(code),
        KCSymbolicKeyCodeTransformer::sharedTransformer().transformedValue(code),
        KCASCIILiteralKeyCodeTransformer::sharedTransformer().transformedValue(code),
        KCASCIISymbolicKeyCodeTransformer::sharedTransformer().transformedValue(code),
        KCLiteralModifierFlagsTransformer::sharedTransformer().transformedValue(flagsValue),
        KCSymbolicModifierFlagsTransformer::sharedTransformer().transformedValue(flagsValue),
    };
    for (int i = 0; i < computedKeys().size(); ++i)
        m_computed.insert(computedKeys().at(i), values[i]);
}

void KCShortcutController::addSelectedKeyboardInputSourceObserverIfNeeded()
{
    KCKeyLayoutSource* source = KCCurrentKeyLayoutSource();
    if (m_layoutObservation || !source)
        return;
    m_layoutObservation = connect(source, &KCKeyLayoutSource::layoutChanged, this,
        &KCShortcutController::onSelectedKeyboardInputSourceObserverChange);
}

void KCShortcutController::removeSelectedKeyboardInputSourceObserverIfNeeded()
{
    if (!m_layoutObservation)
        return;
    disconnect(m_layoutObservation);
    m_layoutObservation = {};
}

void KCShortcutController::onSelectedKeyboardInputSourceObserverChange()
{
    for (const QString& key : layoutDependentKeys())
        willChangeValueForKey(key);
    updateComputedKeyPaths();
    for (auto key = layoutDependentKeys().crbegin(); key != layoutDependentKeys().crend(); ++key)
        didChangeValueForKey(*key);
}

KCRecorderControl* KCShortcutController::recorderControl() const
{
    return m_recorderControl;
}

void KCShortcutController::setRecorderControl(KCRecorderControl* control)
{
    if (m_recorderControl)
        m_recorderControl->unbindValue();
    m_recorderControl = control;
    updateRecorderControlValueBinding();
}

void KCShortcutController::updateRecorderControlValueBinding()
{
    if (m_recorderControl && m_binding.object)
        m_recorderControl->bindValue(m_binding.object, m_binding.key, m_binding.transformer);
}

void KCShortcutController::setIdentifier(const QString& identifier)
{
    m_identifier = identifier;
    if (m_action)
        m_action->setIdentifier(identifier);
}

QObject* KCShortcutController::shortcutActionTarget() const
{
    return m_action ? m_target.data() : nullptr;
}

void KCShortcutController::setShortcutActionTarget(QObject* target)
{
    if (m_action ? (m_target && m_target == target) : !target)
        return;
    const QString targetKey = QStringLiteral("shortcutActionTarget");
    const QString actionKey = QStringLiteral("shortcutAction");
    KCChangeNotice targetNotice(this, targetKey);
    disconnect(m_targetDestroyed);
    m_target = target;
    if (!target) {
        KCChangeNotice actionNotice(this, actionKey);
        KCGlobalShortcutMonitor::sharedMonitor().removeAction(m_action);
        m_action.reset();
        return;
    }
    // A target that goes away takes the system-wide action with it.
    m_targetDestroyed
        = connect(target, &QObject::destroyed, this, [this] { setShortcutActionTarget(nullptr); });
    if (m_action) {
        m_action->setTarget(target);
        return;
    }
    KCChangeNotice actionNotice(this, actionKey);
    m_action = KCShortcutAction::withKeyPath(contentKey, this, target, QByteArray(), 0);
    m_action->setIdentifier(m_identifier);
    KCGlobalShortcutMonitor::sharedMonitor().addAction(m_action, KCKeyEventTypeDown);
}
