// Helpers of the POSIX backend shared by its files: the names its calls hand to the system,
// translated by the platform layer and found with Windows' case-insensitive lookup emulated,
// and descriptors wrapped as handles. paths.cpp holds the backend's folder and full-path calls.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace bigfile::posix {

// The system path for an 8-bit or wide name as the platform layer translates it ("\\" becomes
// "/", wide names UTF-8), without looking anything up: for names that need not exist. Nothing
// for a wide name that is not valid UTF-16.
std::string TranslatedPath(const char* name);
std::optional<std::string> TranslatedPath(const char16_t* name);

// The translated path, except that a name that does not exist as written is looked up folder by
// folder with ASCII letter case ignored, as Windows does.
std::string SystemPath(const char* name);
std::optional<std::string> SystemPath(const char16_t* name);

// Handles are the descriptor shifted past bits 0 and 1, as the platform layer makes them.
uintptr_t ToHandle(int descriptor);
int ToDescriptor(uintptr_t handle);

}
