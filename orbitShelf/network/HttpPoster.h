#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QUrl>

#include <chrono>
#include <functional>
#include <memory>

// How a POST ended: the reply's body (empty when none came) and, when no body
// came, whether the time ran out or what else went wrong.
struct HttpOutcome {
    enum class Failure { none, timedOut, other };
    QByteArray body;
    Failure failure = Failure::none;
    QString errorText;
};

// Posts JSON over HTTP(S). Qt's network stack, with the libraries it brings,
// is a module of its own (network/http/), loaded at the first request: a
// build that never posts never maps it.
class HttpPoster {
public:
    virtual ~HttpPoster() = default;
    // `done` runs once, on the poster's thread, after post() has returned;
    // never once the poster is gone.
    virtual void post(const QUrl& url, const QByteArray& json, std::chrono::milliseconds timeout,
        std::function<void(const HttpOutcome&)> done)
        = 0;
};

// The module's poster, made on the calling thread; null, with `error` set,
// when the module cannot be loaded.
std::unique_ptr<HttpPoster> loadHttpPoster(QString* error);
// The poster of the first of `paths` that exists and loads as the module.
std::unique_ptr<HttpPoster> loadHttpPosterFrom(const QStringList& paths, QString* error);

// What the module exports, by this name.
using CreateHttpPoster = HttpPoster* (*)();
inline constexpr char kCreateHttpPosterSymbol[] = "orbitshelf_create_http_poster";
