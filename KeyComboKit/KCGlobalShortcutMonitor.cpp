#include "KeyComboKit/KCGlobalShortcutMonitor.h"

#include <QMutex>

#include <atomic>

namespace {

std::atomic<KCHotKeyBackend*> currentBackend { nullptr };
std::atomic<KCGlobalShortcutMonitor*> sharedInstance { nullptr };
// Shared by every monitor of the process: ids are never reused.
std::atomic<quint32> lastHotKeyId { 0 };

QString shortcutPayload(const KCShortcut& shortcut)
{
    return QStringLiteral(" (keyCode %1, modifierFlags %2)")
        .arg(shortcut.keyCode())
        .arg(shortcut.modifierFlags());
}

} // namespace

KCHotKeyBackend::~KCHotKeyBackend() = default;

void KCSetHotKeyBackend(KCHotKeyBackend* backend)
{
    currentBackend = backend;
    // Programs install their backend at start-up, but a library (the
    // recorder pausing it) may have made the shared monitor before that.
    if (KCGlobalShortcutMonitor* shared = sharedInstance)
        shared->setBackend(backend);
}

KCHotKeyBackend* KCCurrentHotKeyBackend()
{
    return currentBackend;
}

KCGlobalShortcutMonitor::KCGlobalShortcutMonitor(KCHotKeyBackend* backend)
    : m_backend(backend)
{
}

KCGlobalShortcutMonitor::~KCGlobalShortcutMonitor()
{
    QMutexLocker locker(&m_lock);
    for (const KCShortcutRef& s : shortcuts())
        unregisterHotKeyIfNeeded(s);
    if (m_eventHandler && m_backend)
        m_backend->removeEventHandler(this);
    m_eventHandler = false;
}

KCGlobalShortcutMonitor& KCGlobalShortcutMonitor::sharedMonitor()
{
    static KCGlobalShortcutMonitor* shared = [] {
        auto* monitor = new KCGlobalShortcutMonitor();
        sharedInstance = monitor;
        return monitor;
    }();
    return *shared;
}

void KCGlobalShortcutMonitor::setBackend(KCHotKeyBackend* backend)
{
    QMutexLocker locker(&m_lock);
    if (backend == m_backend)
        return;
    for (const KCShortcutRef& s : shortcuts())
        unregisterHotKeyIfNeeded(s);
    if (m_eventHandler) {
        m_backend->removeEventHandler(this);
        m_eventHandler = false;
        didRemoveEventHandler();
    }
    m_backend = backend;
    if (m_disableCounter == 0)
        for (const KCShortcutRef& s : shortcuts())
            registerHotKeyIfNeeded(s);
    installEventHandlerIfNeeded();
}

KCHotKeyBackend* KCGlobalShortcutMonitor::backend() const
{
    QMutexLocker locker(&m_lock);
    return m_backend;
}

bool KCGlobalShortcutMonitor::isPaused() const
{
    QMutexLocker locker(&m_lock);
    return m_disableCounter > 0;
}

int KCGlobalShortcutMonitor::registeredHotKeyCount() const
{
    QMutexLocker locker(&m_lock);
    return int(m_shortcutToHotKeyRef.size());
}

bool KCGlobalShortcutMonitor::hasEventHandler() const
{
    QMutexLocker locker(&m_lock);
    return m_eventHandler;
}

void KCGlobalShortcutMonitor::didAddShortcut(const KCShortcutRef& shortcut)
{
    // While paused the keys belong to someone else; resume registers them.
    if (m_disableCounter > 0)
        return;
    registerHotKeyIfNeeded(shortcut);
    installEventHandlerIfNeeded();
}

void KCGlobalShortcutMonitor::willRemoveShortcut(const KCShortcutRef& shortcut)
{
    unregisterHotKeyIfNeeded(shortcut);
    removeEventHandlerIfNeeded();
}

void KCGlobalShortcutMonitor::registerHotKeyIfNeeded(const KCShortcutRef& shortcut)
{
    if (m_shortcutToHotKeyRef.count(shortcut))
        return;
    if (shortcut->keyCode() == KCKeyCodeNone) {
        qCCritical(lcKeyComboKit)
            << "#Error Shortcut without a key code cannot be registered as Carbon hot key";
        return;
    }
    const quint32 id = ++lastHotKeyId;
    qCInfo(lcKeyComboKit) << "Registering Carbon hot key";
    quintptr ref = 0;
    // -50 is the system's "bad parameter": there is nothing to register with.
    const qint32 status = m_backend ? m_backend->registerHotKey(*shortcut, kcHotKeySignature, id, &ref) : -50;
    if (status != 0 || !ref) {
        qCCritical(lcKeyComboKit).noquote()
            << QStringLiteral("#Critical Failed to register Carbon hot key: %1").arg(status);
        qCDebug(lcKeyComboKit).noquote() << shortcutPayload(*shortcut).trimmed();
        return;
    }
    qCInfo(lcKeyComboKit).noquote() << QStringLiteral("Registered Carbon hot key %1").arg(id);
    qCDebug(lcKeyComboKit).noquote() << shortcutPayload(*shortcut).trimmed();
    m_shortcutToHotKeyRef[shortcut] = ref;
    m_hotKeyIdToShortcut.insert(id, shortcut);
    m_shortcutToHotKeyId[shortcut] = id;
}

void KCGlobalShortcutMonitor::unregisterHotKeyIfNeeded(const KCShortcutRef& shortcut)
{
    const auto it = m_shortcutToHotKeyRef.find(shortcut);
    if (it == m_shortcutToHotKeyRef.end())
        return;
    const quint32 id = m_shortcutToHotKeyId[shortcut];
    qCInfo(lcKeyComboKit).noquote() << QStringLiteral("Removing Carbon hot key %1").arg(id);
    const qint32 status = m_backend->unregisterHotKey(it->second);
    if (status != 0)
        qCCritical(lcKeyComboKit).noquote()
            << QStringLiteral("#Critical Failed to unregister Carbon hot key %1: %2").arg(id).arg(status);
    else
        qCInfo(lcKeyComboKit).noquote() << QStringLiteral("Unregistered Carbon hot key %1").arg(id);
    qCDebug(lcKeyComboKit).noquote() << shortcutPayload(*shortcut).trimmed();
    m_shortcutToHotKeyRef.erase(it);
    m_shortcutToHotKeyId.erase(shortcut);
    m_hotKeyIdToShortcut.remove(id);
}

void KCGlobalShortcutMonitor::installEventHandlerIfNeeded()
{
    if (m_eventHandler || m_disableCounter > 0 || m_shortcutToHotKeyRef.empty() || !m_backend)
        return;
    qCInfo(lcKeyComboKit) << "Installing Carbon hot key event handler";
    const qint32 status = m_backend->installEventHandler(this);
    if (status != 0) {
        qCCritical(lcKeyComboKit).noquote()
            << QStringLiteral("#Critical Failed to install event handler: %1").arg(status);
        return;
    }
    m_eventHandler = true;
    didAddEventHandler();
}

void KCGlobalShortcutMonitor::removeEventHandlerIfNeeded()
{
    if (!m_eventHandler || (m_disableCounter <= 0 && !m_shortcutToHotKeyRef.empty()))
        return;
    qCInfo(lcKeyComboKit) << "Removing Carbon hot key event handler";
    const qint32 status = m_backend->removeEventHandler(this);
    if (status != 0)
        qCCritical(lcKeyComboKit).noquote()
            << QStringLiteral("#Error Failed to remove event handler: %1").arg(status);
    m_eventHandler = false;
    didRemoveEventHandler();
}

void KCGlobalShortcutMonitor::didAddEventHandler()
{
    qCDebug(lcKeyComboKit) << "Added Carbon HotKey Event Handler";
}

void KCGlobalShortcutMonitor::didRemoveEventHandler()
{
    qCDebug(lcKeyComboKit) << "Removed Carbon HotKey Event Handler";
}

void KCGlobalShortcutMonitor::pause()
{
    QMutexLocker locker(&m_lock);
    qCDebug(lcKeyComboKit).noquote() << QStringLiteral("Global Shortcut Monitor counter: %1 -> %2")
                                            .arg(m_disableCounter)
                                            .arg(m_disableCounter + 1);
    if (m_disableCounter++ == 0)
        for (const KCShortcutRef& s : shortcuts())
            unregisterHotKeyIfNeeded(s);
    removeEventHandlerIfNeeded();
}

void KCGlobalShortcutMonitor::resume()
{
    QMutexLocker locker(&m_lock);
    // An unmatched resume would leave the monitor owing a pause.
    if (m_disableCounter <= 0) {
        qCCritical(lcKeyComboKit) << "#Error #Developer resume without a matching pause";
        return;
    }
    qCDebug(lcKeyComboKit).noquote() << QStringLiteral("Global Shortcut Monitor counter: %1 -> %2")
                                            .arg(m_disableCounter)
                                            .arg(m_disableCounter - 1);
    if (--m_disableCounter == 0)
        for (const KCShortcutRef& s : shortcuts())
            registerHotKeyIfNeeded(s);
    installEventHandlerIfNeeded();
}

qint32 KCGlobalShortcutMonitor::dispatchHotKeyEvent(const KCHotKeyEvent* event)
{
    if (!event) {
        qCCritical(lcKeyComboKit) << "#Error Event is NULL";
        return kcEventNotHandled;
    }
    if (event->eventClass != KCHotKeyEvent::keyboardClass) {
        qCCritical(lcKeyComboKit) << "#Error Not a keyboard event";
        return kcEventNotHandled;
    }
    return handleEvent(*event);
}

qint32 KCGlobalShortcutMonitor::handleEvent(const KCHotKeyEvent& event)
{
    KCActivity activity("-[KCGlobalShortcutMonitor handleEvent:]");
    KCShortcutRef shortcut;
    {
        QMutexLocker locker(&m_lock);
        if (m_disableCounter > 0) {
            qCDebug(lcKeyComboKit) << "Monitoring is currently disabled";
            return kcEventNotHandled;
        }
        if (event.readStatus != 0) {
            qCCritical(lcKeyComboKit).noquote()
                << QStringLiteral("#Critical Failed to get hot key ID: %1").arg(event.readStatus);
            return kcEventNotHandled;
        }
        if (event.id == 0 || event.signature != kcHotKeySignature) {
            qCCritical(lcKeyComboKit).noquote()
                << QStringLiteral("#Error Unexpected hot key with id %1 and signature: %2")
                       .arg(event.id)
                       .arg(event.signature);
            return kcEventNotHandled;
        }
        shortcut = m_hotKeyIdToShortcut.value(event.id);
        if (!shortcut) {
            qCInfo(lcKeyComboKit).noquote()
                << QStringLiteral("Unregistered hot key with id %1 and signature %2")
                       .arg(event.id)
                       .arg(event.signature);
            return kcEventNotHandled;
        }
    }
    KCKeyEventType keyEvent;
    if (event.kind == KCHotKeyEvent::pressedKind)
        keyEvent = KCKeyEventTypeDown;
    else if (event.kind == KCHotKeyEvent::releasedKind)
        keyEvent = KCKeyEventTypeUp;
    else {
        qCCritical(lcKeyComboKit).noquote()
            << QStringLiteral("#Error Unexpected key event of type %1").arg(event.kind);
        return kcEventNotHandled;
    }
    if (enabledActionsForShortcut(shortcut, keyEvent).isEmpty()) {
        qCInfo(lcKeyComboKit) << "No actions for the shortcut";
        return kcEventNotHandled;
    }
    return performActions(shortcut, keyEvent, nullptr) ? 0 : kcEventNotHandled;
}
