#pragma once

#include "platform/Clipboard.h"

#include <QMap>

namespace platform::fake {

// A scripted CLIPBOARD owner: tests set what it offers, by target name, and
// whether it answers at all. Answers arrive queued, as the real reader's do.
class FakeClipboardReader final : public ClipboardReader {
public:
    void read(
        const ClipboardLimits& limits, QObject* context, std::function<void(ClipboardRead)> done) override;

    void setText(const QString& text);
    // Offered as PNG.
    void setImage(const QImage& image);
    void clear() { offered.clear(); }

    QMap<QString, QByteArray> offered;
    bool answers = true;
    // The owner the reads name, when `namesOwner` (as the X11 reader does).
    bool namesOwner = false;
    std::optional<qint64> ownerPid;
    QString ownerClass;
    int reads = 0;
};

} // namespace platform::fake
