#pragma once

#include <QString>
#include <QStringList>
#include <QTranslator>

#include <vector>

// The English source texts whose words are false on a Linux desktop (another
// system's name, dock, launcher, file manager or permission pages, a key the
// keyboard does not have, a misspelling), each with the text shown in its
// place. Source texts, stored keys and values stay as they are; only what is
// shown changes, through Qt's translation of every shown text.
struct ShownText {
    const char* source;
    const char* shown;
};
const std::vector<ShownText>& shownTextTable();

// `source` as it is shown: its row's text, else itself.
QString shownText(const QString& source);

// Words of `text` that break the rule above: "macOS", "MacOS", "Finder",
// "Launchpad", "Contrl", the key signs "⌥", "⌘", "⇧", "⌃" and "^", and
// "Option" or "Command" used as a key
// name ("Option + Tab", "Command-Tab", "⌥ Option key"). Empty when true here.
QStringList falseWordsIn(const QString& text);

// Looks every translated text up in the table, whatever its context.
class ShownTextTranslator final : public QTranslator {
public:
    using QTranslator::QTranslator;
    QString translate(const char* context, const char* sourceText, const char* disambiguation = nullptr,
        int n = -1) const override;
    bool isEmpty() const override { return false; }
};

// Installs one ShownTextTranslator on the application (once; later calls do
// nothing). Needs a QCoreApplication; texts translated before it stay
// as their source.
void installShownTexts();
