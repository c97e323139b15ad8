#pragma once

#include "apps/WindowClickedOrder.h"
#include "platform/Clipboard.h"

#include <QDateTime>
#include <QImage>
#include <QObject>
#include <QString>

#include <deque>
#include <optional>

// Where a copy came from, as far as the bar knows it.
struct CopySource {
    // The application's name; "" when the copy's window is unknown.
    QString appName;
    // Its icon at 64 by 64; null when there is none.
    QImage icon;
    // Names the icon's file: the desktop-file id, else the executable's name,
    // so a pid reused by another program never changes old records' icons.
    QString iconName;
};

// The source of a copy made at `now`: the window of the newest click at
// least 0.5 s old (a younger click is the gesture itself or later), looked up
// in the bar's model. A window or application that is gone gives an unknown
// source, never a lost copy. Main thread (it reads the model).
CopySource copySourceOf(const std::deque<WindowClickedOrder>& clicks, const QDateTime& now);

// The source of a copy whose clipboard owner is known: the application of
// the owner's process, else the one its window class names; unknown ("")
// when neither is one the bar knows (a helper such as xclip).
CopySource copySourceOfOwner(const std::optional<qint64>& pid, const QString& windowClass);

// Whether a key press in another program copies or cuts: Command (Control
// here) with "c" or "x" in either case (Ctrl+Shift+C in terminals too),
// Command with Insert, or Shift with Delete.
bool isCopyGesture(const QString& charactersIgnoringModifiers, quint16 keyCode, quint64 modifierFlags);

// The size of a copied picture's thumbnail: the picture's shape, as large as
// fits into 128 × 100 (never below one pixel a side). Empty for an empty
// picture.
QSize clipboardThumbnailSize(const QSize& picture);

// Keeps what the user copied elsewhere as one `Pasteboard` record of the day,
// unless it repeats the day's newest record, credited to the program that
// owns the clipboard. The read of the clipboard and
// the work on a picture (its comparison and its two files) run off the main
// thread; the main thread only looks up the source, writes the small icon
// file and the record. Captures run one at a time; a trigger during one is
// run after it.
class ClipboardCapture final : public QObject {
    Q_OBJECT
public:
    static ClipboardCapture& shared();

    void capture();
    bool busy() const { return m_busy; }
    // Milliseconds the main thread spent on the last capture.
    double lastMainThreadMs() const { return m_mainThreadMs; }

signals:
    // Once per capture, whether it stored a record or not.
    void finished(bool stored);

private:
    void onRead(const CopySource& source, const platform::ClipboardRead& read);
    void storeText(const QString& text, const CopySource& source, const QDateTime& now);
    void storeImage(const platform::ClipboardRead& read, const CopySource& source, const QDateTime& now);
    void insertRecord(
        QVariantMap values, const CopySource& source, const QDateTime& now, const QStringList& files);
    void finish(bool stored);

    bool m_busy = false;
    bool m_again = false;
    double m_mainThreadMs = 0;
};

// The trigger's entry point (the global copy gestures, 0.5 s later).
void captureClipboard();
