#include "tools/ClipboardCapture.h"

#include "state/AppState.h"
#include "state/ImageFiles.h"
#include "state/PasteboardRecord.h"
#include "state/PrivateFiles.h"
#include "state/RandomString.h"
#include "apps/ActiveApp.h"
#include "apps/RunningApps.h"
#include "apps/SupportFolder.h"
#include "apps/WindowClickTracking.h"
#include "tools/PasteboardQueries.h"

#include "platform/KeyCodes.h"

#include <QBuffer>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QImageReader>
#include <QLoggingCategory>
#include <QThreadPool>

#include <algorithm>
#include <cmath>

Q_LOGGING_CATEGORY(lcClipboard, "orbitshelf.tools.clipboard")

namespace {

constexpr qint64 kSourceClickMinAgeMs = 500;
constexpr QSize kIconSize { 64, 64 };
constexpr QSizeF kThumbnailSize { 128, 100 };

QString iconNameOf(const ActiveApp& app)
{
    if (app.bundleIdentifier && !app.bundleIdentifier->isEmpty()) {
        QString id = *app.bundleIdentifier;
        if (id.endsWith(QLatin1String(".desktop")))
            id.chop(8);
        return id;
    }
    if (app.app && app.app->executablePath && !app.app->executablePath->isEmpty())
        return QFileInfo(*app.app->executablePath).fileName();
    if (app.appBundleName && !app.appBundleName->isEmpty())
        return *app.appBundleName;
    return app.appName.value_or(QString());
}

// Measures the main thread's share of a capture across its steps.
class MainThreadTime final {
public:
    explicit MainThreadTime(double& total)
        : m_total(total)
    {
        m_timer.start();
    }
    ~MainThreadTime() { m_total += m_timer.nsecsElapsed() / 1e6; }

private:
    double& m_total;
    QElapsedTimer m_timer;
};

bool samePixels(const QImage& a, const QImage& b)
{
    if (a.isNull() || b.isNull() || a.size() != b.size())
        return false;
    return a.convertToFormat(QImage::Format_ARGB32) == b.convertToFormat(QImage::Format_ARGB32);
}

QImage decodeImage(const QByteArray& data, const QByteArray& format, const QSize& scaledTo = {})
{
    QBuffer buffer;
    buffer.setData(data);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer, format);
    if (scaledTo.isValid())
        reader.setScaledSize(scaledTo);
    return reader.read();
}

// The thumbnail, of clipboardThumbnailSize. A large picture is first thinned
// by sampling to four times the thumbnail: smoothing all of a full-HD
// picture down costs more than its decoding.
QImage thumbnailOf(const QImage& decoded)
{
    if (decoded.isNull())
        return {};
    const QSize size = clipboardThumbnailSize(decoded.size());
    const QSize sampled = size * 4;
    if (decoded.width() > sampled.width() && decoded.height() > sampled.height())
        return resized(decoded.scaled(sampled, Qt::IgnoreAspectRatio, Qt::FastTransformation), size);
    return resized(decoded, size);
}

// The copy as the history keeps it: a PNG exactly as offered (no second
// encoding), other formats decoded and encoded as PNG once.
QByteArray pngOf(const platform::ClipboardRead& read)
{
    if (read.imageFormat == "png")
        return read.imageData;
    const QImage image = decodeImage(read.imageData, read.imageFormat);
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    if (image.isNull() || !image.save(&buffer, "PNG"))
        return {};
    return png;
}

// Whether the copy repeats the newest stored picture. The small thumbnails
// are compared first, so a different picture costs no full decode.
bool repeatsStored(const QByteArray& png, const QImage& thumbnail, const QString& storedFull)
{
    QFile stored(storedFull);
    if (!stored.open(QIODevice::ReadOnly))
        return false; // a stored picture that cannot be read counts as different
    if (stored.size() == png.size() && stored.readAll() == png)
        return true;
    const QString storedThumbnail = pasteboardThumbnailPath(storedFull);
    if (!storedThumbnail.isEmpty() && QFileInfo::exists(storedThumbnail)
        && !samePixels(QImage(storedThumbnail), thumbnail))
        return false;
    return samePixels(QImage(storedFull), decodeImage(png, "png"));
}

// The picture's two files under a fresh name: the full-size one first, the
// thumbnail only when that succeeded, and neither left behind on a failure.
struct WrittenImage {
    QString name; // the random part
    QString fullPath;
    QString thumbnailPath;
};
std::optional<WrittenImage> writeImageFiles(
    const QByteArray& png, const QImage& thumbnail, const QString& folder)
{
    WrittenImage w;
    // A fresh name never replaces a file of an older record.
    for (int attempt = 0; attempt < 8; ++attempt) {
        w.name = randomAlphanumericString(10);
        w.fullPath = folder + QLatin1Char('/') + pasteboardImageFileName(w.name);
        w.thumbnailPath = pasteboardThumbnailPath(w.fullPath);
        if (!QFileInfo::exists(w.fullPath) && !QFileInfo::exists(w.thumbnailPath))
            break;
        w.name.clear();
    }
    if (w.name.isEmpty())
        return std::nullopt;
    if (!savePrivateFile(png, w.fullPath))
        return std::nullopt;
    if (!savePNG(thumbnail, w.thumbnailPath)) {
        QFile::remove(w.fullPath);
        return std::nullopt;
    }
    return w;
}

QThreadPool& imagePool()
{
    // The clipboard's own thread: nothing else queued on a shared pool (a
    // folder that hangs, say) can hold a copy back.
    static QThreadPool* pool = [] {
        auto* p = new QThreadPool;
        p->setMaxThreadCount(1);
        return p;
    }();
    return *pool;
}

CopySource sourceOfApp(const ActiveApp& app, qint64 pid)
{
    CopySource source;
    source.appName = app.appName.value_or(QString());
    if (!app.icon.isNull()) {
        source.icon = resized(app.icon.pixmap(kIconSize).toImage(), kIconSize);
        source.iconName = iconNameOf(app);
        if (source.iconName.isEmpty())
            source.iconName = QString::number(pid);
    }
    return source;
}

} // namespace

QSize clipboardThumbnailSize(const QSize& picture)
{
    const QSize box = kThumbnailSize.toSize();
    if (picture.width() < 1 || picture.height() < 1)
        return {};
    const double scale = std::min(double(box.width()) / picture.width(), double(box.height()) / picture.height());
    return QSize(std::max(1, int(std::lround(picture.width() * scale))),
        std::max(1, int(std::lround(picture.height() * scale))));
}

CopySource copySourceOf(const std::deque<WindowClickedOrder>& clicks, const QDateTime& now)
{
    CopySource source;
    const WindowClickedOrder* chosen = nullptr;
    for (auto it = clicks.rbegin(); it != clicks.rend(); ++it) {
        if (it->time.msecsTo(now) >= kSourceClickMinAgeMs) {
            chosen = &*it;
            break;
        }
    }
    if (!chosen || chosen->windowNum <= 0)
        return source;
    const auto window = findWindowByNumber(chosen->windowNum);
    if (!window || !window->appId)
        return source;
    const auto app = AppState::shared().allApps.value(*window->appId);
    return app ? sourceOfApp(*app, *window->appId) : source;
}

CopySource copySourceOfOwner(const std::optional<qint64>& pid, const QString& windowClass)
{
    const auto& apps = AppState::shared().allApps;
    if (pid) {
        if (const auto app = apps.value(ProcessId(*pid)))
            return sourceOfApp(*app, *pid);
    }
    if (windowClass.isEmpty())
        return {};
    // The names the bar knows an application by, as its class may spell them.
    const auto named = [&](const std::optional<QString>& name) {
        if (!name || name->isEmpty())
            return false;
        QString id = *name;
        if (id.endsWith(QLatin1String(".desktop")))
            id.chop(8);
        return id.compare(windowClass, Qt::CaseInsensitive) == 0
            || id.section(QLatin1Char('.'), -1).compare(windowClass, Qt::CaseInsensitive) == 0;
    };
    for (auto it = apps.cbegin(); it != apps.cend(); ++it) {
        const ActiveApp& app = **it;
        if (named(app.appName) || named(app.bundleIdentifier)
            || (app.app && (named(app.app->localizedName) || named(app.app->iconName))))
            return sourceOfApp(app, it.key());
    }
    return {};
}

bool isCopyGesture(const QString& c, quint16 keyCode, quint64 flags)
{
    using namespace platform;
    if (flags & appkit::command) {
        if (c == QLatin1String("c") || c == QLatin1String("C") || c == QLatin1String("x")
            || c == QLatin1String("X"))
            return true;
        if (keyCode == keycode::help)
            return true;
    }
    return (flags & appkit::shift) && keyCode == keycode::forwardDelete;
}

ClipboardCapture& ClipboardCapture::shared()
{
    // Lives as long as the process: reads and picture work still under way
    // at exit post their answers to it.
    static ClipboardCapture* capture = new ClipboardCapture;
    return *capture;
}

void ClipboardCapture::capture()
{
    if (m_busy) {
        m_again = true;
        return;
    }
    platform::ClipboardReader* reader = platform::clipboardReader();
    if (!reader) {
        qCWarning(lcClipboard) << "no clipboard reader on this desktop; the copy was not kept";
        emit finished(false);
        return;
    }
    m_busy = true;
    m_mainThreadMs = 0;
    CopySource source;
    {
        MainThreadTime timed(m_mainThreadMs);
        source = copySourceOf(windowClickOrder(), pasteboardNow());
    }
    // Not timed: the desktop's reader only queues the read (a scripted one
    // may answer in place).
    reader->read(platform::ClipboardLimits {}, this,
        [this, source](const platform::ClipboardRead& read) { onRead(source, read); });
}

void ClipboardCapture::onRead(const CopySource& clickedSource, const platform::ClipboardRead& read)
{
    MainThreadTime timed(m_mainThreadMs);
    using Outcome = platform::ClipboardRead::Outcome;
    switch (read.outcome) {
    case Outcome::Secret:
        qCInfo(lcClipboard) << "a copy marked secret was not kept";
        return finish(false);
    case Outcome::TooLarge:
        qCInfo(lcClipboard).noquote() << "a copy too large to keep was left out:" << read.detail;
        return finish(false);
    case Outcome::NoAnswer:
        qCWarning(lcClipboard).noquote() << "the clipboard could not be read:" << read.detail;
        return finish(false);
    case Outcome::Empty:
        return finish(false);
    case Outcome::Text:
    case Outcome::Image:
        break;
    }
    if (!appSupportFolderPath()) {
        qCWarning(lcClipboard) << "no support folder; the copy was not kept";
        return finish(false);
    }
    // The program that holds the clipboard made the copy; the window last
    // clicked is only a guess, for a reader that cannot name owners.
    const CopySource source
        = read.ownerKnown ? copySourceOfOwner(read.ownerPid, read.ownerClass) : clickedSource;
    const QDateTime now = pasteboardNow();
    if (read.outcome == Outcome::Image)
        storeImage(read, source, now);
    else
        storeText(read.text, source, now);
}

void ClipboardCapture::storeText(const QString& copied, const CopySource& source, const QDateTime& now)
{
    const QString text = trimmedPasteboardText(copied);
    if (text.isEmpty())
        return finish(false);
    if (const auto newest = newestPasteboard(pasteboardDay(now))) {
        const auto last = newest->text(pasteboardField::text);
        if (last
            && last->normalized(QString::NormalizationForm_C)
                == text.normalized(QString::NormalizationForm_C))
            return finish(false);
    }
    insertRecord({ { pasteboardField::uuid, randomAlphanumericString(10) }, { pasteboardField::text, text },
                     { pasteboardField::isImage, false } },
        source, now, {});
}

void ClipboardCapture::storeImage(
    const platform::ClipboardRead& read, const CopySource& source, const QDateTime& now)
{
    std::optional<QString> newestImage;
    const auto newest = newestPasteboard(pasteboardDay(now));
    if (newest && newest->flag(pasteboardField::isImage))
        newestImage = localPathFromStored(newest->text(pasteboardField::image).value_or(QString()));
    const QString folder = *appSupportFolderPath();

    // Decoding a large copy takes far longer than a frame; the main thread
    // only gets the outcome.
    imagePool().start([this, read, newestImage, folder, source, now] {
        const QByteArray png = pngOf(read);
        // One decode, scaled down to the thumbnail: the picture's
        // check and its small copy at once.
        const QImage thumbnail = png.isEmpty() ? QImage() : thumbnailOf(decodeImage(png, "png"));
        const bool decodes = !thumbnail.isNull();
        const bool repeated = decodes && newestImage && repeatsStored(png, thumbnail, *newestImage);
        const auto written = !decodes || repeated ? std::nullopt : writeImageFiles(png, thumbnail, folder);
        QMetaObject::invokeMethod(
            this,
            [this, decodes, repeated, written, source, now] {
                MainThreadTime timed(m_mainThreadMs);
                if (repeated)
                    return finish(false);
                if (!decodes) {
                    qCWarning(lcClipboard) << "the copied image does not decode; it was not kept";
                    return finish(false);
                }
                if (!written) {
                    qCWarning(lcClipboard) << "the copied image could not be written; it was not kept";
                    return finish(false);
                }
                insertRecord(
                    { { pasteboardField::uuid, written->name },
                        { pasteboardField::image, storedPathOf(QUrl::fromLocalFile(written->fullPath)) },
                        { pasteboardField::isImage, true } },
                    source, now, { written->fullPath, written->thumbnailPath });
            },
            Qt::QueuedConnection);
    });
}

void ClipboardCapture::insertRecord(
    QVariantMap values, const CopySource& source, const QDateTime& now, const QStringList& files)
{
    values.insert(pasteboardField::create, now);
    // Always set, "" when unknown: a null text would be stored as absent.
    values.insert(
        pasteboardField::fromAppName, source.appName.isNull() ? QStringLiteral("") : source.appName);
    const QString day = pasteboardDay(now);
    values.insert(pasteboardField::category, day);
    if (!source.icon.isNull()) {
        const auto url = appSupportDirectory(pasteboardAppIconFileName(source.iconName));
        if (url && savePNG(source.icon, url->toLocalFile()))
            values.insert(pasteboardField::fromAppImage, storedPathOf(*url));
    }
    PersistenceController& store = PersistenceController::shared();
    const bool stored = store.insert(Entity::Pasteboard, values) && store.save();
    if (!stored) {
        qCWarning(lcClipboard) << "the copy could not be saved; its files were removed";
        for (const QString& f : files)
            QFile::remove(f);
    }
    ensurePasteboardCategory(day);
    finish(stored);
}

void ClipboardCapture::finish(bool stored)
{
    m_busy = false;
    emit finished(stored);
    if (m_again) {
        m_again = false;
        capture();
    }
}

void captureClipboard()
{
    ClipboardCapture::shared().capture();
}
