// The key state without a window system: a table of the 256 virtual keys that only injected
// keys change. The toolkit runs on one thread, so the table needs no lock.
#include "guib/os_keys.h"

#include <array>

namespace {

constexpr uint8_t DOWN = 0x80;
constexpr uint8_t TOGGLED = 0x01;

std::array<uint8_t, 256> g_keys {};

}

int16_t guib::os::KeyState(uint8_t virtualKey)
{
    // GetKeyState's form: the down bit becomes the sign of a 16-bit answer.
    uint8_t key = g_keys[virtualKey];
    return int16_t(((key & DOWN) ? 0xFF80 : 0) | (key & TOGGLED));
}

void guib::os::SetKeyState(uint8_t virtualKey, bool down, bool toggled)
{
    g_keys[virtualKey] = uint8_t((down ? DOWN : 0) | (toggled ? TOGGLED : 0));
}

void guib::os::ResetKeyStates()
{
    g_keys.fill(0);
}
