#include "settings/QuitForm.h"

#include "network/Network.h"
#include "network/ServiceRequests.h"
#include "platform/Accessibility.h"
#include "platform/Platform.h"
#include "widgets/AlertBox.h"

#include <QCoreApplication>
#include <QLoggingCategory>
#include <QMessageBox>
#include <QPointer>
#include <QTimer>

static Q_LOGGING_CATEGORY(lcQuit, "orbitshelf.settings.quit")

QuitServices standardQuitServices(QWidget* owner)
{
    QuitServices services;
    if (Network::shared().isConfigured())
        services.sendFeedback = [](const QString& version, const QString& email, const QString& content,
                                    std::function<void(bool, const QString&)> done) {
            Network::shared().sendFeedback(
                version, email, content, [done](const FeatureViewResponse&) { done(true, QString()); },
                [done](const QString& message) { done(false, message); });
        };
    services.trackFeature = [](const QString& feature) { trackFeature(feature); };
    services.accessibilityTrusted = [] {
        return !platform::hasCurrent() || platform::current().accessibility().isProcessTrusted(false);
    };
    // Any X11 client may read other windows' pixels through Composite.
    services.screenCaptureAllowed = [] { return true; };
    services.deviceId = &deviceIdText;
    services.version = &applicationVersionText;
    services.after = [](int ms, std::function<void()> run) {
        QTimer::singleShot(ms, QCoreApplication::instance(), std::move(run));
    };
    services.alert = [owner = QPointer<QWidget>(owner)](
                         const QString& message, const QString& informative, std::function<void()> closed) {
        QMessageBox* box = openAlertBox(message, informative, owner);
        // Deleted once closed; also when its window goes first.
        QObject::connect(box, &QObject::destroyed, [closed = std::move(closed)] {
            if (closed)
                closed();
        });
    };
    services.quit = [] { QCoreApplication::quit(); };
    return services;
}

const QStringList& QuitForm::reasons()
{
    static const QStringList list {
        QStringLiteral("no longer need this app."),
        QStringLiteral("I encountered problems and couldn't use the app."),
        QStringLiteral("I found a better alternative app."),
        QStringLiteral("The app didn't meet my expectations."),
        QStringLiteral("The app interface is not user-friendly"),
        QStringLiteral("The app's features are incomplete"),
        QStringLiteral("The app runs slowly"),
        QStringLiteral("The app has bugs"),
        QStringLiteral("It's too expensive."),
        QStringLiteral("Others"),
    };
    return list;
}

QString QuitForm::noServiceNotice()
{
    return QCoreApplication::translate(
        "QuitForm", "Feedback cannot be sent: no web service is configured for this build.");
}

QuitForm::QuitForm(QuitServices services)
    : m_services(std::move(services))
{
    // A filled-in box would promise a send that cannot happen.
    if (!canSendFeedback())
        content.clear();
}

void QuitForm::selectQuitReason(const QString& reason)
{
    if (reason == selectedReason)
        return;
    selectedReason = reason;
    if (!canSendFeedback())
        return;
    highLight = true;
    if (content.isEmpty() || reasons().contains(content)) {
        content = reason;
        return;
    }
    QStringList lines = content.split(u'\n');
    if (lines.size() > 1 && reasons().contains(lines.first()))
        lines.first() = reason;
    else
        lines.prepend(reason);
    content = lines.join(u'\n');
}

QString QuitForm::buttonTitle() const
{
    return content.isEmpty() || !canSendFeedback()
        ? QCoreApplication::translate("QuitForm", "Quit OrbitShelf")
        : QCoreApplication::translate("QuitForm", "Quit OrbitShelf And Send Feedback");
}

QString QuitForm::feedbackMessage(const QString& deviceId, bool trusted, bool screenCapture) const
{
    return content + deviceId + QStringLiteral("-")
        + (trusted ? QStringLiteral("Accessability:True;") : QStringLiteral("Accessability:False;"))
        + QStringLiteral("-")
        + (screenCapture ? QStringLiteral("ScreenRecord:True;") : QStringLiteral("ScreenRecord:False;"));
}

void QuitForm::quitWithFeedback()
{
    if (m_pressed)
        return;
    m_pressed = true;
    auto progress = std::make_shared<Progress>();
    progress->quitProgram = m_services.quit;
    const QString version = m_services.version ? m_services.version() : QString();
    if (!content.isEmpty() && m_services.sendFeedback) {
        const bool trusted = !m_services.accessibilityTrusted || m_services.accessibilityTrusted();
        const bool capture = !m_services.screenCaptureAllowed || m_services.screenCaptureAllowed();
        const QString message
            = feedbackMessage(m_services.deviceId ? m_services.deviceId() : QString(), trusted, capture);
        m_services.sendFeedback(
            version, email, message, [progress, alert = m_services.alert](bool ok, const QString& failure) {
                if (progress->quit)
                    return;
                progress->answered = true;
                if (!ok) {
                    qCWarning(lcQuit) << "feedback not sent:" << failure;
                    if (alert) {
                        progress->alerting = true;
                        alert(QStringLiteral("Your feedback could not be sent."),
                            failure + QStringLiteral(" OrbitShelf quits now."), [progress] {
                                progress->alerting = false;
                                quitWhenReady(*progress);
                            });
                        return;
                    }
                }
                quitWhenReady(*progress);
            });
    } else {
        progress->answered = true;
    }
    if (m_services.trackFeature)
        m_services.trackFeature(QStringLiteral("QuitButtonInQuitView"));
    if (!m_services.after) {
        progress->delayPassed = true;
        quitWhenReady(*progress);
        return;
    }
    m_services.after(minimumDelayMs, [progress] {
        progress->delayPassed = true;
        quitWhenReady(*progress);
    });
    m_services.after(maximumDelayMs, [progress] {
        progress->answered = true;
        progress->delayPassed = true;
        quitWhenReady(*progress);
    });
}

void QuitForm::quitWhenReady(Progress& progress)
{
    if (progress.quit || progress.alerting || !progress.answered || !progress.delayPassed)
        return;
    progress.quit = true;
    qCInfo(lcQuit) << "quitting from the quit dialog";
    if (progress.quitProgram)
        progress.quitProgram();
}
