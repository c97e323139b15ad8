#pragma once

#include <QString>
#include <QStringList>

#include <functional>
#include <memory>

// What the quit dialog needs from outside. Tests script them, the clock too.
struct QuitServices {
    // Ends in `done` exactly once, with whether the service took it. Absent
    // on a build without a web service: the dialog then takes no feedback.
    std::function<void(const QString& version, const QString& email, const QString& content,
        std::function<void(bool ok, const QString& message)> done)>
        sendFeedback;
    std::function<void(const QString& feature)> trackFeature;
    // Asked without a prompt: the dialog is on its way out.
    std::function<bool()> accessibilityTrusted;
    std::function<bool()> screenCaptureAllowed;
    std::function<QString()> deviceId;
    std::function<QString()> version;
    std::function<void(int milliseconds, std::function<void()> run)> after;
    // Shows an alert and returns at once; `closed` runs once the user has
    // closed it.
    std::function<void(const QString& message, const QString& informative, std::function<void()> closed)>
        alert;
    std::function<void()> quit;
};
class QWidget;
// The program's own: the web client (when this build has a service), the platform's trust check (X11 has no
// gate), timers on the main thread, a message box over `owner` (the quit
// window stays above others, so a box of its own would hide behind it;
// modal to that window alone), and the application's quit.
QuitServices standardQuitServices(QWidget* owner = nullptr);

// The quit dialog's state and its one action.
class QuitForm final {
public:
    explicit QuitForm(QuitServices services);

    static const QStringList& reasons();
    // Said at once in place of the feedback form when nothing can be sent.
    static QString noServiceNotice();
    static QString defaultReason() { return reasons()[3]; }

    QString email;
    QString content = defaultReason();
    QString selectedReason = defaultReason();
    bool highLight = false;

    bool canSendFeedback() const { return bool(m_services.sendFeedback); }

    // A newly picked reason. Without a service it is only remembered. It replaces the editor's text while
    // that is empty or one of the reasons; text the user typed stays, with the reason on the line above it
    // (replacing a reason already there).
    void selectQuitReason(const QString& reason);

    QString buttonTitle() const;
    // content, the device id, then "-Accessability:True;-ScreenRecord:True;".
    QString feedbackMessage(const QString& deviceId, bool trusted, bool screenCapture) const;

    // Sends the text (when there is one) and the usage report, then quits
    // once the service has answered and 0.5 s have passed, and no later than
    // 5 s after the press. A failed send is shown before the quit, which
    // waits until that alert is closed. Runs once: later presses do nothing.
    void quitWithFeedback();
    bool pressed() const { return m_pressed; }

    static constexpr int minimumDelayMs = 500;
    static constexpr int maximumDelayMs = 5000;

private:
    // Shared with the pending callbacks, which may outlive the dialog.
    struct Progress {
        bool answered = false;
        bool delayPassed = false;
        bool quit = false;
        bool alerting = false; // the user reads why the send failed first
        std::function<void()> quitProgram;
    };
    static void quitWhenReady(Progress& progress);

    QuitServices m_services;
    bool m_pressed = false;
};
