// Keyboard input of the desktop: which key-downs wait for the character message the system
// sends after them, key values with their modifier bits, the characters of keys typed while
// Control or Alt is held, and the wheel byte of the mouse state word.
#include "guib/guib.h"
#include "guib/os_keys.h"

#include <algorithm>
#include <array>

namespace {

constexpr uint32_t CODE_MASK = 0xFFFF;
constexpr uint32_t WHEEL_SIGN = 0x80000000;
constexpr uint32_t WHEEL_SHIFT = 24;
constexpr int32_t WHEEL_LIMIT = 127;

constexpr uint8_t VK_NUMLOCK_KEY = 144;
constexpr uint8_t VK_LSHIFT_KEY = 160;
constexpr uint8_t VK_LCONTROL_KEY = 162;
constexpr uint8_t VK_RALT_KEY = 165;
constexpr uint8_t VK_DECIMAL_KEY = 110;
constexpr uint8_t VK_DELETE_KEY = 46;
constexpr uint8_t VK_NUMPAD0_KEY = 96;
constexpr uint8_t VK_NUMPAD9_KEY = 105;

struct KeyBit {
    uint8_t virtualKey;
    uint32_t bit;
};

// Keys that count while held, in the order left and right Shift, Control, Alt.
constexpr KeyBit HELD_KEYS[]
    = { { 160, GUIB_KEY_LSHIFT }, { 161, GUIB_KEY_RSHIFT }, { 162, GUIB_KEY_LCTRL },
          { 163, GUIB_KEY_RCTRL }, { 164, GUIB_KEY_LALT }, { 165, GUIB_KEY_RALT } };
// Keys that count while toggled on: Caps Lock, Num Lock, Scroll Lock.
constexpr KeyBit LOCK_KEYS[]
    = { { 20, GUIB_KEY_CAPSLOCK }, { 144, GUIB_KEY_NUMLOCK }, { 145, GUIB_KEY_SCROLLLOCK } };

bool IsDown(uint8_t virtualKey)
{
    return guib::os::KeyState(virtualKey) < 0;
}

bool IsToggled(uint8_t virtualKey)
{
    return (guib::os::KeyState(virtualKey) & 1) != 0;
}

// What becomes of a key-down while neither Control nor Alt is held.
enum class KeyDown : uint8_t {
    Suppressed, // the key comes again as a character message, or is not one the toolkit uses
    Delivered,
    NumPadDigit, // suppressed while Num Lock is on, when the pad types digits
};

struct KeyRange {
    uint8_t first;
    uint8_t last;
};

// The keys whose key-down always reaches the focus window: Backspace and Tab, Enter, Shift,
// Control and Alt, Caps Lock, Escape, the navigation and editing block, the Windows and menu
// keys, the pad's separator, the function keys F1-F12, Num Lock and Scroll Lock, the sided
// modifiers, and the OEM keys 246-253.
constexpr KeyRange DELIVERED_KEYS[] = { { 8, 9 }, { 13, 13 }, { 16, 18 }, { 20, 20 }, { 27, 27 },
    { 33, 41 }, { 43, 43 }, { 45, 47 }, { 91, 93 }, { 108, 108 }, { 112, 123 }, { 144, 145 },
    { 160, 165 }, { 246, 253 } };

constexpr std::array<KeyDown, 256> KEY_DOWNS = [] {
    std::array<KeyDown, 256> table {};
    table.fill(KeyDown::Suppressed);
    for (KeyRange range : DELIVERED_KEYS)
        for (int key = range.first; key <= range.last; ++key)
            table[key] = KeyDown::Delivered;
    for (int key = VK_NUMPAD0_KEY; key <= VK_NUMPAD9_KEY; ++key)
        table[key] = KeyDown::NumPadDigit;
    return table;
}();

struct CharKey {
    uint8_t virtualKey;
    char plain;
    char shifted;
};

// Keys that type the same character whatever the locks, as on a US keyboard: the digit row,
// space, the pad's operators and the punctuation keys.
constexpr CharKey CHAR_KEYS[] = { { 48, '0', ')' }, { 49, '1', '!' }, { 50, '2', '@' },
    { 51, '3', '#' }, { 52, '4', '$' }, { 53, '5', '%' }, { 54, '6', '^' }, { 55, '7', '&' },
    { 56, '8', '*' }, { 57, '9', '(' }, { 32, ' ', ' ' }, { 106, '*', '*' }, { 107, '+', '+' },
    { 109, '-', '-' }, { 111, '/', '/' }, { 186, ';', ':' }, { 187, '=', '+' }, { 188, ',', '<' },
    { 189, '-', '_' }, { 190, '.', '>' }, { 191, '/', '?' }, { 192, '`', '~' }, { 219, '[', '{' },
    { 220, '\\', '|' }, { 221, ']', '}' }, { 222, '\'', '"' } };

// The character the key types, or 0 when it types none.
uint32_t CharacterOf(uint32_t key)
{
    uint32_t code = key & CODE_MASK;
    bool shift = (key & (GUIB_KEY_LSHIFT | GUIB_KEY_RSHIFT)) != 0;
    bool numLock = (key & GUIB_KEY_NUMLOCK) != 0;
    if (code >= 'A' && code <= 'Z') {
        bool upper = shift != ((key & GUIB_KEY_CAPSLOCK) != 0);
        return upper ? code : code + ('a' - 'A');
    }
    if (code >= VK_NUMPAD0_KEY && code <= VK_NUMPAD9_KEY)
        return numLock ? '0' + (code - VK_NUMPAD0_KEY) : 0;
    if (code == VK_DECIMAL_KEY)
        return numLock ? '.' : 0;
    for (CharKey charKey : CHAR_KEYS)
        if (charKey.virtualKey == code)
            return uint8_t(shift ? charKey.shifted : charKey.plain);
    return 0;
}

}

uint32_t GUIB_TranslateKey(uint32_t virtualKey)
{
    uint32_t key = virtualKey & CODE_MASK;
    for (KeyBit held : HELD_KEYS)
        if (IsDown(held.virtualKey))
            key |= held.bit;
    for (KeyBit lock : LOCK_KEYS)
        if (IsToggled(lock.virtualKey))
            key |= lock.bit;
    if (key & (GUIB_KEY_LSHIFT | GUIB_KEY_RSHIFT))
        key |= GUIB_KEY_SHIFT;
    if (key & (GUIB_KEY_LCTRL | GUIB_KEY_RCTRL))
        key |= GUIB_KEY_CTRL;
    if (key & (GUIB_KEY_LALT | GUIB_KEY_RALT))
        key |= GUIB_KEY_ALT;
    return key;
}

uint32_t GUIB_GetModifiers()
{
    return GUIB_TranslateKey(0);
}

uint32_t GUIB_KeyToChar(uint32_t key)
{
    // A character already: its code is no virtual key, and reading it as one would turn 'a'
    // (97, the pad's 1) into '1'.
    if (key & GUIB_KEY_CHAR)
        return key;
    uint32_t character = CharacterOf(key);
    if (character != 0)
        return (key & ~CODE_MASK) | GUIB_KEY_CHAR | character;
    // Without Num Lock the pad's decimal key is the pad's Delete.
    if ((key & CODE_MASK) == VK_DECIMAL_KEY)
        return (key & ~CODE_MASK) | VK_DELETE_KEY;
    return key;
}

bool GUIB_IsCharKey(uint32_t virtualKey)
{
    // Virtual keys end at 255; anything beyond is no character key and reaches the window.
    if (virtualKey >= KEY_DOWNS.size())
        return false;
    for (uint8_t side = VK_LCONTROL_KEY; side <= VK_RALT_KEY; ++side)
        if (IsDown(side))
            return false;
    switch (KEY_DOWNS[virtualKey]) {
    case KeyDown::Suppressed:
        return true;
    case KeyDown::NumPadDigit:
        return IsToggled(VK_NUMLOCK_KEY);
    case KeyDown::Delivered:
        break;
    }
    return false;
}

bool GUIB_IsIgnoredChar(uint32_t character)
{
    return character < 32 || character >= 127;
}

uint32_t GUIB_PackWheel(uint32_t state, int32_t delta)
{
    // Clamped before the sign is taken off, so that the most negative delta cannot overflow.
    int32_t notches = std::clamp(delta, -WHEEL_LIMIT, WHEEL_LIMIT);
    uint32_t sign = notches < 0 ? WHEEL_SIGN : 0;
    uint32_t magnitude = uint32_t(notches < 0 ? -notches : notches);
    return (state & ((1u << WHEEL_SHIFT) - 1)) | sign | (magnitude << WHEEL_SHIFT);
}

int32_t GUIB_GetWheelDelta(uint32_t state)
{
    auto magnitude = int32_t((state >> WHEEL_SHIFT) & uint32_t(WHEEL_LIMIT));
    return (state & WHEEL_SIGN) ? -magnitude : magnitude;
}

void GUIB_SetKeyState(uint8_t virtualKey, bool down, bool toggled)
{
    guib::os::SetKeyState(virtualKey, down, toggled);
    if (virtualKey < VK_LSHIFT_KEY || virtualKey > VK_RALT_KEY)
        return;
    // The system keeps Shift (16), Control (17) and Alt (18) down while either side is; its
    // character translation reads those.
    auto both = uint8_t(16 + (virtualKey - VK_LSHIFT_KEY) / 2);
    auto otherSide = uint8_t(virtualKey ^ 1);
    guib::os::SetKeyState(both, down || IsDown(otherSide), IsToggled(both));
}

void GUIB_ResetKeyStates()
{
    guib::os::ResetKeyStates();
}
