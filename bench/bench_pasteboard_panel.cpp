// The clipboard panel's first paint with 10 000 stored entries (50 a day over
// 200 days, 30 day tabs), and the "Mark" tab with 5 000 marked entries: time
// from the request to the painted panel, and the memory the tab adds. Runs on
// Qt's offscreen platform unless another is asked for.
#include "BenchFigures.h"
#include "state/Persistence.h"
#include "state/PasteboardRecord.h"
#include "state/AppState.h"
#include "state/UserDefaults.h"
#include "tools/PasteBoardView.h"
#include "tools/PasteboardQueries.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

const QDateTime kToday = QDateTime(QDate(2026, 6, 30), QTime(20, 0), Qt::LocalTime);

double rssMb()
{
    QFile statm(QStringLiteral("/proc/self/statm"));
    if (!statm.open(QIODevice::ReadOnly))
        return 0;
    const QList<QByteArray> fields = statm.readAll().split(' ');
    return fields.size() > 1 ? fields[1].toDouble() * 4096.0 / (1024 * 1024) : 0;
}

void fill(PersistenceController& store, int days, int perDay, int marked)
{
    int n = 0;
    for (int d = days - 1; d >= 0; --d) {
        const QDateTime day = kToday.addDays(-d);
        for (int i = 0; i < perDay; ++i, ++n) {
            const QDateTime when = day.addSecs(-60 * i);
            store.insert(Entity::Pasteboard,
                { { pasteboardField::text, QStringLiteral("copied text %1").arg(n) },
                    { pasteboardField::category, pasteboardDay(when) }, { pasteboardField::create, when },
                    { pasteboardField::isMark, n < marked },
                    { pasteboardField::fromAppName, QStringLiteral("Editor") },
                    { pasteboardField::uuid, QString::number(n) } });
        }
        store.save();
        setPasteboardClock([day] { return day; });
        ensurePasteboardCategory(pasteboardDay(day), store);
    }
    setPasteboardClock([] { return kToday; });
}

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QTemporaryDir dir;
    UserDefaults::useFile(dir.filePath(QStringLiteral("defaults.conf")));
    QString error;
    auto store = PersistenceController::open(dir.filePath(QStringLiteral("Favorite.sqlite")), &error);
    if (!store) {
        std::fprintf(stderr, "no store: %s\n", qPrintable(error));
        return 1;
    }
    fill(*store, 200, 50, 5000);
    AppState state;

    std::vector<double> firstPaint;
    for (int run = 0; run < 15; ++run) {
        QElapsedTimer t;
        t.start();
        PasteBoardView view(state, 5, 5000, *store);
        view.resize(1600, 400);
        view.show();
        view.grab();
        firstPaint.push_back(t.nsecsElapsed() / 1e6);
    }
    std::printf("first paint, 10 000 stored, 50 today: median %.2f ms\n", medianOf(firstPaint));

    std::vector<double> markTab;
    double rssGrowth = 0;
    for (int run = 0; run < 7; ++run) {
        PasteBoardView view(state, 5, 5000, *store);
        view.resize(1600, 400);
        view.show();
        view.grab();
        const double before = rssMb();
        QElapsedTimer t;
        t.start();
        view.showMarked();
        view.grab();
        markTab.push_back(t.nsecsElapsed() / 1e6);
        rssGrowth = std::max(rssGrowth, rssMb() - before);
        if (run == 0)
            std::printf(
                "\"Mark\" tab: %zu entries, %d cards made\n", view.model().items().size(), view.cardsMade());
    }
    std::printf(
        "\"Mark\" tab, 5 000 marked: median %.2f ms, RSS +%.1f MB at most\n", medianOf(markTab), rssGrowth);
    return 0;
}
