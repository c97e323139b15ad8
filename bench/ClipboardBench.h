#pragma once

// What the clipboard benchmarks share: one capture run to its end, and a
// median.
#include "BenchFigures.h"
#include "platform/fake/FakeClipboardReader.h"
#include "platform/fake/FakeServices.h"
#include "tools/ClipboardCapture.h"
#include "tools/PasteboardQueries.h"

#include "tests/support/XvfbSession.h"

#include <algorithm>
#include <optional>
#include <vector>

// Runs one capture to its end; whether it stored a record.
inline bool captureOnce()
{
    std::optional<bool> stored;
    const auto c = QObject::connect(
        &ClipboardCapture::shared(), &ClipboardCapture::finished, [&](bool s) { stored = s; });
    captureClipboard();
    orbitshelf::test::waitUntil(
        [&] { return stored.has_value(); }, std::chrono::seconds(30), std::chrono::milliseconds(0));
    QObject::disconnect(c);
    return stored.value_or(false);
}

// A scripted clipboard installed for the capture, on a clock the benchmark
// moves.
struct BenchClipboard {
    platform::fake::FakeClipboardReader reader;
    QDateTime now;
    explicit BenchClipboard(const QDateTime& start)
        : now(start)
    {
        setPasteboardClock([this] { return now; });
        platform::Services services = platform::fake::services();
        services.clipboardReader = platform::fake::lent(reader);
        platform::install(std::move(services));
    }
    ~BenchClipboard()
    {
        platform::uninstall();
        setPasteboardClock({});
    }
};
