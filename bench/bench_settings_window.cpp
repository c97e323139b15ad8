// The settings window with its six pages: time from the request to the
// painted window on "General", and each page's own first paint when its tab
// is chosen; prints the slowest page. Target: open to first paint within
// 150 ms. Runs on Qt's offscreen platform unless another is asked for.
#include "BenchFigures.h"
#include "state/Persistence.h"
#include "state/AppState.h"
#include "state/UserDefaults.h"
#include "settings/GeneralConfig.h"
#include "shell/AuxiliaryWindows.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <map>
#include <vector>

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QTemporaryDir dir;
    qputenv("XDG_DATA_HOME", dir.filePath(QStringLiteral("data")).toUtf8());
    qputenv("XDG_CONFIG_HOME", dir.filePath(QStringLiteral("config")).toUtf8());
    QApplication app(argc, argv);
    // Only the figures: the pages' own log lines and the offscreen
    // platform's notices would bury them.
    qInstallMessageHandler([](QtMsgType, const QMessageLogContext&, const QString&) {});
    UserDefaults::useFile(dir.filePath(QStringLiteral("defaults.conf")));
    UserDefaults::setValue(QStringLiteral("firstInstalled"), false);
    if (const auto error = PersistenceController::openShared()) {
        std::fprintf(stderr, "no store: %s\n", qPrintable(*error));
        return 1;
    }
    AppState::shared();

    std::vector<double> opened;
    std::vector<double> everyPage;
    std::map<int, std::vector<double>> pages;
    for (int run = 0; run < 15; ++run) {
        QElapsedTimer t;
        t.start();
        CustomWindow* window = openSettingsWindow();
        window->grab();
        opened.push_back(t.nsecsElapsed() / 1e6);

        double total = opened.back();
        auto* tabs = window->findChild<GeneralConfig*>();
        for (int i = 1; i < tabs->count(); ++i) {
            QElapsedTimer page;
            page.start();
            tabs->setCurrentIndex(i);
            window->grab();
            pages[i].push_back(page.nsecsElapsed() / 1e6);
            total += pages[i].back();
        }
        everyPage.push_back(total);
        window->close();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
    std::printf("settings window, open to first paint (six pages made, General shown): median %.2f ms, "
                "target 150 ms\n",
        medianOf(opened));
    std::printf("open, then each of the other five pages shown once: median %.2f ms\n", medianOf(everyPage));
    int slowest = 1;
    for (const auto& [index, times] : pages) {
        std::printf("  page %-8s first shown: median %.2f ms\n", qPrintable(settingsTabs()[index].title),
            medianOf(times));
        if (medianOf(times) > medianOf(pages[slowest]))
            slowest = index;
    }
    std::printf(
        "slowest page: %s, %.2f ms\n", qPrintable(settingsTabs()[slowest].title), medianOf(pages[slowest]));
    return 0;
}
