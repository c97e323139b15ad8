// The notes in the real binary: the bar's main button opens the tool hub,
// "Note" shows the notes, and the text typed there survives a restart.
#include "tests/support/X11TestTools.h"

#include <QSettings>

#include <gtest/gtest.h>

using namespace orbitshelf::test;

namespace {

QString draftOf(const DockRun& run)
{
    const QSettings stored(
        run.configHome() + QStringLiteral("/orbitShelf/orbitShelf.conf"), QSettings::IniFormat);
    return stored.value(QStringLiteral("note_content")).toString();
}

// Opens the hub from the main button, chooses "Note" and clicks into the
// editor, looking only at the log written since `from`.
bool openNotes(const DockRun& run, qsizetype from)
{
    const auto newLog = [&] { return run.log().mid(from); };
    std::optional<QRect> mainButton, entry, editor;
    if (!waitUntil([&] {
            return (mainButton = loggedRectIn(newLog(), QStringLiteral("main button at "))).has_value();
        }))
        return false;
    // A bar just mapped may not take the click yet.
    if (!waitUntil([&] {
            if (!loggedRectIn(newLog(), QStringLiteral("hub entry Note at ")))
                click(mainButton->center());
            return waitUntil(
                [&] {
                    return (entry = loggedRectIn(newLog(), QStringLiteral("hub entry Note at "))).has_value();
                },
                std::chrono::milliseconds(1500));
        }))
        return false;
    // Nor may the hub, logged as it lays out, be on the screen yet; a click
    // that comes before it is closes it, and the main button opens it again.
    const QString hub = QStringLiteral("orbitShelf tools");
    if (!waitUntil([&] {
            if (visibleWindowsNamed(hub).isEmpty()) {
                click(mainButton->center());
                if (!waitUntil([&] { return !visibleWindowsNamed(hub).isEmpty(); }, std::chrono::milliseconds(1500)))
                    return false;
                entry = loggedRectIn(newLog(), QStringLiteral("hub entry Note at "));
            }
            click(entry->center());
            return waitUntil(
                [&] {
                    return (editor = loggedRectIn(newLog(), QStringLiteral("note editor at "))).has_value();
                },
                std::chrono::milliseconds(1500));
        }))
        return false;
    click(editor->center());
    return true;
}

} // namespace

TEST(Notes, TextTypedInTheHubIsKeptAcrossARestart)
{
    DockRun run;
    run.setEnvironment("QT_LOGGING_RULES",
        "orbitshelf.dock=true;orbitshelf.settings=true;orbitshelf.tools.hub=true;orbitshelf.tools.notes="
        "true");
    ASSERT_GT(run.start(), 0);
    ASSERT_TRUE(installTools(run, { "Note" })) << run.log().toStdString();
    ASSERT_TRUE(openNotes(run, 0)) << run.log().toStdString();
    xdotool({ "type", "--delay", "1", "hello" });
    EXPECT_TRUE(waitUntil([&] { return draftOf(run) == QLatin1String("hello"); }))
        << "stored draft: " << draftOf(run).toStdString() << "\n"
        << run.log().toStdString();

    run.stop();
    const qsizetype restartedAt = run.log().size();
    ASSERT_GT(run.start(), 0);
    ASSERT_TRUE(openNotes(run, restartedAt)) << run.log().toStdString();
    xdotool({ "key", "ctrl+End" });
    xdotool({ "type", "--delay", "1", " world" });
    EXPECT_TRUE(waitUntil([&] { return draftOf(run) == QLatin1String("hello world"); }))
        << "stored draft: " << draftOf(run).toStdString() << "\n"
        << run.log().toStdString();
}
