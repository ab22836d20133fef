// The key state on Win32: the calling thread's keyboard state, read with GetKeyState and
// changed with SetKeyboardState, which is what GetKeyState answers from.
#include <windows.h>

#include "guib/os_keys.h"

int16_t guib::os::KeyState(uint8_t virtualKey)
{
    return int16_t(GetKeyState(virtualKey));
}

void guib::os::SetKeyState(uint8_t virtualKey, bool down, bool toggled)
{
    BYTE state[256] {};
    if (!GetKeyboardState(state))
        return;
    state[virtualKey] = BYTE((down ? 0x80 : 0) | (toggled ? 0x01 : 0));
    (void)SetKeyboardState(state);
}

void guib::os::ResetKeyStates()
{
    BYTE state[256] {};
    (void)SetKeyboardState(state);
}
