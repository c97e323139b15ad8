#include "network/Network.h"

#include "state/DeviceId.h"
#include "state/Logging.h"
#include "network/FeatureViewTracker.h"
#include "network/HttpPoster.h"

#include <QCoreApplication>
#include <QJsonDocument>
#include <QLoggingCategory>
#include <QPointer>

static Q_LOGGING_CATEGORY(lcNetwork, "orbitshelf.network")

namespace {

QString stringField(const QJsonObject& data, const char* key, bool* ok)
{
    const QJsonValue value = data.value(QLatin1String(key));
    *ok = *ok && value.isString();
    return value.toString();
}

// Said once per run, at the first request that stays home.
void noteNothingIsSent()
{
    static bool said = false;
    if (!said) {
        said = true;
        qCInfo(lcNetwork) << "no web service is configured for this build: nothing is sent";
    }
}

} // namespace

std::optional<FeatureViewResponse> FeatureViewResponse::decode(const QJsonObject& data)
{
    bool ok = true;
    FeatureViewResponse response { stringField(data, "msg", &ok) };
    return ok ? std::optional(response) : std::nullopt;
}

std::optional<AppActiveResponse> AppActiveResponse::decode(const QJsonObject& data)
{
    bool ok = true;
    AppActiveResponse response { stringField(data, "result", &ok) };
    return ok ? std::optional(response) : std::nullopt;
}

std::optional<CheckUpdateCodeResponse> CheckUpdateCodeResponse::decode(const QJsonObject& data)
{
    bool ok = true;
    const QJsonValue update = data.value(QLatin1String("update"));
    CheckUpdateCodeResponse response { update.toBool(), stringField(data, "url", &ok) };
    return ok && update.isBool() ? std::optional(response) : std::nullopt;
}

QString NetworkText::timedOut(std::chrono::milliseconds timeout)
{
    return QStringLiteral("The web service did not answer within %1 seconds.")
        .arg(QString::number(timeout.count() / 1000.0));
}

Network::Network(QString baseAddress, std::chrono::milliseconds timeout, QObject* parent)
    : QObject(parent)
    , m_baseAddress(std::move(baseAddress))
    , m_timeout(timeout)
    , m_tracker(&FeatureViewTracker::shared())
{
}

Network::~Network() = default;

Network& Network::shared()
{
    // Parented to the application so that its replies go before the event
    // loop does; made again should a later application ask.
    static QPointer<Network> network;
    if (!network)
        network = new Network(
            QStringLiteral(ORBITSHELF_SERVICE_URL), std::chrono::seconds(60), QCoreApplication::instance());
    return *network;
}

void Network::postEnvelope(const QJsonObject& body, const QString& path,
    std::function<bool(const QJsonObject& data, bool deliver)> accept, Failure failure)
{
    // Callbacks run after the caller has returned, whatever the outcome.
    auto failLater = [this, failure](const QString& message) {
        if (failure)
            QMetaObject::invokeMethod(
                this, [failure, message] { failure(message); }, Qt::QueuedConnection);
    };
    if (!isConfigured()) {
        noteNothingIsSent();
        failLater(NetworkText::notConfigured);
        return;
    }
    const QUrl url(m_baseAddress + path, QUrl::StrictMode);
    if (!url.isValid()) {
        customPrint(QStringLiteral("not a web address: ") + m_baseAddress + path);
        failLater(NetworkText::unreachable + url.errorString());
        return;
    }

    if (!m_poster) {
        QString error;
        m_poster = loadHttpPoster(&error);
        if (!m_poster) {
            qCWarning(lcNetwork).noquote() << "the web client cannot be loaded:" << error;
            failLater(NetworkText::unreachable + error);
            return;
        }
    }

    const std::chrono::milliseconds timeout = m_timeout;
    const QByteArray json = QJsonDocument(body).toJson(QJsonDocument::Indented);
    m_poster->post(url, json, timeout, [path, timeout, accept, failure](const HttpOutcome& outcome) {
        auto fail = [&](const QString& message) {
            qCDebug(lcNetwork).noquote() << path << "failed:" << message;
            if (failure)
                failure(message);
        };
        const QByteArray& bytes = outcome.body;
        // An HTTP error status still carries a body worth reading; only a
        // reply without one is judged by its transport error.
        if (bytes.isEmpty()) {
            if (outcome.failure == HttpOutcome::Failure::timedOut)
                fail(NetworkText::timedOut(timeout));
            else if (outcome.failure == HttpOutcome::Failure::other)
                fail(NetworkText::unreachable + outcome.errorText);
            else
                fail(NetworkText::unreadable);
            return;
        }
        QJsonParseError parseError;
        const QJsonDocument document = QJsonDocument::fromJson(bytes, &parseError);
        const QJsonObject envelope = document.object();
        const QJsonValue status = envelope.value(QLatin1String("status"));
        const QJsonValue message = envelope.value(QLatin1String("message"));
        const QJsonValue data = envelope.value(QLatin1String("data"));
        if (!document.isObject() || !status.isBool() || !message.isString() || !data.isObject()) {
            fail(NetworkText::unreadable);
            return;
        }
        if (!status.toBool()) {
            // The record must still decode: a malformed refusal is no reply.
            if (!accept(data.toObject(), false))
                fail(NetworkText::unreadable);
            else
                fail(message.toString());
            return;
        }
        if (!accept(data.toObject(), true))
            fail(NetworkText::unreadable);
    });
}

void Network::trackFeature(const QString& feature)
{
    if (m_tracker && !m_tracker->gate(feature))
        return;
    if (!isConfigured()) {
        noteNothingIsSent();
        return;
    }
    const QJsonObject body { { QStringLiteral("feature"), feature },
        { QStringLiteral("device_id"), deviceIdText() } };
    postJSON<FeatureViewResponse>(body, QStringLiteral("/analytics/feature"), nullptr, nullptr);
}

void Network::reportAppActive(const QString& deviceId, const QString& version)
{
    if (!isConfigured()) {
        noteNothingIsSent();
        return;
    }
    const QJsonObject body { { QStringLiteral("device_id"), deviceId },
        { QStringLiteral("app_version"), version } };
    postJSON<AppActiveResponse>(body, QStringLiteral("/app/active"), nullptr, nullptr);
}

void Network::checkUpdate(
    const QString& version, std::function<void(const CheckUpdateCodeResponse&)> success, Failure failure)
{
    postJSON<CheckUpdateCodeResponse>(QJsonObject { { QStringLiteral("version"), version } },
        QStringLiteral("/app/checkupdate"), std::move(success), std::move(failure));
}

void Network::sendFeedback(const QString& version, const QString& email, const QString& content,
    std::function<void(const FeatureViewResponse&)> success, Failure failure)
{
    const QJsonObject body { { QStringLiteral("version"), version }, { QStringLiteral("email"), email },
        { QStringLiteral("content"), content } };
    postJSON<FeatureViewResponse>(body, QStringLiteral("/feedback"), std::move(success), std::move(failure));
}

QString applicationVersionText()
{
    return QStringLiteral(ORBITSHELF_VERSION);
}

QString deviceIdText()
{
    return deviceUUID().value_or(QString());
}
