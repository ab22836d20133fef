// Code-page conversion of file names, of text in a given page and of UTF-8: the capacity rules and
// the code-page override that both systems share, above the backends of os_codepage.h.
#include "platform/os_codepage.h"
#include "platform/platform.h"

#include <atomic>
#include <string>

namespace {

// The code page set by SYS_SetFileApiCodePage, or 0 for the system's rule.
std::atomic<uint32_t> fileApiOverride { 0 };

uint32_t FileApiCodePage()
{
    uint32_t codePage = fileApiOverride.load();
    return codePage != 0 ? codePage : platform::os::FileApiCodePage();
}

// Converts the whole source, terminator included. Capacity 0 asks for the size only.
template <typename From, typename To, typename Convert>
SYS_Status ConvertText(
    uint32_t codePage, To* destination, uint32_t* capacity, const From* source, Convert convert)
{
    if (capacity == nullptr || source == nullptr || (destination == nullptr && *capacity > 0))
        return SYS_BAD_ARGUMENT;
    const size_t count = std::char_traits<From>::length(source) + 1;
    uint32_t written = 0;
    if (!convert(codePage, source, count, destination, *capacity, &written))
        return SYS_OS_ERROR;
    const bool sizeOnly = *capacity == 0;
    *capacity = written;
    return sizeOnly ? SYS_SIZE_ONLY : SYS_OK;
}

}

SYS_Status SYS_WideToFileApi(char* destination, uint32_t* capacity, const char16_t* source)
{
    return ConvertText(
        FileApiCodePage(), destination, capacity, source, platform::os::WideToMultiByte);
}

SYS_Status SYS_FileApiToWide(char16_t* destination, uint32_t* capacity, const char* source)
{
    return ConvertText(
        FileApiCodePage(), destination, capacity, source, platform::os::MultiByteToWide);
}

SYS_Status SYS_WideToUtf8(char* destination, uint32_t* capacity, const char16_t* source)
{
    return ConvertText(
        platform::os::CODE_PAGE_UTF8, destination, capacity, source, platform::os::WideToMultiByte);
}

SYS_Status SYS_Utf8ToWide(char16_t* destination, uint32_t* capacity, const char* source)
{
    return ConvertText(
        platform::os::CODE_PAGE_UTF8, destination, capacity, source, platform::os::MultiByteToWide);
}

SYS_Status SYS_CodePageToWide(
    uint32_t codePage, char16_t* destination, uint32_t* capacity, const char* source)
{
    // Windows reads 0..3 as "the machine's page", which would make the result differ by machine.
    constexpr uint32_t FIRST_REAL_PAGE = 4;
    const uint32_t page = codePage < FIRST_REAL_PAGE ? UINT32_MAX : codePage;
    return ConvertText(page, destination, capacity, source, platform::os::MultiByteToWide);
}

uint32_t SYS_SetFileApiCodePage(uint32_t codePage)
{
    return fileApiOverride.exchange(codePage);
}
