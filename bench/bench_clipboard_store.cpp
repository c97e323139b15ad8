// Not a timing: fills a clipboard history store for bench/compare, so that
// the real program can be measured with 10 000 stored texts. The texts are
// 200 characters, 50 a day over the days before now, with the clipboard
// tool marked installed as the tool list does.
//
//   bench_clipboard_store <store file> <count>
#include "state/PasteboardRecord.h"
#include "state/Persistence.h"
#include "state/UserDefaults.h"
#include "tools/PasteboardQueries.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QTemporaryDir>

#include <cstdio>

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    if (argc != 3) {
        std::fprintf(stderr, "usage: bench_clipboard_store <store file> <count>\n");
        return 2;
    }
    QTemporaryDir dir;
    UserDefaults::useFile(dir.filePath(QStringLiteral("defaults.conf")));
    QString error;
    auto store = PersistenceController::open(QString::fromLocal8Bit(argv[1]), &error);
    if (!store) {
        std::fprintf(stderr, "no store: %s\n", qPrintable(error));
        return 1;
    }
    store->insert(Entity::Plugins, { { "name", QStringLiteral("Pasteboard") }, { "installed", true } });
    const int count = std::atoi(argv[2]);
    constexpr int perDay = 50;
    const QDateTime now = QDateTime::currentDateTime();
    for (int n = 0; n < count;) {
        const QDateTime day = now.addDays(-(count - 1 - n) / perDay);
        for (int i = 0; i < perDay && n < count; ++i, ++n) {
            const QDateTime when = day.addSecs(-60 * (perDay - i));
            // Distinct texts of exactly 200 characters.
            const QString text = QStringLiteral("stored copy %1 ").arg(n, 6, 10, QLatin1Char('0'));
            store->insert(Entity::Pasteboard,
                { { pasteboardField::text, text + QString(200 - text.size(), QLatin1Char('a' + n % 26)) },
                    { pasteboardField::category, pasteboardDay(when) }, { pasteboardField::create, when },
                    { pasteboardField::isImage, false },
                    { pasteboardField::fromAppName, QStringLiteral("XTerm") },
                    { pasteboardField::uuid, QString::number(n) } });
        }
        if (!store->save()) {
            std::fprintf(stderr, "the store could not be saved\n");
            return 1;
        }
        setPasteboardClock([day] { return day; });
        ensurePasteboardCategory(pasteboardDay(day), *store);
    }
    std::printf("stored %d\n", count);
    return 0;
}
