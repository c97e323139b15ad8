#include "KeyComboKit/KCShortcutMonitor.h"

namespace {

const QString kActions = QStringLiteral("actions");
const QString kShortcuts = QStringLiteral("shortcuts");
constexpr int kObserveAll = KCObservable::optionNew | KCObservable::optionOld | KCObservable::optionInitial;

bool sameShortcut(const KCShortcutRef& a, const KCShortcutRef& b)
{
    return KCShortcutRefEqual()(a, b);
}

void check(bool condition, const char* description, int line)
{
    if (!condition)
        throw KCAssertionFailure(QString::fromLatin1(description), "KCShortcutAction", line);
}

KCShortcutRef shortcutFromVariant(const QVariant& value)
{
    return value.metaType() == QMetaType::fromType<KCShortcutRef>() ? value.value<KCShortcutRef>() : nullptr;
}

} // namespace

KCShortcutMonitor::KCShortcutMonitor() = default;

KCShortcutMonitor::~KCShortcutMonitor()
{
    QMutexLocker locker(&m_lock);
    for (const Registration& r : std::as_const(m_actions)) {
        r.action->removeObserver(r.enabledObservation);
        if (r.shortcutObservation)
            r.action->removeObserver(r.shortcutObservation);
    }
}

QSet<KCShortcutAction*>& KCShortcutMonitor::actionsFor(KCKeyEventType keyEvent)
{
    return const_cast<QSet<KCShortcutAction*>&>(std::as_const(*this).actionsFor(keyEvent));
}

const QSet<KCShortcutAction*>& KCShortcutMonitor::actionsFor(KCKeyEventType keyEvent) const
{
    if (keyEvent == KCKeyEventTypeDown)
        return m_keyDownActions;
    if (keyEvent == KCKeyEventTypeUp)
        return m_keyUpActions;
    throw KCInvalidArgumentException(
        QStringLiteral("Unexpected keyboard event type %1").arg(quint32(keyEvent)).toStdString());
}

KCShortcutMonitor::Index& KCShortcutMonitor::indexFor(KCKeyEventType keyEvent)
{
    return const_cast<Index&>(std::as_const(*this).indexFor(keyEvent));
}

const KCShortcutMonitor::Index& KCShortcutMonitor::indexFor(KCKeyEventType keyEvent) const
{
    if (keyEvent == KCKeyEventTypeDown)
        return m_shortcutToEnabledKeyDownActions;
    if (keyEvent == KCKeyEventTypeUp)
        return m_shortcutToEnabledKeyUpActions;
    throw KCInvalidArgumentException(
        QStringLiteral("Unexpected keyboard event type %1").arg(quint32(keyEvent)).toStdString());
}

QList<KCShortcutActionRef> KCShortcutMonitor::actions() const
{
    QMutexLocker locker(&m_lock);
    QList<KCShortcutActionRef> result;
    for (const Registration& r : m_actions)
        result.append(r.action);
    return result;
}

QList<KCShortcutRef> KCShortcutMonitor::shortcuts() const
{
    QMutexLocker locker(&m_lock);
    QList<KCShortcutRef> result;
    for (const auto& [shortcut, count] : m_shortcuts)
        result.append(shortcut);
    return result;
}

QList<KCShortcutActionRef> KCShortcutMonitor::actionsForKeyEvent(KCKeyEventType keyEvent) const
{
    QMutexLocker locker(&m_lock);
    QList<KCShortcutActionRef> result;
    for (KCShortcutAction* a : actionsFor(keyEvent))
        result.append(m_actions.value(a).action);
    return result;
}

QList<KCShortcutActionRef> KCShortcutMonitor::enabledActionsForShortcut(
    const KCShortcutRef& shortcut, KCKeyEventType keyEvent) const
{
    QMutexLocker locker(&m_lock);
    const Index& index = indexFor(keyEvent);
    const auto it = index.find(shortcut);
    return it == index.end() ? QList<KCShortcutActionRef>() : it->second;
}

int KCShortcutMonitor::countForShortcut(const KCShortcutRef& shortcut) const
{
    QMutexLocker locker(&m_lock);
    const auto it = m_shortcuts.find(shortcut);
    return it == m_shortcuts.end() ? 0 : it->second;
}

void KCShortcutMonitor::addAction(const KCShortcutActionRef& action, KCKeyEventType keyEvent)
{
    QMutexLocker locker(&m_lock);
    KCShortcutAction* a = action.get();
    QSet<KCShortcutAction*>& registered = actionsFor(keyEvent);
    if (registered.contains(a)) {
        // Re-adding makes the action the first one asked; a disabled action
        // has no index entry to move.
        if (!m_enabledActions.contains(a))
            return;
        const KCShortcutRef shortcut = shortcutForEnabledAction(a, nullptr);
        if (!shortcut)
            return;
        QList<KCShortcutActionRef>& ordered = indexFor(keyEvent)[shortcut];
        const qsizetype at = ordered.indexOf(action);
        check(at >= 0, "Action was not added to the shortcut", 520);
        ordered.move(at, ordered.size() - 1);
        return;
    }
    auto it = m_actions.find(a);
    if (it == m_actions.end()) {
        KCChangeNotice notice(this, kActions);
        it = m_actions.insert(a, { action, 1, 0, 0 });
        registered.insert(a);
        it->enabledObservation = a->addObserver(QStringLiteral("enabled"), kObserveAll,
            [this, a](const KCChange& change) { enabledChanged(a, change); });
        return;
    }
    check(it->count < 2, "Action is added too many times", 506);
    ++it->count;
    registered.insert(a);
    if (m_enabledActions.contains(a)) {
        if (const KCShortcutRef shortcut = shortcutForEnabledAction(a, nullptr))
            addEnabledAction(a, shortcut, keyEvent);
    }
}

KCShortcutActionRef KCShortcutMonitor::addAction(
    const QByteArray& selector, const QString& keyEquivalent, qint64 tag)
{
    KCShortcutRef shortcut = KCShortcut::shortcutWithKeyEquivalent(keyEquivalent);
    if (!shortcut)
        return nullptr;
    auto action = KCShortcutAction::withShortcut(std::move(shortcut), nullptr, selector, tag);
    addAction(action, KCKeyEventTypeDown);
    return action;
}

void KCShortcutMonitor::removeAction(const KCShortcutActionRef& action, KCKeyEventType keyEvent)
{
    QMutexLocker locker(&m_lock);
    KCShortcutAction* a = action.get();
    QSet<KCShortcutAction*>& registered = actionsFor(keyEvent);
    if (!registered.contains(a))
        return;
    auto it = m_actions.find(a);
    const bool last = it->count == 1;
    std::optional<KCChangeNotice> actionsNotice;
    if (last) {
        actionsNotice.emplace(this, kActions);
        a->removeObserver(it->enabledObservation);
        it->enabledObservation = 0;
    }
    std::optional<KCChangeNotice> shortcutsNotice;
    KCShortcutRef removed;
    if (m_enabledActions.contains(a)) {
        if (last)
            stopObservingShortcut(a);
        if (const KCShortcutRef shortcut = shortcutForEnabledAction(a, nullptr)) {
            const auto& index = indexFor(keyEvent);
            const auto entry = index.find(shortcut);
            if (entry != index.end() && entry->second.contains(action)) {
                if (countForShortcut(shortcut) == 1) {
                    shortcutsNotice.emplace(this, kShortcuts);
                    removed = shortcut;
                    willRemoveShortcut(shortcut);
                }
                removeEnabledAction(a, shortcut, keyEvent);
            }
        }
        if (last)
            m_enabledActions.remove(a);
    }
    registered.remove(a);
    if (last)
        m_actions.erase(it);
    else
        --it->count;
    if (removed)
        didRemoveShortcut(removed);
    shortcutsNotice.reset();
    actionsNotice.reset();
}

void KCShortcutMonitor::removeAction(const KCShortcutActionRef& action)
{
    // Keep the action alive until both registrations are gone.
    const KCShortcutActionRef keep = action;
    removeAction(keep, KCKeyEventTypeDown);
    removeAction(keep, KCKeyEventTypeUp);
}

void KCShortcutMonitor::removeAllActions()
{
    QMutexLocker locker(&m_lock);
    const auto registrations = m_actions;
    for (const Registration& r : registrations) {
        r.action->removeObserver(r.enabledObservation);
        if (r.shortcutObservation)
            r.action->removeObserver(r.shortcutObservation);
    }
    {
        KCChangeNotice actionsNotice(this, kActions);
        KCChangeNotice shortcutsNotice(this, kShortcuts);
        QList<KCShortcutRef> gone;
        for (const auto& [shortcut, count] : m_shortcuts)
            gone.append(shortcut);
        for (const KCShortcutRef& s : std::as_const(gone))
            willRemoveShortcut(s);
        m_shortcuts.clear();
        m_actions.clear();
        m_enabledActions.clear();
        m_keyDownActions.clear();
        m_keyUpActions.clear();
        m_shortcutToEnabledKeyDownActions.clear();
        m_shortcutToEnabledKeyUpActions.clear();
        for (auto s = gone.crbegin(); s != gone.crend(); ++s)
            didRemoveShortcut(*s);
        // The notices finish "shortcuts" before "actions".
    }
}

void KCShortcutMonitor::startObservingShortcut(KCShortcutAction* action)
{
    auto it = m_actions.find(action);
    if (it == m_actions.end() || it->shortcutObservation)
        return;
    // The initial notice indexes the action at once; the token is stored
    // first so the path sees the observation in place.
    it->shortcutObservation = -1;
    const int token = action->addObserver(QStringLiteral("shortcut"), kObserveAll,
        [this, action](const KCChange& change) { shortcutChanged(action, change); });
    it = m_actions.find(action);
    if (it != m_actions.end())
        it->shortcutObservation = token;
    else
        action->removeObserver(token);
}

void KCShortcutMonitor::stopObservingShortcut(KCShortcutAction* action)
{
    auto it = m_actions.find(action);
    if (it == m_actions.end() || !it->shortcutObservation)
        return;
    if (it->shortcutObservation > 0)
        action->removeObserver(it->shortcutObservation);
    it->shortcutObservation = 0;
}

void KCShortcutMonitor::enabledChanged(KCShortcutAction* action, const KCChange& change)
{
    const bool wasEnabled = change.oldValue.isValid() && change.oldValue.toBool();
    const bool isEnabled = change.newValue.toBool();
    if (wasEnabled == isEnabled)
        return;
    // Both branches change the registry, so both take the lock first.
    QMutexLocker locker(&m_lock);
    if (!m_actions.contains(action))
        return;
    if (isEnabled) {
        m_enabledActions.insert(action);
        startObservingShortcut(action);
        return;
    }
    stopObservingShortcut(action);
    if (const KCShortcutRef shortcut = shortcutForEnabledAction(action, nullptr)) {
        const bool down = m_keyDownActions.contains(action);
        const bool up = m_keyUpActions.contains(action);
        const bool removing = countForShortcut(shortcut) - entriesOf(action) == 0;
        std::optional<KCChangeNotice> notice;
        if (removing) {
            notice.emplace(this, kShortcuts);
            willRemoveShortcut(shortcut);
        }
        if (down)
            removeEnabledAction(action, shortcut, KCKeyEventTypeDown);
        if (up)
            removeEnabledAction(action, shortcut, KCKeyEventTypeUp);
        if (removing)
            didRemoveShortcut(shortcut);
    }
    m_enabledActions.remove(action);
}

int KCShortcutMonitor::entriesOf(KCShortcutAction* action) const
{
    return (m_keyDownActions.contains(action) ? 1 : 0) + (m_keyUpActions.contains(action) ? 1 : 0);
}

void KCShortcutMonitor::shortcutChanged(KCShortcutAction* action, const KCChange& change)
{
    const KCShortcutRef oldShortcut = shortcutFromVariant(change.oldValue);
    const KCShortcutRef newShortcut = shortcutFromVariant(change.newValue);
    if (change.oldValue.isValid() && sameShortcut(oldShortcut, newShortcut))
        return;
    if (!oldShortcut && !newShortcut)
        return;
    QMutexLocker locker(&m_lock);
    if (!m_enabledActions.contains(action))
        return;
    enabledActionDidChangeShortcut(action, oldShortcut, newShortcut);
}

void KCShortcutMonitor::enabledActionDidChangeShortcut(
    KCShortcutAction* action, const KCShortcutRef& oldShortcut, const KCShortcutRef& newShortcut)
{
    check(!(oldShortcut && newShortcut && *oldShortcut == *newShortcut),
        "Invalid parameter not satisfying: ![anOldShortcut isEqual:aNewShortcut]", 740);
    const bool down = m_keyDownActions.contains(action);
    const bool up = m_keyUpActions.contains(action);
    const auto indexed = [&](const KCShortcutRef& s, KCKeyEventType e) {
        const Index& index = indexFor(e);
        const auto it = index.find(s);
        return it != index.end() && std::any_of(it->second.begin(), it->second.end(), [&](const auto& a) {
            return a.get() == action;
        });
    };
    // The initial notice has no old value: the action may sit under none.
    const bool hasOld = oldShortcut
        && ((down && indexed(oldShortcut, KCKeyEventTypeDown))
            || (up && indexed(oldShortcut, KCKeyEventTypeUp)));
    int oldEntries = 0;
    if (hasOld)
        oldEntries = (down && indexed(oldShortcut, KCKeyEventTypeDown) ? 1 : 0)
            + (up && indexed(oldShortcut, KCKeyEventTypeUp) ? 1 : 0);
    const bool removing = hasOld && countForShortcut(oldShortcut) - oldEntries == 0;
    const bool adding = newShortcut && (down || up) && countForShortcut(newShortcut) == 0;
    std::optional<KCChangeNotice> notice;
    if (removing || adding)
        notice.emplace(this, kShortcuts);
    if (removing)
        willRemoveShortcut(oldShortcut);
    if (hasOld) {
        if (down && indexed(oldShortcut, KCKeyEventTypeDown))
            removeEnabledAction(action, oldShortcut, KCKeyEventTypeDown);
        if (up && indexed(oldShortcut, KCKeyEventTypeUp))
            removeEnabledAction(action, oldShortcut, KCKeyEventTypeUp);
    }
    if (removing)
        didRemoveShortcut(oldShortcut);
    if (adding)
        willAddShortcut(newShortcut);
    if (newShortcut) {
        if (down)
            addEnabledAction(action, newShortcut, KCKeyEventTypeDown);
        if (up)
            addEnabledAction(action, newShortcut, KCKeyEventTypeUp);
    }
    if (adding)
        didAddShortcut(newShortcut);
}

KCShortcutRef KCShortcutMonitor::shortcutForEnabledAction(
    KCShortcutAction* action, const KCShortcutRef& hint) const
{
    check(m_enabledActions.contains(action), "[_enabledActions containsObject:anAction]", 700);
    const auto qualifies = [&](const KCShortcutRef& s) {
        if (!s)
            return false;
        for (const Index* index : { &m_shortcutToEnabledKeyDownActions, &m_shortcutToEnabledKeyUpActions }) {
            const auto it = index->find(s);
            if (it != index->end() && std::any_of(it->second.begin(), it->second.end(), [&](const auto& a) {
                    return a.get() == action;
                }))
                return true;
        }
        return false;
    };
    if (qualifies(hint))
        return hint;
    if (const KCShortcutRef current = action->shortcut(); qualifies(current))
        return current;
    for (const auto& [shortcut, count] : m_shortcuts)
        if (qualifies(shortcut))
            return shortcut;
    return nullptr;
}

void KCShortcutMonitor::addEnabledAction(
    KCShortcutAction* action, const KCShortcutRef& shortcut, KCKeyEventType keyEvent)
{
    QList<KCShortcutActionRef>& ordered = indexFor(keyEvent)[shortcut];
    check(std::none_of(ordered.begin(), ordered.end(), [&](const auto& a) { return a.get() == action; }),
        "![actions containsObject:anAction]", 790);
    ++m_shortcuts[shortcut];
    ordered.append(m_actions.value(action).action);
}

void KCShortcutMonitor::removeEnabledAction(
    KCShortcutAction* action, const KCShortcutRef& shortcut, KCKeyEventType keyEvent)
{
    Index& index = indexFor(keyEvent);
    auto it = index.find(shortcut);
    const qsizetype at = it == index.end()
        ? -1
        : std::find_if(it->second.begin(), it->second.end(), [&](const auto& a) { return a.get() == action; })
            - it->second.begin();
    check(it != index.end() && at < it->second.size(), "[actions containsObject:anAction]", 809);
    auto counted = m_shortcuts.find(shortcut);
    if (counted != m_shortcuts.end() && --counted->second == 0)
        m_shortcuts.erase(counted);
    it->second.removeAt(at);
    if (it->second.isEmpty())
        index.erase(it);
}

bool KCShortcutMonitor::performActions(
    const KCShortcutRef& shortcut, KCKeyEventType keyEvent, QObject* target)
{
    const QList<KCShortcutActionRef> snapshot = enabledActionsForShortcut(shortcut, keyEvent);
    for (auto a = snapshot.crbegin(); a != snapshot.crend(); ++a)
        if ((*a)->performActionOnTarget(target))
            return true;
    return false;
}

QString KCShortcutMonitor::debugDescription() const
{
    QMutexLocker locker(&m_lock);
    QString text;
    const auto describe = [&](const char* title, const Index& index) {
        if (index.empty())
            return;
        text += QLatin1String(title);
        for (const auto& [shortcut, actions] : index) {
            text += QStringLiteral("\t%1: {\n").arg(shortcut->description());
            for (const auto& a : actions)
                text += QStringLiteral("\t\t%1\n").arg(a->description());
            text += QLatin1String("\t}\n");
        }
        text += QLatin1String("}\n");
    };
    describe("Key Down Shortcuts: {\n", m_shortcutToEnabledKeyDownActions);
    describe("Key Up Shortcuts: {\n", m_shortcutToEnabledKeyUpActions);
    return text.isEmpty() ? QStringLiteral("No Shortcuts") : text;
}

QVariant KCShortcutMonitor::valueForKey(const QString& key) const
{
    if (key == kActions)
        return int(actions().size());
    if (key == kShortcuts)
        return int(shortcuts().size());
    return KCObservable::valueForKey(key);
}
