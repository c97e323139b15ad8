#include "state/DeviceId.h"

#include <QRegularExpression>

#include <gtest/gtest.h>

// The id leaves this program (the web client sends it); machine-id(5) asks
// that the raw id never does.
TEST(DeviceUUID, StableUppercaseAndNotTheRawMachineId)
{
    const QByteArray id = "0123456789abcdef0123456789abcdef\n";
    const auto a = deviceUUIDFromMachineId(id);
    ASSERT_TRUE(a);
    EXPECT_EQ(a, deviceUUIDFromMachineId(id.toUpper()));
    EXPECT_TRUE(QRegularExpression("^[0-9A-F]{8}-[0-9A-F]{4}-4[0-9A-F]{3}-[89AB][0-9A-F]{3}-[0-9A-F]{12}$")
                    .match(*a)
                    .hasMatch())
        << a->toStdString();
    EXPECT_FALSE(QString(*a).remove(QChar(0x2d)).contains("0123456789ABCDEF"));
    EXPECT_NE(a, deviceUUIDFromMachineId("fedcba9876543210fedcba9876543210"));
    EXPECT_FALSE(deviceUUIDFromMachineId(""));
    EXPECT_FALSE(deviceUUIDFromMachineId("0123456789abcdef0123456789abcdeg"));
    EXPECT_FALSE(deviceUUIDFromMachineId("0123456789abcdef"));
}
