// The web client against a loopback server (127.0.0.1 only): what it sends,
// how each kind of reply ends, the usage gate and the periodic update check.
#include "state/AppState.h"
#include "network/FeatureViewTracker.h"
#include "network/Network.h"
#include "network/ServiceRequests.h"
#include "tests/support/ChangeCounter.h"
#include "tests/support/TempStores.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTcpServer>
#include <QTcpSocket>
#include <QThread>
#include <QTimeZone>

#include <gtest/gtest.h>

using namespace orbitshelf::test;
using namespace std::chrono_literals;

namespace {

bool waitFor(const std::function<bool()>& condition, int timeoutMs = 5000)
{
    QElapsedTimer timer;
    timer.start();
    while (!condition()) {
        if (timer.elapsed() > timeoutMs)
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        QThread::msleep(1);
    }
    return true;
}

// Lets the event loop run for a while: for outcomes that must not happen.
void settle(int ms)
{
    waitFor([] { return false; }, ms);
}

struct RecordedRequest {
    QByteArray method;
    QByteArray path;
    QMap<QByteArray, QByteArray> headers; // lower-case names
    QByteArray body;
};

// A one-purpose HTTP server on 127.0.0.1:0 that records each request and
// answers it the way the test asks.
class LoopbackServer final {
public:
    enum class Mode { answer, hang };

    LoopbackServer()
    {
        EXPECT_TRUE(m_server.listen(QHostAddress::LocalHost, 0));
        QObject::connect(&m_server, &QTcpServer::newConnection, [this] {
            while (QTcpSocket* socket = m_server.nextPendingConnection()) {
                ++connections;
                QObject::connect(socket, &QTcpSocket::readyRead, socket, [this, socket] { read(socket); });
            }
        });
    }

    QString address() const { return QStringLiteral("http://127.0.0.1:%1").arg(m_server.serverPort()); }

    Mode mode = Mode::answer;
    int status = 200;
    QByteArray reply = R"({"status":true,"message":"","data":{"update":true,"url":"x"}})";
    QList<RecordedRequest> requests;
    int connections = 0;

private:
    void read(QTcpSocket* socket)
    {
        QByteArray& buffer = m_buffers[socket];
        buffer += socket->readAll();
        const qsizetype end = buffer.indexOf("\r\n\r\n");
        if (end < 0)
            return;
        RecordedRequest request;
        const QList<QByteArray> lines = buffer.left(end).split('\n');
        const QList<QByteArray> first = lines.value(0).trimmed().split(' ');
        request.method = first.value(0);
        request.path = first.value(1);
        for (qsizetype i = 1; i < lines.size(); ++i) {
            const qsizetype colon = lines[i].indexOf(':');
            if (colon > 0)
                request.headers.insert(
                    lines[i].left(colon).trimmed().toLower(), lines[i].mid(colon + 1).trimmed());
        }
        const qsizetype length = request.headers.value("content-length").toLongLong();
        if (buffer.size() < end + 4 + length)
            return;
        request.body = buffer.mid(end + 4, length);
        m_buffers.remove(socket);
        requests << request;
        if (mode == Mode::hang)
            return;
        socket->write("HTTP/1.1 " + QByteArray::number(status)
            + " Whatever\r\nContent-Type: application/json\r\n" + "Content-Length: "
            + QByteArray::number(reply.size()) + "\r\nConnection: close\r\n\r\n" + reply);
        socket->disconnectFromHost();
    }

    QTcpServer m_server;
    QHash<QTcpSocket*, QByteArray> m_buffers;
};

// Every outcome of one request, in order.
struct Outcomes {
    QStringList calls;
    std::function<void(const CheckUpdateCodeResponse&)> success()
    {
        return [this](const CheckUpdateCodeResponse& r) {
            calls << QStringLiteral("success %1 %2").arg(r.update ? "true" : "false", r.url);
        };
    }
    Network::Failure failure()
    {
        return [this](const QString& message) { calls << QStringLiteral("failure ") + message; };
    }
};

struct ReplyRow {
    const char* name;
    int status;
    QByteArray body;
    QString expected;
};

class NetworkReply : public ::testing::TestWithParam<ReplyRow> { };

} // namespace

TEST_P(NetworkReply, EndsInExactlyOneCallback)
{
    const ReplyRow& row = GetParam();
    LoopbackServer server;
    server.status = row.status;
    server.reply = row.body;
    Network network(server.address(), 2s);
    Outcomes outcomes;
    network.checkUpdate(QStringLiteral("0.1.0"), outcomes.success(), outcomes.failure());
    ASSERT_TRUE(waitFor([&] { return !outcomes.calls.isEmpty(); }));
    settle(50);
    EXPECT_EQ(outcomes.calls, QStringList { row.expected });
}

static const QString unreadable = QStringLiteral("failure ") + NetworkText::unreadable;

INSTANTIATE_TEST_SUITE_P(Envelopes, NetworkReply,
    ::testing::Values(
        ReplyRow { "UpdateTrue", 200, R"({"status":true,"message":"","data":{"update":true,"url":"x"}})",
            QStringLiteral("success true x") },
        ReplyRow { "ExtraKeysAllowed", 200,
            R"({"status":true,"message":"","extra":1,"data":{"update":false,"url":"","more":[]}})",
            QStringLiteral("success false ") },
        ReplyRow { "StatusFalseGivesTheMessage", 200,
            R"({"status":false,"message":"no such version","data":{"update":false,"url":""}})",
            QStringLiteral("failure no such version") },
        ReplyRow { "ServerErrorWithAnEnvelopeIsAReply", 500,
            R"({"status":true,"message":"","data":{"update":true,"url":"x"}})",
            QStringLiteral("success true x") },
        ReplyRow { "StatusNotABoolean", 200, R"({"status":1,"message":"","data":{"update":true,"url":"x"}})",
            unreadable },
        ReplyRow { "NoData", 200, R"({"status":true,"message":""})", unreadable },
        ReplyRow { "RefusalWithoutData", 200, R"({"status":false,"message":"no"})", unreadable },
        ReplyRow { "NoUrl", 200, R"({"status":true,"message":"","data":{"update":true}})", unreadable },
        ReplyRow { "UpdateAsText", 200, R"({"status":true,"message":"","data":{"update":"true","url":"x"}})",
            unreadable },
        ReplyRow { "Malformed", 200, "<html>not json", unreadable },
        ReplyRow { "EmptyBody", 200, "", unreadable }),
    [](const auto& info) { return std::string(info.param.name); });

TEST(NetworkTransport, RefusedAndHangingRequestsFailOnceWithTheirReason)
{
    // A port that was just free: nothing listens there any more.
    quint16 port = 0;
    {
        QTcpServer probe;
        ASSERT_TRUE(probe.listen(QHostAddress::LocalHost, 0));
        port = probe.serverPort();
    }
    Network refusing(QStringLiteral("http://127.0.0.1:%1").arg(port), 2s);
    Outcomes refused;
    refusing.checkUpdate(QStringLiteral("0.1.0"), refused.success(), refused.failure());
    ASSERT_TRUE(waitFor([&] { return !refused.calls.isEmpty(); }));

    LoopbackServer server;
    server.mode = LoopbackServer::Mode::hang;
    Network hanging(server.address(), 200ms);
    Outcomes hung;
    hanging.checkUpdate(QStringLiteral("0.1.0"), hung.success(), hung.failure());
    ASSERT_TRUE(waitFor([&] { return !hung.calls.isEmpty(); }));
    settle(300);

    ASSERT_EQ(refused.calls.size(), 1);
    EXPECT_TRUE(refused.calls[0].startsWith(QStringLiteral("failure ") + NetworkText::unreachable))
        << refused.calls[0].toStdString();
    EXPECT_EQ(hung.calls, QStringList { "failure The web service did not answer within 0.2 seconds." });
    EXPECT_EQ(
        NetworkText::timedOut(60s), QStringLiteral("The web service did not answer within 60 seconds."));
}

TEST(NetworkRequests, PostTheirPathsWithBothJsonHeadersAndTextBodies)
{
    LoopbackServer server;
    server.reply
        = R"({"status":true,"message":"","data":{"msg":"ok","result":"ok","update":false,"url":""}})";
    Network network(server.address(), 2s);
    FeatureViewTracker tracker;
    network.setFeatureViewTracker(&tracker);

    network.trackFeature(QStringLiteral("NoteView"));
    network.reportAppActive(QStringLiteral("DEVICE"), QStringLiteral("0.1.0"));
    network.checkUpdate(QStringLiteral("0.1.0"), nullptr, nullptr);
    QStringList feedback;
    network.sendFeedback(
        QStringLiteral("0.1.0"), QStringLiteral("a@b.c"), QStringLiteral("hello\n\"there\""),
        [&](const FeatureViewResponse& r) { feedback << r.msg; }, [&](const QString& m) { feedback << m; });
    ASSERT_TRUE(waitFor([&] { return server.requests.size() == 4 && !feedback.isEmpty(); }));

    const QMap<QByteArray, QMap<QString, QString>> expected {
        { "/analytics/feature", { { "feature", "NoteView" }, { "device_id", deviceIdText() } } },
        { "/app/active", { { "device_id", "DEVICE" }, { "app_version", "0.1.0" } } },
        { "/app/checkupdate", { { "version", "0.1.0" } } },
        { "/feedback", { { "version", "0.1.0" }, { "email", "a@b.c" }, { "content", "hello\n\"there\"" } } },
    };
    for (const RecordedRequest& request : server.requests) {
        SCOPED_TRACE(request.path.toStdString());
        ASSERT_TRUE(expected.contains(request.path));
        EXPECT_EQ(request.method, "POST");
        EXPECT_EQ(request.headers.value("content-type"), "application/json");
        EXPECT_EQ(request.headers.value("accept"), "application/json");
        EXPECT_TRUE(request.body.contains('\n')) << "an indented, multi-line body";
        const QJsonObject body = QJsonDocument::fromJson(request.body).object();
        QMap<QString, QString> fields;
        for (auto it = body.begin(); it != body.end(); ++it) {
            EXPECT_TRUE(it.value().isString()) << it.key().toStdString();
            fields.insert(it.key(), it.value().toString());
        }
        EXPECT_EQ(fields, expected.value(request.path));
    }
    EXPECT_EQ(feedback, QStringList { "ok" });
}

TEST(NetworkRequests, WithoutAnAddressNothingLeavesAndCallersAreToldAfterTheyReturn)
{
    LoopbackServer server;
    Network network(QString(), 2s);
    FeatureViewTracker tracker;
    network.setFeatureViewTracker(&tracker);
    Outcomes update;
    QStringList feedback;
    network.trackFeature(QStringLiteral("NoteView"));
    network.reportAppActive(QStringLiteral("DEVICE"), QStringLiteral("0.1.0"));
    network.checkUpdate(QStringLiteral("0.1.0"), update.success(), update.failure());
    network.sendFeedback(QStringLiteral("0.1.0"), {}, {}, nullptr, [&](const QString& m) { feedback << m; });
    EXPECT_TRUE(update.calls.isEmpty());
    EXPECT_TRUE(feedback.isEmpty());
    ASSERT_TRUE(waitFor([&] { return !update.calls.isEmpty() && !feedback.isEmpty(); }));
    settle(50);
    EXPECT_EQ(update.calls, QStringList { "failure No web service is configured for this build." });
    EXPECT_EQ(feedback, QStringList { "No web service is configured for this build." });
    EXPECT_EQ(server.connections, 0);
}

TEST(FeatureViewTrackerGate, LetsEachNameThroughOnceInTwoHours)
{
    const QDateTime start = QDateTime::fromMSecsSinceEpoch(1'700'000'000'000, QTimeZone::utc());
    QDateTime now = start;
    FeatureViewTracker tracker([&] { return now; });
    EXPECT_TRUE(tracker.gate(QStringLiteral("NoteView")));
    now = start.addMSecs(7'200'000);
    EXPECT_FALSE(tracker.gate(QStringLiteral("NoteView")));
    EXPECT_EQ(tracker.pageViewsDict.value(QStringLiteral("NoteView")), start)
        << "a blocked event keeps the time";
    EXPECT_TRUE(tracker.gate(QStringLiteral("PomodoroView"))) << "names are independent";
    now = start.addMSecs(7'200'001);
    EXPECT_TRUE(tracker.gate(QStringLiteral("NoteView")));
    EXPECT_FALSE(tracker.gate(QStringLiteral("NoteView")));
}

TEST(FeatureViewTrackerGate, ABlockedEventSendsNothing)
{
    LoopbackServer server;
    server.reply = R"({"status":true,"message":"","data":{"msg":"ok"}})";
    Network network(server.address(), 2s);
    FeatureViewTracker tracker;
    network.setFeatureViewTracker(&tracker);
    network.trackFeature(QStringLiteral("QuitButton"));
    network.trackFeature(QStringLiteral("QuitButton"));
    network.trackFeature(QStringLiteral("Binding Hotkey-a"));
    ASSERT_TRUE(waitFor([&] { return server.requests.size() == 2; }));
    settle(100);
    EXPECT_EQ(server.requests.size(), 2);
}

TEST(UpdateCheck, AsksOnlyUntilANewerVersionIsKnownAndStampsOnlyThen)
{
    TempUserDefaults defaults;
    AppState state;
    LoopbackServer server;
    Network network(server.address(), 2s);
    const QDateTime old = QDateTime::fromMSecsSinceEpoch(0, QTimeZone::utc());

    server.reply = R"({"status":true,"message":"","data":{"update":false,"url":""}})";
    state.lastUpdateTime = old;
    ChangeCounter changes(state);
    checkForUpdate(state, network);
    ASSERT_TRUE(waitFor([&] { return server.requests.size() == 1; }));
    settle(100);
    EXPECT_FALSE(state.needUpdate);
    EXPECT_EQ(state.lastUpdateTime, old);
    EXPECT_EQ(changes.count, 0);

    server.reply = R"({"status":true,"message":"","data":{"update":true,"url":"x"}})";
    checkForUpdate(state, network);
    ASSERT_TRUE(waitFor([&] { return state.needUpdate; }));
    settle(50);
    EXPECT_EQ(changes.count, 1);
    EXPECT_GT(state.lastUpdateTime, old);

    checkForUpdate(state, network);
    settle(100);
    EXPECT_EQ(server.requests.size(), 2) << "no request once a newer version is known";
}
