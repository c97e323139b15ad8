#pragma once

#include "platform/ScreenIdentity.h"

#include <QHash>

namespace platform::fake {

// Outputs a test declares; any other name is unknown.
class FakeScreenIdentity final : public ScreenIdentity {
public:
    std::optional<DisplayDescription> describe(const QString& outputName) override
    {
        ++calls;
        const auto it = outputs.constFind(outputName);
        return it == outputs.cend() ? std::nullopt : std::optional<DisplayDescription>(*it);
    }

    std::optional<QRect> place(const QString& screenName) override
    {
        const auto it = places.constFind(screenName);
        return it == places.cend() ? std::nullopt : std::optional<QRect>(*it);
    }

    std::optional<ServerScreens> screensNow() override { return server; }

    QHash<QString, DisplayDescription> outputs;
    QHash<QString, QRect> places; // where the server has each screen
    std::optional<ServerScreens> server; // what screensNow() tells
    int calls = 0;
};

} // namespace platform::fake
