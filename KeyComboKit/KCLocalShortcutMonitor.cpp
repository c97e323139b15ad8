#include "KeyComboKit/KCLocalShortcutMonitor.h"

#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QKeyEvent>
#include <QMutex>
#include <QStandardPaths>

#include "KeyComboKit/KCQtKeyEvent.h"

namespace {

QMutex pathLock;
QString userPath;

struct BindingRow {
    const char* selector;
    const char* keyEquivalent;
    qint64 tag = 0;
};

std::unique_ptr<KCLocalShortcutMonitor> build(std::initializer_list<BindingRow> rows)
{
    auto monitor = std::make_unique<KCLocalShortcutMonitor>();
    for (const BindingRow& row : rows)
        monitor->addAction(QByteArray(row.selector), QString::fromUtf8(row.keyEquivalent), row.tag);
    return monitor;
}

} // namespace

bool KCLocalShortcutMonitor::handleEvent(const KCKeyEvent& event, QObject* target)
{
    const KCShortcutRef shortcut = KCShortcut::shortcutWithEvent(event, true);
    if (!shortcut) {
        qCCritical(lcKeyComboKit) << "#Error Not a keyboard event";
        return false;
    }
    return performActions(shortcut, KCKeyEventTypeOf(event), target);
}

bool KCLocalShortcutMonitor::handleEvent(const QEvent* event, QObject* target)
{
    if (!event || (event->type() != QEvent::KeyPress && event->type() != QEvent::KeyRelease)) {
        qCCritical(lcKeyComboKit) << "#Error Not a keyboard event";
        return false;
    }
    // Shortcuts are matched by key code and modifiers: the characters would
    // be thrown away (see handleEvent above), so they are not looked up.
    return handleEvent(KCKeyEventFromQKeyEvent(*static_cast<const QKeyEvent*>(event), false), target);
}

void KCLocalShortcutMonitor::setUserKeyBindingsPath(const QString& path)
{
    QMutexLocker locker(&pathLock);
    userPath = path;
}

QString KCLocalShortcutMonitor::userKeyBindingsPath()
{
    QMutexLocker locker(&pathLock);
    if (!userPath.isEmpty())
        return userPath;
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation)
        + QStringLiteral("/KeyComboKit/DefaultKeyBinding.json");
}

QVariantMap KCLocalShortcutMonitor::parseSystemKeyBindings()
{
    qCCritical(lcKeyComboKit) << "#Error unable to read system key bindings";
    qCDebug(lcKeyComboKit) << "error: X11 has no system text key bindings";
    return {};
}

QVariantMap KCLocalShortcutMonitor::parseUserKeyBindings()
{
    const QString path = userKeyBindingsPath();
    QFile file(path);
    QString error;
    if (!file.open(QIODevice::ReadOnly)) {
        error = file.errorString();
    } else {
        QJsonParseError parse;
        const QJsonDocument doc = QJsonDocument::fromJson(file.readAll(), &parse);
        if (parse.error != QJsonParseError::NoError)
            error = parse.errorString();
        else if (!doc.isObject())
            error = QStringLiteral("not a JSON object");
        else
            return doc.object().toVariantMap();
    }
    qCDebug(lcKeyComboKit).noquote() << "#Error unable to read user key bindings"
                                     << QStringLiteral("error: %1").arg(error);
    return {};
}

void KCLocalShortcutMonitor::updateWithCocoaTextKeyBindings()
{
    QVariantMap bindings = parseSystemKeyBindings();
    const QVariantMap user = parseUserKeyBindings();
    for (auto it = user.begin(); it != user.end(); ++it)
        bindings.insert(it.key(), it.value());

    QMutexLocker locker(&m_lock);
    for (auto it = bindings.begin(); it != bindings.end(); ++it) {
        if (it.key().isEmpty())
            continue;
        const KCShortcutRef shortcut = KCShortcut::shortcutWithKeyBinding(it.key());
        if (!shortcut)
            continue;
        const QVariantList selectors = it.value().metaType() == QMetaType::fromType<QVariantList>()
            ? it.value().toList()
            : QVariantList { it.value() };
        for (const QVariant& selector : selectors) {
            if (selector.metaType() != QMetaType::fromType<QString>())
                continue;
            const QString name = selector.toString();
            if (!name.isEmpty() && name != QLatin1String("noop:")) {
                addAction(
                    KCShortcutAction::withShortcut(shortcut, nullptr, name.toUtf8(), 0), KCKeyEventTypeDown);
                continue;
            }
            // Removed through the registry, so counts and hooks stay whole.
            for (const KCShortcutActionRef& action : enabledActionsForShortcut(shortcut, KCKeyEventTypeDown))
                if (!action->observedObject())
                    removeAction(action, KCKeyEventTypeDown);
        }
    }
}

std::unique_ptr<KCLocalShortcutMonitor> KCLocalShortcutMonitor::standardShortcuts()
{
    auto monitor = build({
        { "moveForward:", "⌃F" },
        { "moveRight:", "→" },
        { "moveBackward:", "⌃B" },
        { "moveLeft:", "←" },
        { "moveUp:", "↑" },
        { "moveUp:", "⌃P" },
        { "moveDown:", "↓" },
        { "moveDown:", "⌃N" },
        { "moveWordForward:", "⌥F" },
        { "moveWordBackward:", "⌥B" },
        { "moveToBeginningOfLine:", "⌃A" },
        { "moveToEndOfLine:", "⌃E" },
        { "moveToEndOfDocument:", "⌘↓" },
        { "moveToBeginningOfDocument:", "⌘↑" },
        { "pageDown:", "⌃V" },
        { "pageUp:", "⌥V" },
        { "centerSelectionInVisibleArea:", "⌃L" },
        { "moveBackwardAndModifySelection:", "⇧⌃B" },
        { "moveForwardAndModifySelection:", "⇧⌃F" },
        { "moveWordForwardAndModifySelection:", "⇧⌥F" },
        { "moveWordBackwardAndModifySelection:", "⇧⌥B" },
        { "moveUpAndModifySelection:", "⇧↑" },
        { "moveUpAndModifySelection:", "⇧⌃P" },
        { "moveDownAndModifySelection:", "⇧↓" },
        { "moveDownAndModifySelection:", "⇧⌃N" },
        { "moveToBeginningOfLineAndModifySelection:", "⇧⌃A" },
        { "moveToBeginningOfLineAndModifySelection:", "⇧⌘←" },
        { "moveToEndOfLineAndModifySelection:", "⇧⌃E" },
        { "moveToEndOfLineAndModifySelection:", "⇧⌘→" },
        { "moveToEndOfDocumentAndModifySelection:", "⇧⌘↓" },
        { "moveToBeginningOfDocumentAndModifySelection:", "⇧⌘↑" },
        { "pageDownAndModifySelection:", "⇧⌃V" },
        { "pageUpAndModifySelection:", "⇧⌥V" },
        { "moveWordRight:", "⌥→" },
        { "moveWordLeft:", "⌥←" },
        { "moveRightAndModifySelection:", "⇧→" },
        { "moveLeftAndModifySelection:", "⇧←" },
        { "moveWordRightAndModifySelection:", "⇧⌥→" },
        { "moveWordLeftAndModifySelection:", "⇧⌥←" },
        { "moveToLeftEndOfLine:", "⌘←" },
        { "moveToRightEndOfLine:", "⌘→" },
        { "moveToLeftEndOfLineAndModifySelection:", "⇧⌘←" },
        { "moveToRightEndOfLineAndModifySelection:", "⇧⌘→" },
        { "scrollPageUp:", "⇞" },
        { "scrollPageDown:", "⇟" },
        { "scrollToBeginningOfDocument:", "↖" },
        { "scrollToEndOfDocument:", "↘" },
        { "transpose:", "⌃T" },
        { "transposeWords:", "⌥T" },
        { "selectAll:", "⌘A" },
        { "insertNewline:", "⌃O" },
        { "deleteForward:", "⌦" },
        { "deleteBackward:", "⌫" },
        { "deleteWordForward:", "⌥⌦" },
        { "deleteWordBackward:", "⌥⌫" },
        { "deleteToEndOfLine:", "⌃K" },
        { "deleteToBeginningOfLine:", "⌃W" },
        { "yank:", "⌃Y" },
        { "setMark:", "⌃Space" },
        { "complete:", "⌥⎋" },
        { "cancelOperation:", "⌘." },
    });
    monitor->updateWithCocoaTextKeyBindings();
    return monitor;
}

std::unique_ptr<KCLocalShortcutMonitor> KCLocalShortcutMonitor::mainMenuShortcuts()
{
    return build({
        { "hide:", "⌘H" },
        { "hideOtherApplications:", "⌥⌘H" },
        { "terminate:", "⌘Q" },
        { "newDocument:", "⌘N" },
        { "openDocument:", "⌘O" },
        { "performClose:", "⌘W" },
        { "saveDocument:", "⌘S" },
        { "saveDocumentAs:", "⇧⌘S" },
        { "revertDocumentToSaved:", "⌘R" },
        { "runPageLayout:", "⇧⌘P" },
        { "print:", "⌘P" },
        { "undo:", "⌘Z" },
        { "redo:", "⇧⌘Z" },
        { "cut:", "⌘X" },
        { "copy:", "⌘C" },
        { "paste:", "⌘V" },
        { "pasteAsPlainText:", "⌥⇧⌘V" },
        { "selectAll:", "⌘A" },
        { "performTextFinderAction:", "⌘F", 1 },
        { "performTextFinderAction:", "⌥⌘F", 12 },
        { "performTextFinderAction:", "⌘G", 2 },
        { "performTextFinderAction:", "⇧⌘G", 3 },
        { "performTextFinderAction:", "⌘E", 7 },
        { "centerSelectionInVisibleArea:", "⌘J" },
        { "showGuessPanel:", "⇧⌘;" },
        { "checkSpelling:", "⌘;" },
        { "orderFrontFontPanel:", "⌘T" },
        { "addFontTrait:", "⌘B", 2 },
        { "addFontTrait:", "⌘I", 1 },
        { "underline:", "⌘U" },
        { "modifyFont:", "⌘=", 3 },
        { "modifyFont:", "⇧⌘=", 3 },
        { "modifyFont:", "⌘-", 4 },
        { "modifyFont:", "⇧⌘-", 4 },
        { "orderFrontColorPanel:", "⇧⌘C" },
        { "copyFont:", "⌥⌘C" },
        { "pasteFont:", "⌥⌘V" },
        { "alignLeft:", "⇧⌘[" },
        { "alignCenter:", "⇧⌘\\" },
        { "alignRight:", "⇧⌘]" },
        { "copyRuler:", "⌃⌘C" },
        { "pasteRuler:", "⌃⌘V" },
        { "toggleToolbarShown:", "⌥⌘T" },
        { "toggleSidebar:", "⌃⌘S" },
        { "toggleFullScreen:", "⌃⌘F" },
        { "performMiniaturize:", "⌘M" },
        { "showHelp:", "⇧⌘/" },
    });
}

std::unique_ptr<KCLocalShortcutMonitor> KCLocalShortcutMonitor::clipboardShortcuts()
{
    return build({
        { "cut:", "⌘X" },
        { "copy:", "⌘C" },
        { "paste:", "⌘V" },
        { "pasteAsPlainText:", "⌥⇧⌘V" },
        { "undo:", "⌘Z" },
        { "redo:", "⇧⌘Z" },
    });
}

std::unique_ptr<KCLocalShortcutMonitor> KCLocalShortcutMonitor::windowShortcuts()
{
    return build(
        { { "performClose:", "⌘W" }, { "performMiniaturize:", "⌘M" }, { "toggleFullScreen:", "⌃⌘F" } });
}

std::unique_ptr<KCLocalShortcutMonitor> KCLocalShortcutMonitor::documentShortcuts()
{
    return build({
        { "print:", "⌘P" },
        { "runPageLayout:", "⇧⌘P" },
        { "revertDocumentToSaved:", "⌘R" },
        { "saveDocument:", "⌘S" },
        { "saveDocumentAs:", "⇧⌥⌘S" },
        { "duplicateDocument:", "⇧⌘S" },
        { "openDocument:", "⌘O" },
    });
}

std::unique_ptr<KCLocalShortcutMonitor> KCLocalShortcutMonitor::appShortcuts()
{
    return build({ { "hide:", "⌘H" }, { "hideOtherApplications:", "⌥⌘H" }, { "terminate:", "⌘Q" } });
}
