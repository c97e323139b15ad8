// The module behind HttpPoster: the only code that links QtNetwork.
#include "network/HttpPoster.h"

#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>

namespace {

class QtHttpPoster final : public HttpPoster {
public:
    void post(const QUrl& url, const QByteArray& json, std::chrono::milliseconds timeout,
        std::function<void(const HttpOutcome&)> done) override
    {
        QNetworkRequest request(url);
        request.setTransferTimeout(static_cast<int>(timeout.count()));
        request.setHeader(QNetworkRequest::ContentTypeHeader, QByteArrayLiteral("application/json"));
        request.setRawHeader(QByteArrayLiteral("Accept"), QByteArrayLiteral("application/json"));
        QNetworkReply* reply = m_manager.post(request, json);
        // Replies are the manager's children: gone with the poster, unheard.
        QObject::connect(reply, &QNetworkReply::finished, &m_manager, [reply, done = std::move(done)] {
            reply->deleteLater();
            HttpOutcome outcome;
            outcome.body = reply->isOpen() ? reply->readAll() : QByteArray();
            if (outcome.body.isEmpty()) {
                const QNetworkReply::NetworkError error = reply->error();
                if (error == QNetworkReply::OperationCanceledError || error == QNetworkReply::TimeoutError)
                    outcome.failure = HttpOutcome::Failure::timedOut;
                else if (error != QNetworkReply::NoError)
                    outcome.failure = HttpOutcome::Failure::other;
                outcome.errorText = reply->errorString();
            }
            done(outcome);
        });
    }

private:
    QNetworkAccessManager m_manager;
};

} // namespace

extern "C" Q_DECL_EXPORT HttpPoster* orbitshelf_create_http_poster()
{
    return new QtHttpPoster;
}
