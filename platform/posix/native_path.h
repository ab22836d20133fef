// File names as the POSIX system wants them. The system speaks Windows paths, so "\\" becomes
// "/" here, at the boundary to the system calls; wide names become UTF-8. Every POSIX backend
// that hands a name to the system goes through these.
#pragma once

#include <optional>
#include <string>

namespace platform::posix {

// The 8-bit name with every "\\" replaced by "/"; the bytes are otherwise passed unchanged.
std::string NativePath(const char* name);
// The wide name in UTF-8 with "\\" replaced by "/"; nothing for a name that is not valid
// UTF-16 (an unpaired surrogate), which no file can be named after.
std::optional<std::string> NativePath(const char16_t* name);

}
