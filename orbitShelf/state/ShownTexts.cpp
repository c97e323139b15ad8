#include "state/ShownTexts.h"

#include "state/ToolTable.h"

#include <QCoreApplication>
#include <QHash>
#include <QPointer>
#include <QRegularExpression>

// Keys as X11 presses them: the app's Command is Ctrl, its Option is Alt,
// its Control is Super.
const std::vector<ShownText>& shownTextTable()
{
    static const std::vector<ShownText> table {
        // Onboarding.
        { "🔥Step 1: Request Accessability Permissions", "🔥Step 1: Access to Windows" },
        { "🔥OrbitShelf needs accessability permissions to access the windows of all running applications on "
          "your MacOS (Necessary)",
            "🔥orbitShelf reads the windows of all running applications from the X server (Necessary)" },
        { "🔥If you enable it, OrbitShelf Will Require Screen Recording Permission,to show preview windows "
          "(Recommended)",
            "🔥If you enable it, orbitShelf shows no window previews and captures no window pictures "
            "(Recommended)" },
        { "Step 3:Hide Native Dock? (Recommended)", "Step 3: Hide Another Dock? (Recommended)" },
        { "Help you to set auto-hide of the native dock ",
            "Nothing to do here: this desktop has no other dock that orbitShelf hides." },
        { "Step 4:Enjoy!", "Step 4: Enjoy!" },
        { "Scroll Down to see the full feature of OrbitShelf", "Scroll down to see all that orbitShelf does" },
        // The feature tour.
        { "What are the differences between OrbitShelf and the native macOS Dock?",
            "What does orbitShelf add to your desktop?" },
        { "Option + Tab", "Alt + Tab" },
        { "4 Powerfull Option-Tab Replace Command-Tab", "4 Powerful Alt + Tab Window Switcher" },
        // The general page.
        { "Add Launchpad Button", "Add the Application Launcher Button" },
        { "💫 Hide orbitShelf Launchpad Button", "💫 Hide orbitShelf's Main Button" },
        // The appearance page.
        { "[ Actived Indicator Color ]", "[ Active Indicator Color ]" },
        { "oK", "OK" },
        { "cancel", "Cancel" },
        // The shortcut page and the tag editor's hot keys.
        { "Option + ", "Alt + " },
        { "Contrl + ", "Super + " },
        { "Option + P", "Alt + P" },
        { "Option + Shift + P", "Alt + Shift + P" },
        { "Command + P", "Ctrl + P" },
        { "Contrl + P", "Super + P" },
        { "Option + Shift + H", "Alt + Shift + H" },
        { "Command + Shift + H", "Ctrl + Shift + H" },
        { "Contrl + Shift + H", "Super + Shift + H" },
        { "Option + W", "Alt + W" },
        { "Command + W", "Ctrl + W" },
        { "Contrl + W", "Super + W" },
        { "Option %1", "Alt + %1" },
        // The bar: its hot-key badge and its Shortcuts menu.
        { "⌥ %1", "Alt+%1" },
        { " ⌥ + ⇧ + H", " Alt + Shift + H" },
        { "⌥ + tab   (Fast Tab)", "Alt + Tab   (Fast Tab)" },
        { "⌥ + Escape     (Minimized Current Window) ", "Alt + Escape     (Minimize Current Window) " },
        { "⌥ + ⇧ + H (Show/Hide)", "Alt + Shift + H (Show/Hide)" },
        { "⌥ + P (Pasteboard)", "Alt + P (Clipboard)" },
        // The switcher's hints.
        { "Option + `", "Alt + `" },
        // Tools (their names and hub titles come from the tool table).
        { "Open in Finder", "Open in File Manager" },
        { "Replace Finder", "Replace File Manager" },
    };
    static const std::vector<ShownText> withTools = [] {
        std::vector<ShownText> rows = table;
        for (const ToolRow& tool : toolTable) {
            if (!tool.shownName)
                continue;
            rows.push_back({ tool.name, tool.shownName });
            rows.push_back({ tool.hubTitle, tool.shownName });
        }
        return rows;
    }();
    return withTools;
}

namespace {

const QHash<QString, QString>& shownTextIndex()
{
    static const QHash<QString, QString> index = [] {
        QHash<QString, QString> built;
        for (const ShownText& row : shownTextTable())
            built.insert(QString::fromUtf8(row.source), QString::fromUtf8(row.shown));
        return built;
    }();
    return index;
}

} // namespace

QString shownText(const QString& source)
{
    return shownTextIndex().value(source, source);
}

QStringList falseWordsIn(const QString& text)
{
    QStringList found;
    // "^" is how some fonts draw the Control sign, and nothing else here.
    for (const char* word : { "macOS", "MacOS", "Finder", "Launchpad", "Contrl", "⌥", "⌘", "⇧", "⌃", "^" }) {
        const QString w = QString::fromUtf8(word);
        if (text.contains(w))
            found << w;
    }
    // A key name: joined to another key by "+" or "-", or called a key.
    static const QRegularExpression keyName(
        QStringLiteral("\\b(Option|Command)\\s*[-+]|[-+]\\s*(Option|Command)\\b|\\b(Option|Command)(\\s+"
                       "key\\b|\\s*\\(|\\s+[A-Z`]\\b)"));
    for (auto it = keyName.globalMatch(text); it.hasNext();)
        found << it.next().captured(0).trimmed();
    return found;
}

QString ShownTextTranslator::translate(
    const char* context, const char* sourceText, const char* disambiguation, int n) const
{
    Q_UNUSED(context);
    Q_UNUSED(disambiguation);
    Q_UNUSED(n);
    if (!sourceText)
        return QString();
    const auto& index = shownTextIndex();
    const auto it = index.constFind(QString::fromUtf8(sourceText));
    return it == index.constEnd() ? QString() : it.value();
}

void installShownTexts()
{
    static QPointer<ShownTextTranslator> installed;
    QCoreApplication* app = QCoreApplication::instance();
    if (!app || installed)
        return;
    installed = new ShownTextTranslator(app);
    QCoreApplication::installTranslator(installed);
}
