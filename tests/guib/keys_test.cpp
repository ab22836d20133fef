// Key values, character keys and the wheel byte, driven through injected key states so that the
// same cases run against the POSIX table and a Windows thread's keyboard state.
#include "guib/guib.h"
#include "guib/os_keys.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

constexpr uint8_t LSHIFT = 160, RSHIFT = 161, LCTRL = 162, RCTRL = 163, LALT = 164, RALT = 165;
constexpr uint8_t CAPSLOCK = 20, NUMLOCK = 144, SCROLLLOCK = 145;

class Keys : public testing::Test {
protected:
    void SetUp() override { GUIB_ResetKeyStates(); }
    void TearDown() override { GUIB_ResetKeyStates(); }
    static void Hold(uint8_t key) { GUIB_SetKeyState(key, true, false); }
    static void TurnOn(uint8_t lock) { GUIB_SetKeyState(lock, false, true); }
    static uint32_t Typed(uint32_t virtualKey)
    {
        return GUIB_KeyToChar(GUIB_TranslateKey(virtualKey));
    }
};

TEST_F(Keys, InjectedStatesReadBackAsTheSystemReportsThem)
{
    // One side of a modifier moves the key that stands for both sides while either is down.
    Hold(LSHIFT);
    Hold(RSHIFT);
    GUIB_SetKeyState(LSHIFT, false, false);
    EXPECT_LT(guib::os::KeyState(16), 0);
    GUIB_SetKeyState(RSHIFT, false, false);
    EXPECT_EQ(0, guib::os::KeyState(16));
    Hold(RALT);
    TurnOn(CAPSLOCK);
    EXPECT_TRUE(guib::os::KeyState(18) < 0 && guib::os::KeyState(17) == 0);
    GUIB_ResetKeyStates();
    for (int key = 0; key < 256; ++key)
        ASSERT_EQ(0, guib::os::KeyState(uint8_t(key))) << key;
}

TEST_F(Keys, EachHeldKeyAndLockSetsItsBitAndItsSummary)
{
    const struct {
        uint8_t key;
        bool lock;
        uint32_t bits;
    } cases[] = { { LSHIFT, false, GUIB_KEY_LSHIFT | GUIB_KEY_SHIFT },
        { RSHIFT, false, GUIB_KEY_RSHIFT | GUIB_KEY_SHIFT },
        { LCTRL, false, GUIB_KEY_LCTRL | GUIB_KEY_CTRL },
        { RCTRL, false, GUIB_KEY_RCTRL | GUIB_KEY_CTRL },
        { LALT, false, GUIB_KEY_LALT | GUIB_KEY_ALT },
        { RALT, false, GUIB_KEY_RALT | GUIB_KEY_ALT }, { CAPSLOCK, true, GUIB_KEY_CAPSLOCK },
        { NUMLOCK, true, GUIB_KEY_NUMLOCK }, { SCROLLLOCK, true, GUIB_KEY_SCROLLLOCK } };
    for (const auto& c : cases) {
        GUIB_ResetKeyStates();
        c.lock ? TurnOn(c.key) : Hold(c.key);
        EXPECT_EQ(c.bits, GUIB_GetModifiers()) << int(c.key);
        EXPECT_EQ(c.bits | 'Q', GUIB_TranslateKey('Q')) << int(c.key);
        // Held locks and toggled modifiers count for nothing.
        GUIB_ResetKeyStates();
        GUIB_SetKeyState(c.key, c.lock, !c.lock);
        EXPECT_EQ(0u, GUIB_GetModifiers()) << int(c.key);
    }
    // A code beyond 16 bits must not pass for modifier bits.
    EXPECT_EQ(0x41u, GUIB_TranslateKey(0x20041));
}

// Key-downs are suppressed by ranges; each case sits at the edge of one.
TEST_F(Keys, KeyDownsOfCharacterKeysAreSuppressedWithoutControlOrAlt)
{
    const std::vector<uint32_t> suppressed { 0, 7, 10, 12, 14, 15, 19, 21, 26, 28, 32, 42, 44, 48,
        57, 65, 90, 94, 95, 106, 107, 109, 110, 111, 124, 143, 146, 159, 166, 186, 222, 245, 254,
        255 };
    const std::vector<uint32_t> delivered { 8, 9, 13, 16, 18, 20, 27, 33, 41, 43, 45, 47, 91, 93,
        96, 105, 108, 112, 123, 144, 145, 160, 165, 246, 253, 256, 0x10041 };
    Hold(LSHIFT); // Shift types characters: it changes nothing
    for (uint32_t key : suppressed)
        EXPECT_TRUE(GUIB_IsCharKey(key)) << key;
    for (uint32_t key : delivered)
        EXPECT_FALSE(GUIB_IsCharKey(key)) << key;
    TurnOn(NUMLOCK); // the pad types digits
    EXPECT_TRUE(GUIB_IsCharKey(96) && GUIB_IsCharKey(105));
    for (uint8_t modifier : { LCTRL, RCTRL, LALT, RALT }) {
        GUIB_ResetKeyStates();
        TurnOn(NUMLOCK);
        Hold(modifier);
        for (uint32_t key = 0; key < 256; ++key)
            ASSERT_FALSE(GUIB_IsCharKey(key)) << key << " with " << int(modifier);
    }
}

// Letters follow Shift exclusive-or Caps Lock, Control and Alt keep the character, and the pad
// types digits only with Num Lock (its decimal key is otherwise Delete). 0: the key value comes
// back unchanged, without a character.
TEST_F(Keys, WhatAKeyTypesUnderHeldKeysAndLocks)
{
    constexpr uint32_t SHIFT = GUIB_KEY_SHIFT | GUIB_KEY_RSHIFT;
    constexpr uint32_t ALT = GUIB_KEY_ALT | GUIB_KEY_LALT;
    constexpr uint32_t CHAR = GUIB_KEY_CHAR;
    const struct {
        std::vector<uint8_t> held;
        std::vector<uint8_t> locks;
        uint32_t key;
        uint32_t typed;
    } cases[] = { { {}, {}, 'A', CHAR | 'a' }, { { RSHIFT }, {}, 'A', CHAR | SHIFT | 'A' },
        { { RSHIFT }, { CAPSLOCK }, 'Z', CHAR | SHIFT | GUIB_KEY_CAPSLOCK | 'z' },
        { {}, { CAPSLOCK }, 'Z', CHAR | GUIB_KEY_CAPSLOCK | 'Z' },
        { { LCTRL }, {}, 'A', CHAR | GUIB_KEY_CTRL | GUIB_KEY_LCTRL | 'a' },
        { { LALT }, {}, 96, 0 }, { { LALT }, {}, 105, 0 }, { { LALT }, {}, 110, ALT | 46 },
        { { LALT }, { NUMLOCK }, 96, CHAR | ALT | GUIB_KEY_NUMLOCK | '0' },
        { { LALT }, { NUMLOCK }, 105, CHAR | ALT | GUIB_KEY_NUMLOCK | '9' },
        { { LALT }, { NUMLOCK }, 110, CHAR | ALT | GUIB_KEY_NUMLOCK | '.' } };
    for (const auto& c : cases) {
        GUIB_ResetKeyStates();
        for (uint8_t key : c.held)
            Hold(key);
        for (uint8_t lock : c.locks)
            TurnOn(lock);
        EXPECT_EQ(c.typed != 0 ? c.typed : GUIB_TranslateKey(c.key), Typed(c.key)) << c.key;
    }
    GUIB_ResetKeyStates();
    TurnOn(NUMLOCK);
    Hold(LSHIFT);
    for (uint32_t key : { 8u, 13u, 27u, 46u, 112u, 123u, 160u, 255u, 0x1234u })
        EXPECT_EQ(GUIB_TranslateKey(key), Typed(key)) << key;
    // 'a' is also the pad's 1 key: a second translation must not turn it into '1'.
    uint32_t a = GUIB_KEY_CHAR | GUIB_KEY_NUMLOCK | 'a';
    EXPECT_EQ(a, GUIB_KeyToChar(a));
    // The control character the system sends alongside Control+A is dropped.
    EXPECT_TRUE(GUIB_IsIgnoredChar(1));
}

TEST_F(Keys, DigitAndPunctuationRowsTakeShiftButNotCapsLock)
{
    const uint8_t keys[] = { 48, 49, 50, 51, 52, 53, 54, 55, 56, 57, 186, 187, 188, 189, 190, 191,
        192, 219, 220, 221, 222, 32, 106, 107, 109, 111 };
    const std::string plain = "0123456789;=,-./`[\\]' *+-/";
    const std::string shifted = ")!@#$%^&*(:+<_>?~{|}\" *+-/";
    TurnOn(CAPSLOCK);
    for (bool shift : { false, true }) {
        GUIB_SetKeyState(LSHIFT, shift, false);
        for (size_t i = 0; i < std::size(keys); ++i)
            EXPECT_EQ(GUIB_GetModifiers() | GUIB_KEY_CHAR | uint8_t((shift ? shifted : plain)[i]),
                Typed(keys[i]))
                << int(keys[i]);
    }
}

TEST(KeyCharacters, ControlCharactersAndEverythingFrom127AreIgnored)
{
    for (uint32_t c : { 0u, 9u, 13u, 27u, 31u, 127u, 128u, 0xE9u, 0xFFFFu, 0xFFFFFFFFu })
        EXPECT_TRUE(GUIB_IsIgnoredChar(c)) << c;
    for (uint32_t c : { 32u, 97u, 126u })
        EXPECT_FALSE(GUIB_IsIgnoredChar(c)) << c;
}

TEST(Wheel, SignAndClampedMagnitudeInTheTopByte)
{
    const struct {
        uint32_t state;
        int32_t delta;
        uint32_t packed;
        int32_t unpacked;
    } cases[] = {
        { 0, -3, 0x83000000, -3 },
        { 0, 200, 0x7F000000, 127 },
        { 0, INT32_MIN, 0xFF000000, -127 },
        { 0x83ABCDEF, 0, 0x00ABCDEF, 0 }, // the last movement is replaced, the buttons kept
        { 0x00FFFFFF, -1, 0x81FFFFFF, -1 },
    };
    for (const auto& c : cases) {
        uint32_t packed = GUIB_PackWheel(c.state, c.delta);
        EXPECT_EQ(c.packed, packed) << c.delta;
        EXPECT_EQ(c.unpacked, GUIB_GetWheelDelta(packed)) << c.delta;
    }
    for (int32_t delta = -127; delta <= 127; ++delta)
        ASSERT_EQ(
            delta, GUIB_GetWheelDelta(GUIB_PackWheel(GUIB_BTN_LEFT | GUIB_BTN_MIDDLE, delta)));
}

}
