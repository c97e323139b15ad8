// The notes panel with 5 000 stored notes: time from asking for the panel to
// its first paint, and the main-thread time of one keystroke in an open note
// (the draft written, the note saved by its key, its row redrawn). Runs on
// Qt's offscreen platform unless another is asked for; the store is an
// ordinary file, so each keystroke's save commits to the disk.
#include "BenchFigures.h"
#include "state/Persistence.h"
#include "state/AppState.h"
#include "state/UserDefaults.h"
#include "tools/NoteView.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QKeyEvent>
#include <QListView>
#include <QPlainTextEdit>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

void type(QWidget* editor, QChar letter)
{
    QKeyEvent press(QEvent::KeyPress, Qt::Key_A, Qt::NoModifier, QString(letter));
    QKeyEvent release(QEvent::KeyRelease, Qt::Key_A, Qt::NoModifier, QString(letter));
    QApplication::sendEvent(editor, &press);
    QApplication::sendEvent(editor, &release);
}

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    // Beside the user's files, on the disk they use, not on a memory file system.
    QTemporaryDir dir(QDir::homePath() + QStringLiteral("/.bench-notes-XXXXXX"));
    UserDefaults::useFile(dir.filePath(QStringLiteral("defaults.conf")));
    QString error;
    auto store = PersistenceController::open(dir.filePath(QStringLiteral("Favorite.sqlite")), &error);
    if (!store) {
        std::fprintf(stderr, "no store: %s\n", qPrintable(error));
        return 1;
    }
    constexpr int notes = 5000;
    const QDateTime start = QDateTime::currentDateTimeUtc().addDays(-400);
    for (int n = 0; n < notes; ++n)
        store->insert(Entity::Note,
            { { "content",
                  QStringLiteral("Note %1: a line of text that goes on for a while\nand a second line")
                      .arg(n) },
                { "id", QStringLiteral("%1").arg(n, 6, 36, QLatin1Char('0')) },
                { "tag", QStringLiteral("Default") }, { "createAt", start.addSecs(n * 60) } });
    store->save();
    AppState state;

    std::vector<double> firstPaint;
    for (int run = 0; run < 15; ++run) {
        QElapsedTimer t;
        t.start();
        NoteView view(state, *store);
        view.resize(600, 450);
        view.show();
        view.grab();
        firstPaint.push_back(t.nsecsElapsed() / 1e6);
    }
    std::printf("first paint, %d notes: median %.2f ms\n", notes, medianOf(firstPaint));

    NoteView view(state, *store);
    view.resize(600, 450);
    view.show();
    view.grab();
    // A note in the middle of the list, scrolled into view.
    const int row = notes / 2;
    view.model().openNote(view.model().notes()[row]);
    view.list()->scrollTo(view.list()->model()->index(row, 0));
    view.editor()->setFocus();
    view.editor()->moveCursor(QTextCursor::End);
    QCoreApplication::processEvents();

    // Typed at about ten keys a second, so that the draft's throttled write to
    // the user defaults (at most one each half second) falls among them.
    std::vector<double> keystroke;
    for (int key = 0; key < 100; ++key) {
        QElapsedTimer pause;
        pause.start();
        while (pause.elapsed() < 100)
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 100 - int(pause.elapsed()));
        QElapsedTimer t;
        t.start();
        type(view.editor(), QLatin1Char('a' + key % 26));
        // The row's repaint and the editor's own happen in this pass.
        QCoreApplication::processEvents();
        keystroke.push_back(t.nsecsElapsed() / 1e6);
    }
    const auto saved = store->fetch({ Entity::Note, { { "id", state.note.id() } }, {}, 1 });
    std::printf("one keystroke in an open note, %d notes: median %.3f ms, slowest %.3f ms (note now %lld "
                "characters)\n",
        notes, medianOf(keystroke), *std::max_element(keystroke.begin(), keystroke.end()),
        saved && !saved->empty() ? qlonglong(saved->front().text("content")->size()) : -1LL);
    QElapsedTimer write;
    write.start();
    UserDefaults::setValue(QStringLiteral("note_content"), QStringLiteral("draft"));
    std::printf("one write of the draft to the user defaults (at most each 0.5 s of typing): %.3f ms\n",
        write.nsecsElapsed() / 1e6);
    return 0;
}
