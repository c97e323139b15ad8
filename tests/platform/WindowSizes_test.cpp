// The size hints each kind of window of ours writes, at the scales a desktop
// sets, and what becomes of a size a window manager gives one of them.
#include "platform/WindowSizes.h"

#include <gtest/gtest.h>

#include <vector>

using platform::GivenSize;
using platform::NormalSizeHints;
using platform::SizeConstraints;
using platform::WindowScaling;

namespace {

struct WindowKind {
    const char* name;
    SizeConstraints constraints;
};

SizeConstraints fixedAt(QSize size)
{
    SizeConstraints c;
    c.minimum = c.maximum = size;
    return c;
}

SizeConstraints withMinimum(QSize minimum, QSize base = QSize(-1, -1))
{
    SizeConstraints c;
    c.minimum = minimum;
    c.base = base;
    return c;
}

SizeConstraints withBaseAndIncrement(QSize base, QSize increment)
{
    SizeConstraints c;
    c.base = base;
    c.increment = increment;
    return c;
}

// Each kind of top-level window, with the constraints it carries. The odd
// sizes come out odd at 1.5, where Qt's increment is 2.
const std::vector<WindowKind> kWindows {
    { "the bar's dock window, a pop-up, a menu, the hover title", SizeConstraints {} },
    { "Settings, resizable above a minimum", withMinimum(QSize(601, 401)) },
    { "the onboarding window, a widget with a base of 0", withMinimum(QSize(91, 91), QSize(0, 0)) },
    { "a notice or a toast of fixed size", fixedAt(QSize(361, 67)) },
    { "the switcher, fixed at an even size", fixedAt(QSize(480, 120)) },
    { "a window with a base and increment of its own", withBaseAndIncrement(QSize(10, 6), QSize(4, 3)) },
};

struct Scaling {
    const char* name;
    WindowScaling scaling;
};

const std::vector<Scaling> kScalings {
    { "unscaled", { 1.0, false } },
    { "Xft.dpi 144", { 1.5, true } },
    { "Xft.dpi 192", { 2.0, true } },
    { "a screen's factor of 1 among others", { 1.0, true } },
    { "a screen's factor of 2 among others", { 2.0, true } },
};

QString text(const std::optional<QSize>& size)
{
    return size ? QStringLiteral("%1 by %2").arg(size->width()).arg(size->height()) : QStringLiteral("none");
}

QString text(const NormalSizeHints& h)
{
    return QStringLiteral("min %1, max %2, base %3, increment %4")
        .arg(text(h.minimum), text(h.maximum), text(h.base), text(h.increment));
}

} // namespace

TEST(WindowSizes, EveryKindOfWindowWritesHintsNoWindowManagerMisreadsAtEveryScale)
{
    for (const WindowKind& kind : kWindows)
        for (const Scaling& scaling : kScalings) {
            SCOPED_TRACE(std::string(kind.name) + ", " + scaling.name);
            SizeConstraints held = kind.constraints;
            held.base = platform::readableBaseSize(kind.constraints);
            const NormalSizeHints hints = platform::writtenSizeHints(held, scaling.scaling);
            EXPECT_EQ(
                platform::misreadableSizeHints(hints, held.fixedSize()).join(QLatin1String("; ")), QString())
                << text(hints).toStdString();
            if (held.fixedSize()) {
                ASSERT_TRUE(hints.minimum && hints.maximum) << text(hints).toStdString();
                EXPECT_EQ(*hints.minimum, *hints.maximum);
            }
        }
}

// What Qt writes for a window left as it is: the fault the rule is there for.
TEST(WindowSizes, QtWritesAnUnsetBaseSizeScaledAsANegativeSizeWheneverItScales)
{
    const struct {
        Scaling scaling;
        std::optional<QSize> base, increment;
    } rows[] {
        { kScalings[0], std::nullopt, std::nullopt },
        { kScalings[1], QSize(-2, -2), QSize(2, 2) },
        { kScalings[2], QSize(-2, -2), QSize(2, 2) },
        { kScalings[3], QSize(-1, -1), QSize(1, 1) },
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.scaling.name);
        const NormalSizeHints hints = platform::writtenSizeHints(SizeConstraints {}, row.scaling.scaling);
        EXPECT_EQ(text(hints.base), text(row.base));
        EXPECT_EQ(text(hints.increment), text(row.increment));
        EXPECT_EQ(platform::misreadableSizeHints(hints, false).isEmpty(), !row.base.has_value());
    }
    // A base of 0 would leave a fixed size that comes out odd at 1.5 out of
    // reach of Qt's increment of 2.
    SizeConstraints toast = fixedAt(QSize(361, 67));
    toast.base = QSize(0, 0);
    const NormalSizeHints hints = platform::writtenSizeHints(toast, kScalings[1].scaling);
    EXPECT_EQ(text(hints.minimum), QStringLiteral("542 by 101"));
    EXPECT_FALSE(platform::misreadableSizeHints(hints, true).isEmpty()) << text(hints).toStdString();
}

TEST(WindowSizes, WhatAWindowManagerCouldMisreadIsNamed)
{
    const struct {
        const char* name;
        NormalSizeHints hints;
        bool fixedSize;
        const char* fault; // empty: none
    } rows[] {
        { "nothing written", {}, false, "" },
        { "a negative base", { std::nullopt, std::nullopt, QSize(-2, 0), QSize(2, 2) }, false,
            "negative base" },
        { "a negative minimum", { QSize(-1, 5), std::nullopt, std::nullopt, std::nullopt }, false,
            "negative minimum" },
        { "a minimum above the maximum", { QSize(200, 10), QSize(100, 100), std::nullopt, std::nullopt },
            false, "above the maximum" },
        { "a fixed size without a maximum", { QSize(100, 100), std::nullopt, std::nullopt, std::nullopt },
            true, "fixed size with minimum 100 by 100 and maximum none" },
        { "a fixed size its increments miss", { QSize(101, 100), QSize(101, 100), QSize(0, 0), QSize(2, 2) },
            true, "never reach" },
        { "a fixed size its increments reach",
            { QSize(101, 100), QSize(101, 100), QSize(101, 100), QSize(2, 2) }, true, "" },
        { "a fixed size without a base", { QSize(101, 99), QSize(101, 99), std::nullopt, QSize(2, 2) }, true,
            "" },
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        const QString faults
            = platform::misreadableSizeHints(row.hints, row.fixedSize).join(QLatin1String("; "));
        if (*row.fault)
            EXPECT_TRUE(faults.contains(QLatin1String(row.fault))) << faults.toStdString();
        else
            EXPECT_EQ(faults, QString());
    }
}

TEST(WindowSizes, ASizeLargerThanTheScreensThatWasNotAskedForIsRefusedAndAskedBackAFewTimes)
{
    const QSize screens(3840, 2160);
    const QSize meant(3840, 1000);
    const struct {
        const char* name;
        QSize given, meant, screens;
        int askedBack;
        GivenSize judged;
    } rows[] {
        { "the size asked for", meant, meant, screens, 0, GivenSize::taken },
        { "another size within the screens", QSize(3840, 2160), meant, screens, 0, GivenSize::taken },
        { "65534 square", QSize(65534, 65534), meant, screens, 0, GivenSize::refusedAndAskedBack },
        { "too high only", QSize(3840, 2161), meant, screens, 2, GivenSize::refusedAndAskedBack },
        { "too wide, asked back as often as allowed", QSize(3841, 100), meant, screens,
            platform::kAskBackLimit, GivenSize::refused },
        { "larger than the screens, as asked", QSize(1600, 2400), QSize(1600, 2400), screens, 0,
            GivenSize::taken },
        { "no screens to tell", QSize(65534, 65534), meant, QSize(), 0, GivenSize::taken },
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(platform::judgeGivenSize(row.given, row.meant, row.screens, row.askedBack), row.judged);
    }
}
