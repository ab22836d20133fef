// Code-page conversions on POSIX through iconv. Windows code pages go by their iconv names;
// the file functions take UTF-8 names. Conversions are strict: a character without an exact
// code, or bytes that are not valid text, fail the whole conversion.
#include "platform/os_codepage.h"

#include <bit>
#include <iconv.h>
#include <vector>

namespace platform::os {

namespace {

constexpr const char* WIDE = std::endian::native == std::endian::little ? "UTF-16LE" : "UTF-16BE";

// The iconv name of a Windows code page, or null for a page this backend does not know.
const char* IconvName(uint32_t codePage)
{
    struct Name {
        uint32_t codePage;
        const char* name;
    };
    static constexpr Name NAMES[] = {
        { 437, "CP437" },
        { 850, "CP850" },
        { 852, "CP852" },
        { 866, "CP866" },
        { 874, "CP874" },
        { 932, "CP932" },
        { 936, "CP936" },
        { 949, "CP949" },
        { 950, "CP950" },
        { 1250, "CP1250" },
        { 1251, "CP1251" },
        { 1252, "CP1252" },
        { 1253, "CP1253" },
        { 1254, "CP1254" },
        { 1255, "CP1255" },
        { 1256, "CP1256" },
        { 1257, "CP1257" },
        { 1258, "CP1258" },
        { CODE_PAGE_UTF8, "UTF-8" },
    };
    for (const Name& entry : NAMES) {
        if (entry.codePage == codePage)
            return entry.name;
    }
    return nullptr;
}

// One iconv conversion descriptor, closed with the scope.
class Conversion {
public:
    Conversion(const char* to, const char* from)
        : m_descriptor(to && from ? iconv_open(to, from) : INVALID)
    {
    }
    ~Conversion()
    {
        if (Valid())
            iconv_close(m_descriptor);
    }
    Conversion(const Conversion&) = delete;
    Conversion& operator=(const Conversion&) = delete;

    bool Valid() const { return m_descriptor != INVALID; }

    // Converts all of source into [destination, destination + capacity) and ends any shift
    // state, so that stateful pages (1255, 1258) give out a character they held back.
    bool Into(const void* source, size_t sourceBytes, void* destination, size_t capacity,
        size_t* produced)
    {
        char* in = const_cast<char*>(static_cast<const char*>(source));
        char* out = static_cast<char*>(destination);
        size_t inLeft = sourceBytes;
        size_t outLeft = capacity;
        if (iconv(m_descriptor, &in, &inLeft, &out, &outLeft) == FAILED
            || iconv(m_descriptor, nullptr, nullptr, &out, &outLeft) == FAILED)
            return false;
        *produced = capacity - outLeft;
        return true;
    }

private:
    static inline const iconv_t INVALID = reinterpret_cast<iconv_t>(-1);
    static constexpr size_t FAILED = static_cast<size_t>(-1);
    iconv_t m_descriptor;
};

// Converts into the destination, or with capacity 0 into scratch space only to learn the size.
// No conversion between UTF-16 and these pages more than doubles the byte count, plus a
// flushed shift state.
bool Convert(const char* to, const char* from, const void* source, size_t sourceBytes,
    void* destination, size_t capacity, size_t* produced)
{
    Conversion conversion(to, from);
    if (!conversion.Valid())
        return false;
    if (capacity > 0)
        return conversion.Into(source, sourceBytes, destination, capacity, produced);
    std::vector<char> scratch(2 * sourceBytes + 16);
    return conversion.Into(source, sourceBytes, scratch.data(), scratch.size(), produced);
}

}

uint32_t FileApiCodePage()
{
    return CODE_PAGE_UTF8;
}

bool WideToMultiByte(uint32_t codePage, const char16_t* source, size_t count, char* destination,
    uint32_t capacity, uint32_t* written)
{
    size_t bytes = 0;
    if (!Convert(IconvName(codePage), WIDE, source, count * sizeof(char16_t), destination, capacity,
            &bytes)
        || bytes > UINT32_MAX)
        return false;
    *written = static_cast<uint32_t>(bytes);
    return true;
}

bool MultiByteToWide(uint32_t codePage, const char* source, size_t count, char16_t* destination,
    uint32_t capacity, uint32_t* written)
{
    size_t bytes = 0;
    if (!Convert(WIDE, IconvName(codePage), source, count, destination,
            size_t { capacity } * sizeof(char16_t), &bytes)
        || bytes / sizeof(char16_t) > UINT32_MAX)
        return false;
    *written = static_cast<uint32_t>(bytes / sizeof(char16_t));
    return true;
}

}
