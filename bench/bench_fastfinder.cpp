// The folder browser on large folders: how soon the grid first paints after
// the click on a 10 000-entry folder, the longest main-thread stall while its
// icons arrive, and how long 500 large JPEGs take to get their thumbnails and
// what memory that costs.
//
// bench_fastfinder [entries=10000] [jpegs=500] [megapixels=12]

#include "state/AppState.h"
#include "state/UserDefaults.h"
#include "tools/FastFinderView.h"

#include <QApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QImage>
#include <QListView>
#include <QPainter>
#include <QTemporaryDir>
#include <QTimer>

#include <cmath>
#include <cstdio>
#include <unistd.h>

namespace {

long residentKiB()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray& line : status.readAll().split('\n'))
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').value(0).toLong();
    return 0;
}

// Measures the longest gap between turns of the main loop.
class StallMeter final : public QObject {
public:
    StallMeter()
    {
        m_timer.setInterval(1);
        connect(&m_timer, &QTimer::timeout, this, [this] {
            const qint64 now = m_clock.nsecsElapsed();
            m_longest = std::max(m_longest, now - m_last);
            m_last = now;
        });
        m_clock.start();
        m_last = 0;
        m_timer.start();
    }
    double longestMs() const { return m_longest / 1e6; }

private:
    QTimer m_timer;
    QElapsedTimer m_clock;
    qint64 m_last = 0;
    qint64 m_longest = 0;
};

void spin(const std::function<bool()>& done, int timeoutMs)
{
    QDeadlineTimer deadline(timeoutMs);
    while (!done() && !deadline.hasExpired())
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
}

FastFinderServices quietServices()
{
    FastFinderServices services;
    services.open = [](const QString&) { return true; };
    services.trackFeature = [](const QString&) {};
    return services;
}

} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int entries = argc > 1 ? atoi(argv[1]) : 10000;
    const int jpegs = argc > 2 ? atoi(argv[2]) : 500;
    const int megapixels = argc > 3 ? atoi(argv[3]) : 12;

    QTemporaryDir root;
    UserDefaults::useFile(root.filePath(QStringLiteral("defaults.conf")));
    QDir(root.path()).mkpath(QStringLiteral("home/big"));
    QDir(root.path()).mkpath(QStringLiteral("home/pictures"));
    qputenv("HOME", root.filePath(QStringLiteral("home")).toLocal8Bit());
    const char* kinds[] = { ".txt", ".pdf", ".odt", ".mp3", ".cpp", ".html", ".zip", "" };
    for (int i = 0; i < entries; ++i) {
        QFile file(
            root.filePath(QStringLiteral("home/big/file %1%2").arg(i).arg(QLatin1String(kinds[i % 8]))));
        file.open(QIODevice::WriteOnly);
    }

    AppState state;
    {
        // Opening the big folder: from the click to a painted grid.
        state.directory.currentUrl = QUrl::fromLocalFile(root.filePath(QStringLiteral("home")));
        FastFinderView view(state, { false, 1440 }, quietServices());
        view.resize(1240, 500);
        view.show();
        spin([&] { return !view.model().loading(); }, 10000);
        StallMeter stalls;
        QElapsedTimer clock;
        clock.start();
        view.model().openSidebarFolder(root.filePath(QStringLiteral("home/big")));
        bool painted = false;
        spin(
            [&] {
                if (view.model().loading())
                    return false;
                QImage frame(view.grid()->viewport()->size(), QImage::Format_ARGB32);
                QPainter painter(&frame);
                view.grid()->viewport()->render(&painter);
                painted = true;
                return true;
            },
            10000);
        const double firstPaint = clock.nsecsElapsed() / 1e6;
        // Let the icon cache fill while the user scrolls through the grid.
        for (int step = 0; step < 20; ++step) {
            view.grid()->scrollTo(view.grid()->model()->index(entries * step / 20, 0));
            QCoreApplication::processEvents();
        }
        spin([] { return false; }, 300);
        std::printf(
            "%d entries: grid first paint %.1f ms after the click (%s); longest main-thread stall %.1f ms\n",
            entries, firstPaint, painted ? "painted" : "NOT painted", stalls.longestMs());
    }

    if (jpegs > 0) {
        // One large picture, hard-linked under many names: every name is
        // decoded on its own, and the disk holds one copy.
        const int side = int(std::sqrt(megapixels * 1e6 / 12.0));
        QImage picture(side * 4, side * 3, QImage::Format_RGB32);
        QPainter painter(&picture);
        QLinearGradient gradient(0, 0, picture.width(), picture.height());
        gradient.setColorAt(0, Qt::darkBlue);
        gradient.setColorAt(1, Qt::yellow);
        painter.fillRect(picture.rect(), gradient);
        painter.end();
        const QString first = root.filePath(QStringLiteral("home/pictures/photo 0.jpg"));
        picture.save(first, "JPG", 85);
        picture = QImage();
        for (int i = 1; i < jpegs; ++i)
            ::link(QFile::encodeName(first).constData(),
                QFile::encodeName(root.filePath(QStringLiteral("home/pictures/photo %1.jpg").arg(i)))
                    .constData());

        const long before = residentKiB();
        long peak = before;
        state.directory.currentUrl = QUrl::fromLocalFile(root.filePath(QStringLiteral("home/pictures")));
        QElapsedTimer clock;
        clock.start();
        FastFinderView view(state, { false, 1440 }, quietServices());
        int arrived = 0;
        QObject::connect(&view.model(), &FastFinderModel::thumbnailArrived, [&] { ++arrived; });
        spin(
            [&] {
                peak = std::max(peak, residentKiB());
                return arrived >= jpegs;
            },
            120000);
        std::printf("%d JPEGs of %d×%d: %d thumbnails in %.2f s; memory growth %.1f MB (peak)\n", jpegs,
            side * 4, side * 3, arrived, clock.nsecsElapsed() / 1e9, (peak - before) / 1024.0);
    }
    UserDefaults::useFile(QString());
    return 0;
}
