#pragma once

#include <QByteArray>
#include <QImage>
#include <QObject>
#include <QString>
#include <QStringList>

#include <functional>
#include <memory>
#include <optional>

namespace platform {

// What one read of the CLIPBOARD selection may bring home. Anything larger
// is refused before it is decoded, so a huge copy costs neither memory nor
// time in the reader's caller.
struct ClipboardLimits {
    qint64 maxTextBytes = 4 * 1024 * 1024;
    qint64 maxImagePixels = 50'000'000;
};

struct ClipboardRead {
    enum class Outcome {
        Text, // `text` holds the plain text
        Image, // `imageData` holds the picture as offered
        Empty, // no owner, or nothing offered as text or picture
        Secret, // the owner marked the content secret (password managers)
        TooLarge, // over the limits; `detail` says what and how big
        NoAnswer, // the owner did not answer in time, or the display failed
    };
    Outcome outcome = Outcome::Empty;
    QString text;
    // The picture's bytes exactly as the owner offered them, in
    // `imageFormat` ("png", "bmp", ...), of `imageSize` as its header says.
    // Not decoded here: the caller decodes only what it needs.
    QByteArray imageData;
    QByteArray imageFormat;
    QSize imageSize;
    // For the log only: never the content itself.
    QString detail;

    // The window that owned CLIPBOARD at the read, which the copy is
    // credited to. `ownerKnown` is false when the reader cannot tell owners;
    // `ownerPid` is its _NET_WM_PID, else the process of its X client;
    // `ownerClass` the class part of its WM_CLASS.
    bool ownerKnown = false;
    std::optional<qint64> ownerPid;
    QString ownerClass;
};

// Fetches the data of one offered target; nothing when the owner refuses or
// does not answer.
using FetchClipboardTarget = std::function<std::optional<QByteArray>(const QString& target)>;

// The one reading rule for every implementation, given the owner's offered
// targets (MIME types and X11 target names) and a way to fetch one: a secret
// hint ("x-kde-passwordManagerHint" = "secret") ends the read first; then a
// picture (PNG preferred) when one is offered and its header reads; else
// plain text (the UTF-8 forms before Latin-1 "STRING").
ClipboardRead readClipboardTargets(
    const QStringList& targets, const FetchClipboardTarget& fetch, const ClipboardLimits& limits);

// How long an owner may take over one answer before the read is given up.
inline constexpr int kClipboardAnswerTimeoutMs = 1000;

// Reads the CLIPBOARD selection (never PRIMARY) without blocking the caller:
// read() returns at once and `done` runs later on `context`'s thread, never
// inside read(). Reads run one after the other in the order asked. `context`
// must outlive the reader (the capture's lives as long as the process).
class ClipboardReader {
public:
    virtual ~ClipboardReader() = default;
    virtual void read(
        const ClipboardLimits& limits, QObject* context, std::function<void(ClipboardRead)> done)
        = 0;
};

// The reader installed with the platform's services (platform/Services.h);
// nullptr when none is.
ClipboardReader* clipboardReader();

} // namespace platform
