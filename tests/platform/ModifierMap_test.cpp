#include "platform/x11/ModifierMap.h"

#include <gtest/gtest.h>

using platform::x11::ModifierMap;

namespace {

// A server's modifier map, two places per modifier as Xvfb gives it:
// Shift, Lock, Control, Mod1 (Alt), Mod2 (Num Lock), Mod3, Mod4 (Super), Mod5.
const xcb_keycode_t kMap[] = {
    50, 62, // Shift: left, right
    66, 0, // Lock
    37, 105, // Control
    64, 108, // Mod1
    77, 0, // Mod2
    0, 0, // Mod3
    133, 134, // Mod4
    92, 64, // Mod5, with the left Alt key on it as well
};

} // namespace

TEST(ModifierMap, EachKeySetsTheBitsOfItsModifiersAndNumLockIsFoundByItsKey)
{
    ModifierMap map;
    map.assign(kMap, 2, { 77 });

    EXPECT_EQ(map.bitsOf(50), XCB_MOD_MASK_SHIFT);
    EXPECT_EQ(map.bitsOf(62), XCB_MOD_MASK_SHIFT);
    EXPECT_EQ(map.bitsOf(66), XCB_MOD_MASK_LOCK);
    EXPECT_EQ(map.bitsOf(105), XCB_MOD_MASK_CONTROL);
    EXPECT_EQ(map.bitsOf(64), XCB_MOD_MASK_1 | XCB_MOD_MASK_5) << "a key on two modifiers sets both";
    EXPECT_EQ(map.bitsOf(133), XCB_MOD_MASK_4);
    EXPECT_FALSE(map.isModifierKey(38)) << "an ordinary key";
    EXPECT_FALSE(map.isModifierKey(0)) << "an empty place names no key";
    EXPECT_FALSE(map.isModifierKey(300)) << "a key code past the map";

    EXPECT_EQ(map.keycodesOf(2), (std::vector<xcb_keycode_t> { 37, 105 })) << "left first";
    EXPECT_EQ(map.keycodesOf(1), (std::vector<xcb_keycode_t> { 66 }));
    EXPECT_TRUE(map.keycodesOf(5).empty());
    EXPECT_EQ(map.numLockMask(), XCB_MOD_MASK_2);
}

TEST(ModifierMap, ANewMapReplacesTheOldOneWhole)
{
    ModifierMap map;
    map.assign(kMap, 2, { 77 });

    // xmodmap moved Num Lock away and left Control with one key.
    const xcb_keycode_t next[] = { 50, 0, 66, 0, 37, 0, 64, 0, 0, 0, 0, 0, 133, 0, 0, 0 };
    map.assign(next, 2, { 77 });

    EXPECT_FALSE(map.isModifierKey(105));
    EXPECT_FALSE(map.isModifierKey(77));
    EXPECT_EQ(map.bitsOf(66), XCB_MOD_MASK_LOCK);
    EXPECT_EQ(map.bitsOf(64), XCB_MOD_MASK_1);
    EXPECT_EQ(map.keycodesOf(2), (std::vector<xcb_keycode_t> { 37 }));
    EXPECT_EQ(map.numLockMask(), 0) << "no modifier holds Num Lock";

    map.assign(nullptr, 0, {});
    EXPECT_FALSE(map.isModifierKey(50)) << "an unanswered read leaves no key a modifier";
}
