// The system side of the key state: both backends define this. On Windows it is the calling
// thread's keyboard state; elsewhere a process-wide table that only injected keys change.
#pragma once

#include <cstdint>

namespace guib::os {

// GetKeyState's answer for the key: negative while it is down, bit 0 set while it is toggled on.
int16_t KeyState(uint8_t virtualKey);
// Sets one key's down and toggled state, leaving the others alone. A system that refuses the
// change keeps its state; nothing is reported, since a refused injection shows in what
// KeyState answers next.
void SetKeyState(uint8_t virtualKey, bool down, bool toggled);
// Every key up and toggled off, with the same rule on refusal.
void ResetKeyStates();

}
