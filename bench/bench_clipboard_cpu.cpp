// The clipboard history's cost in CPU time, what a day of copying costs the
// machine: with 10 000 texts and 50 pictures stored, 1000 text copies and
// 100 full-HD PNG copies (CPU seconds of the whole process, every thread),
// and the history panel's first pixels after its hot key. Targets: 0.5 CPU-s,
// 3 CPU-s and 15 ms.
#include "ClipboardBench.h"
#include "state/Persistence.h"
#include "state/PasteboardRecord.h"
#include "state/AppState.h"
#include "state/UserDefaults.h"
#include "platform/fake/FakeClipboardReader.h"
#include "shell/AuxiliaryWindows.h"
#include "tools/ClipboardCapture.h"
#include "tools/PasteboardQueries.h"

#include "tests/support/XvfbSession.h"

#include <QApplication>
#include <QBuffer>
#include <QElapsedTimer>
#include <QPainter>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <vector>

namespace {

const QDateTime kToday = QDateTime(QDate(2026, 6, 30), QTime(12, 0), Qt::LocalTime);

double cpuSeconds()
{
    timespec t {};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return double(t.tv_sec) + double(t.tv_nsec) / 1e9;
}

// A full-HD screenshot-like picture, different for each `seed`, as PNG.
QByteArray screenshotPng(int seed)
{
    QImage picture(1920, 1080, QImage::Format_RGB32);
    picture.fill(QColor::fromHsv((seed * 37) % 360, 60, 230));
    QPainter painter(&picture);
    for (int i = 0; i < 40; ++i) {
        painter.fillRect((i * 97 + seed * 13) % 1800, (i * 53 + seed * 7) % 1000, 120, 24,
            QColor::fromHsv((i * 29) % 360, 120, 120));
        painter.drawText(40, 30 + i * 25, QStringLiteral("line %1 of window %2").arg(i).arg(seed));
    }
    painter.end();
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    picture.save(&buffer, "PNG");
    return png;
}

} // namespace

int main(int argc, char** argv)
{
    QTemporaryDir home;
    qputenv("XDG_DATA_HOME", home.filePath(QStringLiteral("data home")).toUtf8());
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    UserDefaults::useFile(home.filePath(QStringLiteral("defaults.conf")));
    if (PersistenceController::openShared())
        return 1;
    PersistenceController& store = PersistenceController::shared();
    BenchClipboard clip(kToday);
    QDateTime& now = clip.now;
    platform::fake::FakeClipboardReader& reader = clip.reader;

    // 10 000 texts over 35 days, then 50 pictures captured as a user would.
    const QString body(200, u'x');
    for (int i = 0; i < 10000; ++i) {
        const QDateTime when = kToday.addSecs(-qint64(i) * 300);
        store.insert(Entity::Pasteboard,
            { { pasteboardField::text, body + QString::number(i) },
                { pasteboardField::category, pasteboardDay(when) }, { pasteboardField::create, when },
                { pasteboardField::fromAppName, QStringLiteral("Editor") } });
    }
    store.save();
    for (int d = 0; d * 288 < 10000; ++d)
        ensurePasteboardCategory(pasteboardDay(kToday.addDays(-d)), store);
    const bool textOnly = argc > 1 && QByteArray(argv[1]) == "text";
    std::vector<QByteArray> pictures;
    for (int i = 0; i < (textOnly ? 0 : 150); ++i)
        pictures.push_back(screenshotPng(i));
    for (int i = 0; i < (textOnly ? 0 : 50); ++i) {
        reader.offered = { { QStringLiteral("image/png"), pictures[size_t(i)] } };
        now = now.addSecs(1);
        captureOnce();
    }

    double start = cpuSeconds();
    int stored = 0;
    for (int i = 0; i < 1000; ++i) {
        reader.setText(QStringLiteral("copied text number %1").arg(i));
        now = now.addSecs(1);
        stored += captureOnce();
    }
    std::printf("1000 text copies: %.3f CPU-s (%d stored; target 0.5)\n", cpuSeconds() - start, stored);

    // "text" as the argument: the text copies alone (for a profiler).
    if (textOnly)
        return 0;
    start = cpuSeconds();
    stored = 0;
    for (int i = 50; i < 150; ++i) {
        reader.offered = { { QStringLiteral("image/png"), pictures[size_t(i)] } };
        now = now.addSecs(1);
        stored += captureOnce();
    }
    std::printf("100 full-HD PNG copies: %.3f CPU-s (%d stored; target 3)\n", cpuSeconds() - start, stored);

    std::vector<double> firstPixels;
    for (int run = 0; run < 15; ++run) {
        QElapsedTimer t;
        t.start();
        QWidget* window = showPasteboardWindow();
        window->grab();
        firstPixels.push_back(t.nsecsElapsed() / 1e6);
        window->close();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
    std::printf(
        "history panel first pixels after its hot key: median %.2f ms (target 15)\n", medianOf(firstPixels));
    return 0;
}
