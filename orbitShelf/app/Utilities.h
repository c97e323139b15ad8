#pragma once

// Small free functions several subsystems share: diagnostics, formatting,
// alerts, the device id, the screen under a point, random keys and the
// mapping of work priorities to thread priorities.

#include <QByteArray>
#include <QColor>
#include <QDateTime>
#include <QDebug>
#include <QImage>
#include <QList>
#include <QLocale>
#include <QPointF>
#include <QRect>
#include <QString>
#include <QThread>

#include <functional>
#include <optional>

class QScreen;

// Writes "[custom] -  " and the value's text to standard output, one line,
// while the category orbitshelf.custom has its debug level on (the default
// of Qt, which the program's log policy turns off). Cut like a log line.
void customPrint(const QString& text);
template <typename T> void customPrint(const T& value)
{
    QString text;
    QDebug(&text).noquote().nospace() << value;
    customPrint(text);
}

// The current picture of a window from the window server; nothing for a
// minimised, unmapped or vanished window, or before a platform is installed.
// Without `bestResolution` a HiDPI picture is scaled to logical pixels.
std::optional<QImage> captureWindowImage(bool bestResolution, quint32 windowNumber);

// "RRGGBB", or "RRGGBBAA" when the colour is not fully opaque; upper-case,
// no '#'. Nothing for an invalid colour.
std::optional<QString> hexString(const QColor& color);

// Formats with the "zh_CN" locale in the current time zone; the formats in
// use are "yyyy-MM-dd" and "yyyy-MM-dd HH:mm:ss".
QString formatDate(const QDateTime& date, const QString& format);

// "HH:MM:SS" (withHours) or "MM : SS" of to − from; negative durations give
// negative fields.
QString formatDuration(qint64 from, qint64 to, bool withHours);

// A one-button ("ok") alert. Who presents it is installed from above: the
// shell installs the message box (widgets/AlertBox) at start; tests install
// a recorder. With neither, the alert is logged.
using AlertPresenter = std::function<void(const QString& message, const QString& informative)>;
void showAlert(const QString& message, const QString& informative);
// Installs a presenter that takes precedence; an empty one restores the default.
void setAlertPresenter(AlertPresenter presenter);
// The presenter used when none was installed with setAlertPresenter.
void setDefaultAlertPresenter(AlertPresenter presenter);

// There is no Accessibility settings page to open on X11: logs that and
// returns false.
bool openAccessibilitySettings();

// A stable id of this machine as an upper-case 8-4-4-4-12 UUID, derived from
// /etc/machine-id (never the raw id). Nothing when no machine id is readable.
std::optional<QString> deviceUUID();
// The derivation on its own: nothing unless `machineId` is 32 hex digits.
std::optional<QString> deviceUUIDFromMachineId(const QByteArray& machineId);

// The first screen (in Qt's order) whose geometry contains the point; a frame
// holds its left and top edges but not its right and bottom ones.
QScreen* screenContaining(const QPointF& point);
std::optional<qsizetype> indexOfFrameContaining(const QList<QRect>& frames, const QPointF& point);

// Six characters from [0-9A-Za-z], uniformly drawn.
QString randomString();

enum class DispatchQoS { userInteractive, userInitiated, defaultQoS, utility, background, unspecified };
enum class ThreadQoS : int {
    userInteractive = 0x21,
    userInitiated = 0x19,
    utility = 0x11,
    background = 0x09,
    defaultQoS = -1,
};
ThreadQoS qualityOfService(DispatchQoS qos);
// What a thread of that quality of service runs at here.
QThread::Priority threadPriority(ThreadQoS qos);

// Formats a number for people: the locale's decimal separator, no grouping,
// exactly `fractionDigits` digits after the separator. Falls back to the
// plain decimal text when the locale gives nothing.
QString formatFloat(float value, int fractionDigits, const QLocale& locale = QLocale());
