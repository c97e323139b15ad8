// The clipboard history at size: a text and a full-HD picture captured with
// 100 000 records stored (how long in all, how long on the main thread), the
// panel's queries over those records with their query plans, and how much
// the store grows per 10 000 texts.
#include "ClipboardBench.h"
#include "state/PasteboardRecord.h"
#include "state/Persistence.h"
#include "platform/fake/FakeClipboardReader.h"
#include "tools/ClipboardCapture.h"
#include "tools/PasteboardQueries.h"

#include "tests/support/XvfbSession.h"
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QPainter>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

template <class F> double timedMs(F&& f)
{
    QElapsedTimer t;
    t.start();
    f();
    return t.nsecsElapsed() / 1e6;
}

const QDateTime kToday = QDateTime(QDate(2026, 6, 30), QTime(12, 0), Qt::LocalTime);

// `count` texts of 200 characters spread over the days before kToday (and
// some of today), every hundredth marked.
void fill(PersistenceController& store, int count)
{
    const QString body(200, u'x');
    for (int i = 0; i < count; ++i) {
        const QDateTime when = kToday.addSecs(-qint64(i) * 300);
        store.insert(Entity::Pasteboard,
            { { pasteboardField::text, body + QString::number(i) },
                { pasteboardField::category, pasteboardDay(when) }, { pasteboardField::create, when },
                { pasteboardField::isMark, i % 100 == 0 },
                { pasteboardField::fromAppName, QStringLiteral("Editor") } });
        if (i % 5000 == 4999)
            store.save();
    }
    store.save();
    for (int d = 0; d * 288 < count; ++d)
        ensurePasteboardCategory(pasteboardDay(kToday.addDays(-d)), store);
}

qint64 storeBytes(const QString& path)
{
    return QFileInfo(path).size() + QFileInfo(path + QStringLiteral("-wal")).size();
}

void explain(const QString& path, const QString& sql)
{
    {
        auto db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("explain"));
        db.setDatabaseName(path);
        db.open();
        QSqlQuery q(db);
        q.exec(QStringLiteral("EXPLAIN QUERY PLAN ") + sql);
        std::printf("  plan of %s\n", qPrintable(sql));
        while (q.next())
            std::printf("    %s\n", qPrintable(q.value(3).toString()));
    }
    QSqlDatabase::removeDatabase(QStringLiteral("explain"));
}

} // namespace

int main(int argc, char** argv)
{
    QTemporaryDir home;
    qputenv("XDG_DATA_HOME", home.filePath(QStringLiteral("data home")).toUtf8());
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);

    // Growth per 10 000 texts, on a store of its own.
    {
        auto store = PersistenceController::open(home.filePath(QStringLiteral("growth.sqlite")), nullptr);
        fill(*store, 100);
        const qint64 before = storeBytes(store->path());
        fill(*store, 10000);
        std::printf("store growth per 10 000 texts of 200 characters: %.2f MB\n",
            (storeBytes(store->path()) - before) / 1e6);
    }

    if (PersistenceController::openShared())
        return 1;
    PersistenceController& store = PersistenceController::shared();
    BenchClipboard clip(kToday);
    QDateTime& now = clip.now;
    platform::fake::FakeClipboardReader& reader = clip.reader;

    for (int size : { 1000, 100000 }) {
        fill(store, size - int(store.fetchAll(Entity::Pasteboard).size()));
        std::vector<double> mainMs, totalMs;
        for (int i = 0; i < 30; ++i) {
            now = now.addSecs(1);
            reader.setText(QStringLiteral("copy %1 of %2").arg(i).arg(size));
            totalMs.push_back(timedMs([] { captureOnce(); }));
            mainMs.push_back(ClipboardCapture::shared().lastMainThreadMs());
        }
        std::printf("text capture, %d records: median %.2f ms on the main thread, %.2f ms in all\n", size,
            medianOf(mainMs), medianOf(totalMs));
    }

    QImage picture(1920, 1080, QImage::Format_RGB32);
    picture.fill(Qt::darkBlue);
    QPainter(&picture).drawEllipse(200, 200, 900, 600);
    for (int i = 0; i < 3; ++i) {
        picture.setPixel(i, 0, qRgb(255, i, 0));
        reader.setImage(picture);
        now = now.addSecs(1);
        const double total = timedMs([] { captureOnce(); });
        std::printf("1920x1080 image capture: %.1f ms in all, %.2f ms on the main thread\n", total,
            ClipboardCapture::shared().lastMainThreadMs());
    }

    std::vector<double> day, names, marked;
    for (int i = 0; i < 20; ++i) {
        day.push_back(timedMs([&] { fetchPasteboards(std::nullopt, store); }));
        names.push_back(timedMs([&] { fetchPasteboardCategoryNames(store); }));
        marked.push_back(timedMs([&] { fetchMarkedPasteboards(store); }));
    }
    std::printf("over %zu records: fetchPasteboards %.3f ms, fetchPasteboardCategoryNames %.3f ms, "
                "fetchMarkedPasteboards (%zu marked) %.3f ms (medians)\n",
        store.fetchAll(Entity::Pasteboard).size(), medianOf(day), medianOf(names),
        fetchMarkedPasteboards(store).size(), medianOf(marked));
    explain(store.path(),
        QStringLiteral(
            "SELECT * FROM \"Pasteboard\" WHERE \"category\" = '2026-06-30' ORDER BY \"create\" DESC, "
            "\"_pk\" ASC LIMIT 50"));
    explain(store.path(),
        QStringLiteral(
            "SELECT * FROM \"Pasteboard\" WHERE \"isMark\" = 1 ORDER BY \"create\" DESC, \"_pk\" ASC"));
    explain(store.path(),
        QStringLiteral(
            "SELECT * FROM \"PasteboardCategory\" ORDER BY \"create\" DESC, \"_pk\" ASC LIMIT 30"));
    return 0;
}
