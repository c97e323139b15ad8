#include "apps/ScreenIdentifier.h"

#include "platform/fake/FakeScreenIdentity.h"
#include "platform/fake/FakeServices.h"

#include <QGuiApplication>
#include <QScreen>

#include <gtest/gtest.h>

using platform::DisplayDescription;

namespace {
QByteArray edid(char serial)
{
    QByteArray e(128, '\0');
    e[0] = 0;
    e[1] = char(0xff);
    e[12] = serial;
    return e;
}
} // namespace

TEST(ScreenIdentifier, KeysUseTheEdidSourceAndFallBackToTheOutputName)
{
    QScreen* screen = QGuiApplication::primaryScreen();
    ASSERT_NE(screen, nullptr);
    // The offscreen platform names its screen nothing: such a screen has no
    // identity of its own, as a display without a UUID.
    const QString name = screen->name();

    EXPECT_EQ(screenKeyText(QStringLiteral("37D8832A-2D66-02CA-B9F7-8F30A301B230")),
        QStringLiteral("Optional(37D8832A-2D66-02CA-B9F7-8F30A301B230)"));
    EXPECT_EQ(screenKeyText(std::nullopt), QStringLiteral("nil"));
    EXPECT_EQ(screenIdentifierKey(nullptr), QStringLiteral("nil"));

    platform::uninstall();
    const auto byName = screenIdentifier(screen);
    if (name.isEmpty())
        EXPECT_EQ(byName, std::nullopt);
    else
        EXPECT_EQ(byName, platform::uuidText(platform::displayUuid({ name, {}, false })));

    auto fake = std::make_shared<platform::fake::FakeScreenIdentity>();
    fake->outputs.insert(name, DisplayDescription { name, edid(7), false });
    platform::Services services = platform::fake::services();
    services.screenIdentity = fake;
    platform::install(std::move(services));
    const QString key = screenIdentifierKey(screen);
    EXPECT_EQ(key, screenKeyText(platform::uuidText(platform::displayUuid({ "any", edid(7), false }))));
    EXPECT_NE(key, screenKeyText(byName));
    // Asked again, the screen's identity comes from the cache.
    EXPECT_EQ(screenIdentifierKey(screen), key);
    EXPECT_EQ(fake->calls, 1);
    platform::uninstall();
}
