// Helpers of the POSIX backend shared by its files: names translated for the system with
// Windows' case-insensitive lookup emulated, and descriptors wrapped as handles.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace bigfile::posix {

// The system path for an 8-bit or wide name: "\\" becomes "/", and a name that does not exist
// as written is looked up folder by folder with ASCII letter case ignored, as Windows does.
// Nothing for a wide name that is not valid UTF-16.
std::string SystemPath(const char* name);
std::optional<std::string> SystemPath(const char16_t* name);

// Wide text from UTF-8, into capacity units including the terminator. False when it does not
// fit or is not valid UTF-8.
bool WidenUtf8(char16_t* destination, size_t capacity, const std::string& text);

// Handles are the descriptor shifted past bits 0 and 1, as the platform layer makes them.
uintptr_t ToHandle(int descriptor);
int ToDescriptor(uintptr_t handle);

}
