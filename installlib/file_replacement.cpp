// Replacing a file without ever destroying it: the new bytes go to a temporary file beside the
// destination, which is moved over it in one step once complete. Every copy that can replace an
// existing file writes through this, so a corrupt source, a full disk or a kill never leaves
// the user with neither the old file nor the new one.
#include "installlib/installlib_internal.h"

#include <atomic>

namespace {

using namespace installlib::detail;

// Names are tried from a counter shared by every thread, started from the clock so that two
// processes working in one folder rarely meet; an exclusive create settles any meeting.
std::atomic<uint32_t> g_nextName { SYS_TickCount() * 0x9E3779B1u };
constexpr int NAME_ATTEMPTS = 8;

// "~pt" + 8 hex digits + ".tmp", appended to folder; false when it does not fit.
bool AppendTemporaryName(char16_t* path, size_t capacity, uint32_t serial)
{
    char16_t name[] = u"~pt00000000.tmp";
    for (int digit = 0; digit < 8; ++digit)
        name[10 - digit] = u"0123456789abcdef"[(serial >> (4 * digit)) & 0xF];
    return Append(path, capacity, name);
}

// Runs call with path in the form the module's calls take: wide, or 8-bit text when only the
// 8-bit calls exist (a path that cannot be converted gives fallback).
template <typename Result, typename Wide, typename Narrow>
Result WithPath(bool wide, const char16_t* path, Result fallback, Wide wideCall, Narrow narrowCall)
{
    if (wide)
        return wideCall(path);
    char narrow[PATH_CAPACITY];
    return ToFileApi(narrow, sizeof(narrow), path) ? narrowCall(narrow) : fallback;
}

SYS_Handle CreateNew(bool wide, const char16_t* path)
{
    return WithPath<SYS_Handle>(wide, path, 0, SYS_FileCreateNewW, SYS_FileCreateNew);
}

void Delete(bool wide, const char16_t* path)
{
    (void)WithPath<SYS_Status>(wide, path, SYS_OK, SYS_FileDeleteW, SYS_FileDelete);
}

bool Replace(bool wide, const char16_t* from, const char16_t* to)
{
    if (wide)
        return Sys().replaceFileW(from, to);
    char narrowFrom[PATH_CAPACITY];
    char narrowTo[PATH_CAPACITY];
    return ToFileApi(narrowFrom, sizeof(narrowFrom), from)
        && ToFileApi(narrowTo, sizeof(narrowTo), to) && Sys().replaceFileA(narrowFrom, narrowTo);
}

}

int InstallLib_FileReplacement::Begin(const char16_t* destination)
{
    Abandon();
    if (!destination || SYS_WStrLen(destination) >= PATH_CAPACITY)
        return 0;
    (void)SYS_WStrCopy(m_destination, PATH_CAPACITY, destination);
    m_wide = UseWideCalls();
    for (int attempt = 0; attempt < NAME_ATTEMPTS && m_file == 0; ++attempt) {
        if (!FolderOf(m_temporary, PATH_CAPACITY, m_destination)
            || !AppendTemporaryName(m_temporary, PATH_CAPACITY, g_nextName.fetch_add(1)))
            break;
        m_file = CreateNew(m_wide, m_temporary);
    }
    if (m_file == 0)
        m_temporary[0] = 0;
    return m_file != 0 ? 1 : 0;
}

int InstallLib_FileReplacement::Write(const void* bytes, uint32_t count)
{
    if (m_file != 0 && Sys().writeFile(m_file, bytes, count) == SYS_OK)
        return 1;
    Abandon();
    return 0;
}

int InstallLib_FileReplacement::Commit()
{
    if (m_file == 0)
        return 0;
    // A failed close can lose written bytes, so it fails the replacement too.
    const bool closed = SYS_FileClose(m_file) != 0;
    m_file = 0;
    if (!closed || !Replace(m_wide, m_temporary, m_destination)) {
        Abandon();
        return 0;
    }
    m_temporary[0] = 0;
    return 1;
}

void InstallLib_FileReplacement::Abandon()
{
    if (m_file != 0)
        (void)SYS_FileClose(m_file);
    m_file = 0;
    if (m_temporary[0] != 0)
        Delete(m_wide, m_temporary);
    m_temporary[0] = 0;
}
