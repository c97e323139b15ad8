#include "KeyComboKit/KCShortcutAction.h"

#include <QCoreApplication>
#include <QMetaMethod>

namespace {

QMetaMethod findMethod(const QObject* receiver, const QByteArray& name, bool takingAction)
{
    const QMetaObject* meta = receiver->metaObject();
    const QMetaType actionType = QMetaType::fromType<KCShortcutAction*>();
    QMetaMethod withoutArgument;
    for (int i = 0; i < meta->methodCount(); ++i) {
        const QMetaMethod m = meta->method(i);
        if (m.name() != name || m.methodType() == QMetaMethod::Signal)
            continue;
        if (m.parameterCount() == 1 && m.parameterMetaType(0) == actionType)
            return m;
        if (!takingAction && m.parameterCount() == 0)
            withoutArgument = m;
    }
    return withoutArgument;
}

void debug(const char* line)
{
    qCDebug(lcKeyComboKit).noquote() << line;
}

} // namespace

quint64 KCModifierFlagForKeyCode(quint16 keyCode)
{
    switch (keyCode) {
    case 54:
    case 55:
        return kc::command;
    case 58:
    case 61:
        return kc::option;
    case 56:
    case 60:
        return kc::shift;
    case 59:
    case 62:
        return kc::control;
    default:
        return 0;
    }
}

KCKeyEventType KCKeyEventTypeFor(quint32 eventType, quint16 keyCode, quint64 modifierFlags)
{
    switch (eventType) {
    case KCKeyEvent::keyDown:
        return KCKeyEventTypeDown;
    case KCKeyEvent::keyUp:
        return KCKeyEventTypeUp;
    case KCKeyEvent::flagsChanged: {
        const quint64 bit = KCModifierFlagForKeyCode(keyCode);
        if (!bit) {
            qCCritical(lcKeyComboKit).noquote()
                << QStringLiteral("#Error Unexpected key code %1 for the FlagsChanged event").arg(keyCode);
            return KCKeyEventTypeDown;
        }
        return (modifierFlags & bit) ? KCKeyEventTypeDown : KCKeyEventTypeUp;
    }
    default:
        throw KCInternalInconsistencyException(
            QStringLiteral("Expected a key event, got %1").arg(eventType).toStdString());
    }
}

KCShortcutAction::KCShortcutAction() = default;

KCShortcutAction::~KCShortcutAction()
{
    invalidateObserving();
}

KCShortcutActionRef KCShortcutAction::withShortcut(
    KCShortcutRef shortcut, QObject* target, const QByteArray& action, qint64 tag)
{
    auto a = std::make_shared<KCShortcutAction>();
    a->setShortcut(std::move(shortcut));
    a->setTarget(target);
    a->setAction(action);
    a->setTag(tag);
    return a;
}

KCShortcutActionRef KCShortcutAction::withShortcut(KCShortcutRef shortcut, Handler handler)
{
    auto a = std::make_shared<KCShortcutAction>();
    a->setShortcut(std::move(shortcut));
    a->setActionHandler(std::move(handler));
    return a;
}

KCShortcutActionRef KCShortcutAction::withKeyPath(
    const QString& keyPath, KCObservable* object, QObject* target, const QByteArray& action, qint64 tag)
{
    auto a = std::make_shared<KCShortcutAction>();
    a->setObservedObject(object, keyPath);
    a->setTarget(target);
    a->setAction(action);
    a->setTag(tag);
    return a;
}

KCShortcutActionRef KCShortcutAction::withKeyPath(
    const QString& keyPath, KCObservable* object, Handler handler)
{
    auto a = std::make_shared<KCShortcutAction>();
    a->setObservedObject(object, keyPath);
    a->setActionHandler(std::move(handler));
    return a;
}

KCShortcutRef KCShortcutAction::shortcut() const
{
    QMutexLocker locker(&m_lock);
    return m_shortcut;
}

static bool sameShortcutValue(const KCShortcutRef& a, const KCShortcutRef& b)
{
    return a == b || (a && b && *a == *b);
}

void KCShortcutAction::setShortcut(KCShortcutRef shortcut)
{
    KCActivity activity("-[KCShortcutAction setShortcut:]");
    QMutexLocker locker(&m_lock);
    KCChangeNotice object(this, QStringLiteral("observedObject"));
    KCChangeNotice keyPath(this, QStringLiteral("observedKeyPath"));
    if (!sameShortcutValue(shortcut, m_shortcut)) {
        KCChangeNotice notice(this, QStringLiteral("shortcut"));
        invalidateObserving();
        m_shortcut = std::move(shortcut);
    } else {
        invalidateObserving();
    }
}

void KCShortcutAction::setObservedObject(KCObservable* object, const QString& keyPath)
{
    KCActivity activity("-[KCShortcutAction setObservedObject:withKeyPath:]");
    QMutexLocker locker(&m_lock);
    if (object == m_observedObject && keyPath == m_observedKeyPath)
        return;
    KCChangeNotice objectNotice(this, QStringLiteral("observedObject"));
    KCChangeNotice keyPathNotice(this, QStringLiteral("observedKeyPath"));
    invalidateObserving();
    m_observedObject = object;
    m_observedKeyPath = keyPath;
    if (object)
        m_observation = object->addObserver(keyPath, KCObservable::optionNew | KCObservable::optionInitial,
            [this](const KCChange& change) { observedValueChanged(change.newValue); });
}

void KCShortcutAction::invalidateObserving()
{
    QMutexLocker locker(&m_lock);
    if (m_observedObject && m_observation)
        m_observedObject->removeObserver(m_observation);
    m_observation = 0;
    m_observedObject = nullptr;
    m_observedKeyPath.clear();
}

void KCShortcutAction::observedValueChanged(const QVariant& value)
{
    KCActivity activity("-[KCShortcutAction observeValueForKeyPath:ofObject:change:context:]");
    KCShortcutRef converted;
    if (!value.isValid() || value.isNull()) {
        converted = nullptr;
    } else if (value.metaType() == QMetaType::fromType<KCShortcutRef>()) {
        converted = value.value<KCShortcutRef>();
    } else if (value.metaType() == QMetaType::fromType<QVariantMap>()) {
        converted = KCShortcut::shortcutWithDictionary(value.toMap());
    } else if (value.metaType() == QMetaType::fromType<QByteArray>()) {
        converted = KCShortcut::fromArchive(value.toByteArray());
    } else {
        // Anything else cannot be a shortcut; keeping it would hand the
        // monitors a value they cannot index.
        qCCritical(lcKeyComboKit).noquote()
            << QStringLiteral("#Error Observed value of type %1 is not a shortcut")
                   .arg(QString::fromLatin1(value.metaType().name()));
    }
    QMutexLocker locker(&m_lock);
    if (sameShortcutValue(converted, m_shortcut))
        return;
    KCChangeNotice notice(this, QStringLiteral("shortcut"));
    m_shortcut = std::move(converted);
}

QObject* KCShortcutAction::target() const
{
    QMutexLocker locker(&m_lock);
    return m_target ? m_target.data() : QCoreApplication::instance();
}

void KCShortcutAction::setTarget(QObject* target)
{
    QMutexLocker locker(&m_lock);
    if (target == m_target.data())
        return;
    KCChangeNotice notice(this, QStringLiteral("target"));
    m_target = target;
    if (target && m_handler) {
        KCChangeNotice handlerNotice(this, QStringLiteral("actionHandler"));
        m_handler = nullptr;
    }
}

KCShortcutAction::Handler KCShortcutAction::actionHandler() const
{
    QMutexLocker locker(&m_lock);
    return m_handler;
}

bool KCShortcutAction::hasActionHandler() const
{
    QMutexLocker locker(&m_lock);
    return bool(m_handler);
}

void KCShortcutAction::setActionHandler(Handler handler)
{
    QMutexLocker locker(&m_lock);
    KCChangeNotice notice(this, QStringLiteral("actionHandler"));
    m_handler = std::move(handler);
    if (m_handler && m_target) {
        KCChangeNotice targetNotice(this, QStringLiteral("target"));
        m_target = nullptr;
    }
}

void KCShortcutAction::setAction(const QByteArray& action)
{
    KCChangeNotice notice(this, QStringLiteral("action"));
    m_action = action;
}

void KCShortcutAction::setTag(qint64 tag)
{
    KCChangeNotice notice(this, QStringLiteral("tag"));
    m_tag = tag;
}

void KCShortcutAction::setEnabled(bool enabled)
{
    KCChangeNotice notice(this, QStringLiteral("enabled"));
    m_enabled = enabled;
}

QString KCShortcutAction::identifier() const
{
    QMutexLocker locker(&m_lock);
    return m_identifier;
}

void KCShortcutAction::setIdentifier(const QString& identifier)
{
    KCChangeNotice notice(this, QStringLiteral("identifier"));
    QMutexLocker locker(&m_lock);
    m_identifier = identifier;
}

QVariant KCShortcutAction::valueForKey(const QString& key) const
{
    if (key == QLatin1String("shortcut")) {
        const KCShortcutRef s = shortcut();
        return s ? QVariant::fromValue(s) : QVariant();
    }
    if (key == QLatin1String("enabled"))
        return m_enabled;
    if (key == QLatin1String("tag"))
        return m_tag;
    if (key == QLatin1String("identifier"))
        return identifier();
    if (key == QLatin1String("action"))
        return m_action;
    if (key == QLatin1String("target")) {
        QMutexLocker locker(&m_lock);
        return QVariant::fromValue(m_target.data());
    }
    if (key == QLatin1String("actionHandler"))
        return hasActionHandler();
    if (key == QLatin1String("observedObject"))
        return QVariant::fromValue(static_cast<QObject*>(m_observedObject.data()));
    if (key == QLatin1String("observedKeyPath"))
        return m_observedKeyPath;
    return KCObservable::valueForKey(key);
}

QString KCShortcutAction::description() const
{
    const KCShortcutRef s = shortcut();
    return QStringLiteral("<KCShortcutAction %1 %2>")
        .arg(s ? s->description() : QStringLiteral("(none)"),
            hasActionHandler() ? QStringLiteral("handler") : QString::fromLatin1(m_action));
}

bool KCShortcutAction::performActionOnTarget(QObject* target)
{
    KCActivity activity("-[KCShortcutAction performActionOnTarget:]");
    if (!m_enabled) {
        debug("Not performed: disabled");
        return false;
    }
    if (const Handler handler = actionHandler()) {
        debug("Using action handler");
        return handler(this);
    }
    QObject* receiver = target ? target : this->target();
    if (!receiver) {
        debug("Not performed: no associated target");
        return false;
    }
    QByteArray name = m_action;
    if (name.endsWith(':'))
        name.chop(1);
    const QMetaMethod method = name.isEmpty() ? QMetaMethod() : findMethod(receiver, name, false);
    const QMetaMethod protocol = findMethod(receiver, "performShortcutAction", true);
    if (!method.isValid() && !protocol.isValid()) {
        debug("Not performed: target cannot respond to action");
        return false;
    }
    const QMetaMethod validate = findMethod(receiver, "validateUserInterfaceItem", true);
    if (validate.isValid() && validate.returnMetaType() == QMetaType::fromType<bool>()) {
        bool valid = true;
        validate.invoke(
            receiver, Qt::DirectConnection, Q_RETURN_ARG(bool, valid), Q_ARG(KCShortcutAction*, this));
        if (!valid) {
            debug("Not performed: target ignored action");
            return false;
        }
    }
    if (method.isValid()) {
        debug("Using action");
        const bool returnsBool = method.returnMetaType() == QMetaType::fromType<bool>();
        bool result = false;
        bool called;
        if (method.parameterCount() == 1)
            called = returnsBool
                ? method.invoke(receiver, Qt::DirectConnection, Q_RETURN_ARG(bool, result),
                    Q_ARG(KCShortcutAction*, this))
                : method.invoke(receiver, Qt::DirectConnection, Q_ARG(KCShortcutAction*, this));
        else
            called = returnsBool ? method.invoke(receiver, Qt::DirectConnection, Q_RETURN_ARG(bool, result))
                                 : method.invoke(receiver, Qt::DirectConnection);
        return called && (returnsBool ? result : true);
    }
    debug("Using protocol");
    bool result = false;
    protocol.invoke(
        receiver, Qt::DirectConnection, Q_RETURN_ARG(bool, result), Q_ARG(KCShortcutAction*, this));
    return result;
}
