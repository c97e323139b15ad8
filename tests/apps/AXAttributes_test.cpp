#include "apps/AXAttributes.h"

#include "platform/fake/FakePlatform.h"
#include "platform/fake/FakeServices.h"

#include <gtest/gtest.h>

using namespace platform;

namespace {

// Answers every read with one scripted (result, value) pair and records writes.
class ScriptedAccessibility final : public Accessibility {
public:
    AXResult result = AXResult::success;
    AXValue value;
    std::vector<std::pair<QString, AXValue>> writes;

    bool isProcessTrusted(bool) override { return true; }
    AXResult copyAttributeValue(const AXElement&, const QString&, AXValue& out) override
    {
        out = value;
        return result;
    }
    AXResult setAttributeValue(const AXElement&, const QString& attribute, const AXValue& v) override
    {
        writes.emplace_back(attribute, v);
        return AXResult::cannotComplete; // ignored by the writers
    }
    AXResult performAction(const AXElement&, const QString&) override { return AXResult::success; }
    AXResult windowNumber(const AXElement&, quint32&) override { return AXResult::failure; }
    AXResult processIdentifier(const AXElement&, qint32&) override { return AXResult::failure; }
    std::unique_ptr<AXObserver> createObserver(qint32, AXObserverCallback) override { return nullptr; }
    std::unique_ptr<AXReadBatch> beginReadBatch() override { return nullptr; }
};

class ScriptedPlatform final : public Platform {
public:
    fake::FakePlatform rest;
    ScriptedAccessibility ax;
    WindowServer& windowServer() override { return rest.windowServer(); }
    Accessibility& accessibility() override { return ax; }
    Workspace& workspace() override { return rest.workspace(); }
    Pointer& pointer() override { return rest.pointer(); }
    SystemScripts& scripts() override { return rest.scripts(); }
};

class ReadPolicy : public ::testing::Test {
protected:
    void SetUp() override { platform::install(platform::fake::services(&p)); }
    void TearDown() override { platform::uninstall(); }
    void answer(AXResult r, AXValue v = {})
    {
        p.ax.result = r;
        p.ax.value = std::move(v);
    }
    ScriptedPlatform p;
    const AXElement window = AXElement::windowElement(10, 0x400001);
};

} // namespace

TEST_F(ReadPolicy, OnlyCannotCompleteThrows)
{
    const AXResult quiet[] = {AXResult::failure, AXResult::invalidUIElement, AXResult::attributeUnsupported,
                              AXResult::noValue, AXResult::apiDisabled, AXResult::illegalArgument};
    for (AXResult r : quiet) {
        answer(r, QStringLiteral("ignored"));
        EXPECT_EQ(copyStringAttribute(QStringLiteral("AXTitle"), window), std::nullopt) << int(r);
        EXPECT_EQ(windowSize(window), std::nullopt) << int(r);
    }
    answer(AXResult::cannotComplete);
    EXPECT_THROW(copyStringAttribute(QStringLiteral("AXTitle"), window), AxError);
    EXPECT_THROW(copyBoolAttribute(QStringLiteral("AXFullScreen"), window), AxError);
    EXPECT_THROW(copyElementListAttribute(QStringLiteral("AXWindows"), window), AxError);
    EXPECT_THROW(windowPosition(window), AxError);
}

TEST_F(ReadPolicy, ValuesOfAnotherTypeReadAsAbsentOrZero)
{
    answer(AXResult::success, true);
    EXPECT_EQ(copyStringAttribute(QStringLiteral("AXTitle"), window), std::nullopt);
    EXPECT_EQ(copyBoolAttribute(QStringLiteral("AXMinimized"), window), true);
    answer(AXResult::success, QString());
    EXPECT_EQ(copyStringAttribute(QStringLiteral("AXTitle"), window), QString()) << "empty text is text";
    answer(AXResult::success, AXElementList{window});
    EXPECT_EQ(copyElementAttribute(QStringLiteral("AXFocusedWindow"), window), std::nullopt);
    EXPECT_EQ(copyElementListAttribute(QStringLiteral("AXWindows"), window)->size(), 1u);
    answer(AXResult::success); // success without a value
    EXPECT_EQ(copyBoolAttribute(QStringLiteral("AXFullScreen"), window), std::nullopt);

    // Sizes and points read their own kind, and zero for the other.
    answer(AXResult::success, QSizeF(640, 480));
    EXPECT_EQ(windowSize(window), (std::pair{640.0, 480.0}));
    EXPECT_EQ(windowPosition(window), (std::pair{0.0, 0.0})) << "a size read as a point";
    answer(AXResult::success, QPointF(12, 34));
    EXPECT_EQ(windowPosition(window), (std::pair{12.0, 34.0}));
    EXPECT_EQ(windowSize(window), (std::pair{0.0, 0.0})) << "a point read as a size";
    answer(AXResult::success, QStringLiteral("not a pair"));
    EXPECT_EQ(windowSize(window), std::nullopt);
    EXPECT_EQ(copyAXValueAttribute(QStringLiteral("AXSize"), window), std::nullopt);
}
