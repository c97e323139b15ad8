#pragma once

#include "state/AppState.h"

namespace orbitshelf::test {

// Counts AppState's change notices while it lives.
struct ChangeCounter final {
    explicit ChangeCounter(AppState& state)
        : connection(QObject::connect(&state, &AppState::changed, [this] { ++count; }))
    {
    }
    ~ChangeCounter() { QObject::disconnect(connection); }
    ChangeCounter(const ChangeCounter&) = delete;
    ChangeCounter& operator=(const ChangeCounter&) = delete;

    int count = 0;
    QMetaObject::Connection connection;
};

} // namespace orbitshelf::test
