#pragma once

#include <QJsonObject>
#include <QObject>
#include <QString>

#include <chrono>
#include <functional>
#include <memory>
#include <optional>

class FeatureViewTracker;
class HttpPoster;

// The reply records of the web service. Each decodes strictly: every field
// must be present at its JSON type; keys beyond them are ignored.
struct FeatureViewResponse {
    QString msg;
    static std::optional<FeatureViewResponse> decode(const QJsonObject& data);
};
struct AppActiveResponse {
    QString result;
    static std::optional<AppActiveResponse> decode(const QJsonObject& data);
};
struct CheckUpdateCodeResponse {
    bool update = false;
    QString url;
    static std::optional<CheckUpdateCodeResponse> decode(const QJsonObject& data);
};

// The failure texts a caller may be handed besides the service's own message.
namespace NetworkText {
inline const QString notConfigured = QStringLiteral("No web service is configured for this build.");
inline const QString unreachable = QStringLiteral("The web service could not be reached: ");
inline const QString unreadable = QStringLiteral("The web service sent a reply that could not be read.");
// "The web service did not answer within 60 seconds." for the usual time-out.
QString timedOut(std::chrono::milliseconds timeout);
} // namespace NetworkText

// The client of the web service: posts a flat JSON object to a path below the
// base address and reads the reply envelope {status, message, data}.
//
// Lives on the main thread, and so do its callbacks. A request given
// callbacks ends in exactly one of them, after the caller has returned:
// success with the decoded `data` when `status` is true; failure otherwise,
// with the service's message or one of NetworkText's. The HTTP status is not
// looked at: an error page that decodes as an envelope is a reply like any
// other. With an empty base address nothing leaves the machine.
class Network final : public QObject {
    Q_OBJECT
public:
    using Failure = std::function<void(const QString& message)>;

    explicit Network(QString baseAddress, std::chrono::milliseconds timeout = std::chrono::seconds(60),
        QObject* parent = nullptr);
    ~Network() override;

    // The program's client, over the address this build was configured with.
    static Network& shared();

    bool isConfigured() const { return !m_baseAddress.isEmpty(); }
    QString baseAddress() const { return m_baseAddress; }

    // Usage events pass the gate first; by default the process-wide one.
    void setFeatureViewTracker(FeatureViewTracker* tracker) { m_tracker = tracker; }

    template <typename T>
    void postJSON(
        const QJsonObject& body, const QString& path, std::function<void(const T&)> success, Failure failure)
    {
        postEnvelope(
            body, path,
            [success = std::move(success)](const QJsonObject& data, bool deliver) {
                const std::optional<T> decoded = T::decode(data);
                if (decoded && deliver && success)
                    success(*decoded);
                return decoded.has_value();
            },
            std::move(failure));
    }

    // The requests; the first two drop their outcome. Values are all texts.
    void trackFeature(const QString& feature);
    void reportAppActive(const QString& deviceId, const QString& version);
    void checkUpdate(
        const QString& version, std::function<void(const CheckUpdateCodeResponse&)> success, Failure failure);
    void sendFeedback(const QString& version, const QString& email, const QString& content,
        std::function<void(const FeatureViewResponse&)> success, Failure failure);

private:
    // `accept` decodes the `data` object, hands it to the caller when told to
    // deliver, and answers whether it could decode it.
    void postEnvelope(const QJsonObject& body, const QString& path,
        std::function<bool(const QJsonObject& data, bool deliver)> accept, Failure failure);

    QString m_baseAddress;
    std::chrono::milliseconds m_timeout;
    std::unique_ptr<HttpPoster> m_poster; // loaded at the first request that leaves the machine
    FeatureViewTracker* m_tracker = nullptr;
};

// The program's version as the requests send it.
QString applicationVersionText();
// The device id of the requests: deviceUUID(), "" when there is none.
QString deviceIdText();
