// The system side of shortcuts: the user's special folders and the writing of one link file
// (a shell link through IShellLinkW/IShellLinkA and IPersistFile on Win32, a freedesktop
// ".desktop" entry on POSIX). The Win32 and POSIX backends both define these.
#pragma once

#include <cstdint>

namespace installlib::os {

// The folders shortcuts go to, by their CSIDL numbers.
enum class SpecialFolder : uint32_t { Programs = 2, DesktopDirectory = 16 };

// The properties of one link; absent ones are null. The 8-bit form carries the text of the
// ANSI calls.
template <typename Char> struct LinkText {
    const Char* target;
    const Char* description;
    const Char* workingFolder;
    const Char* iconFile;
    int32_t iconIndex;
    const Char* arguments;
};

// The folder's path (without a final separator on Win32), false when the system has none or it
// does not fit capacity. On POSIX the desktop is $XDG_DESKTOP_DIR, else ~/Desktop; the programs
// folder is $XDG_DATA_HOME/applications, else ~/.local/share/applications, created if missing.
bool SpecialFolderPathW(SpecialFolder folder, char16_t* buffer, uint32_t capacity);
bool SpecialFolderPathA(SpecialFolder folder, char* buffer, uint32_t capacity);

// Writes the link file at linkPath (COM must be initialised on the calling thread on Win32).
// True only when the file was saved. On POSIX a ".lnk" ending becomes ".desktop".
bool WriteLinkW(const LinkText<char16_t>& link, const char16_t* linkPath);
bool WriteLinkA(const LinkText<char>& link, const char16_t* linkPath);

// The name of the file the two calls above save for linkPath, as the system names it: linkPath
// on Win32; on POSIX with "/" separators and ".desktop" for a ".lnk" ending. False when it is
// no text or does not fit capacity.
bool LinkFilePath(const char16_t* linkPath, char16_t* buffer, uint32_t capacity);

}
