#include "platform/x11/X11Platform.h"
#include "platform/x11/X11Services.h"

#include <gtest/gtest.h>

namespace {
// Sets DISPLAY for one test and puts the old value back.
class DisplayVariable {
public:
    explicit DisplayVariable(const QByteArray& value) : m_old(qgetenv("DISPLAY")), m_had(qEnvironmentVariableIsSet("DISPLAY"))
    {
        if (value.isNull())
            qunsetenv("DISPLAY");
        else
            qputenv("DISPLAY", value);
    }
    ~DisplayVariable()
    {
        if (m_had)
            qputenv("DISPLAY", m_old);
        else
            qunsetenv("DISPLAY");
    }

private:
    QByteArray m_old;
    bool m_had;
};
} // namespace

TEST(X11Platform, WithoutADisplayCreationFailsWithAMessageForTheUser)
{
    {
        DisplayVariable display(QByteArray{});
        QString error;
        EXPECT_EQ(platform::x11::createX11Platform(&error), nullptr);
        EXPECT_EQ(error, QStringLiteral("orbitShelf needs an X11 display, and DISPLAY is not set."));
    }
    {
        DisplayVariable display(":4711");
        QString error;
        EXPECT_EQ(platform::x11::createX11Platform(&error), nullptr);
        EXPECT_EQ(error, QStringLiteral("orbitShelf cannot connect to the X11 display \":4711\"."));
        QString probeError;
        EXPECT_FALSE(platform::x11::displayReachable(&probeError));
        EXPECT_EQ(probeError, error);
    }
}

TEST(X11Platform, WithoutADisplayTheServicesAreNotBuiltAndTheUserIsToldWhy)
{
    DisplayVariable display(":4711");
    QString error;
    EXPECT_FALSE(platform::x11::createX11Services(&error).has_value());
    EXPECT_EQ(error, QStringLiteral("orbitShelf cannot connect to the X11 display \":4711\"."));
}
