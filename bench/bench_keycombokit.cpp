// The shortcut kit's key names: rebuilding the text -> key code map of one
// layout (103 keys) after a layout switch, and one translation with and
// without a cache hit. Layouts compiled by xkb from their names.
#include "BenchFigures.h"
#include "KeyComboKit/KCKeyCodeTranslator.h"
#include "KeyComboKit/fake/KCFakeKeyLayoutSource.h"

#include <QCoreApplication>
#include <QElapsedTimer>

#include <algorithm>
#include <cstdio>
#include <vector>

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    KCFakeKeyLayoutSource source;
    const auto ascii = [&source] { return source.currentASCIICapableKeyboardLayout(); };

    // A new translator per round: its cache is empty, as after a switch to a
    // layout not seen before.
    std::vector<double> cold;
    std::vector<double> warm;
    KCKeyCodeASCIITranslator kept(ascii);
    for (int round = 0; round < 40; ++round) {
        source.select(round % 2 ? QStringLiteral("de") : QStringLiteral("us"));
        KCKeyCodeASCIITranslator fresh(ascii);
        QElapsedTimer t;
        t.start();
        fresh.keyCodeForTranslation(QStringLiteral("a"));
        cold.push_back(t.nsecsElapsed() / 1e6);
        t.restart();
        kept.keyCodeForTranslation(QStringLiteral("a"));
        warm.push_back(t.nsecsElapsed() / 1e6);
    }

    source.select(QStringLiteral("us"));
    KCKeyCodeTranslator translator([&source] { return source.currentKeyboardLayout(); });
    translator.translateKeyCode(0, 0, 0, true);
    constexpr int rounds = 100000;
    QElapsedTimer t;
    t.start();
    for (int i = 0; i < rounds; ++i)
        translator.translateKeyCode(quint16(i % 50), 0, 0, true);
    const double hitUs = t.nsecsElapsed() / 1e3 / rounds;
    t.restart();
    for (int i = 0; i < rounds / 10; ++i)
        translator.translateKeyCode(quint16(i % 50), 0, 0, false);
    const double missUs = t.nsecsElapsed() / 1e3 / (rounds / 10);

    std::printf("reverse map rebuild, empty cache: median %.3f ms, worst %.3f ms (target < 5 ms)\n",
        medianOf(cold), *std::max_element(cold.begin(), cold.end()));
    std::printf("reverse map rebuild, layout seen before: median %.3f ms\n", medianOf(warm));
    std::printf("translation, cache hit: %.3f us (target < 2 us)\n", hitUs);
    std::printf("translation, no cache: %.3f us\n", missUs);
    return 0;
}
