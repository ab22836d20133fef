// Every routine that writes text keeps to the same bound: nothing past the capacity, always
// terminated when the capacity is at least 1, and the full length returned so that a cut-short
// result shows. One table per character type runs each routine at the telling capacities.
#include "platform/platform.h"
#include "tests/support/test_support.h"

#include <algorithm>
#include <functional>
#include <gtest/gtest.h>
#include <string>

namespace {

std::string Show(const std::string& text)
{
    return text;
}
std::string Show(const std::u16string& text)
{
    return test::Narrow(text);
}

template <typename Char> struct BoundedCase {
    const char* name;
    std::function<long long(Char*, size_t)> write; // returns the length the whole text needs
    std::basic_string<Char> expected;
};

// Capacity 0 (nothing written), 1 (only the terminator), one short and exact fit; then a null
// destination, which writes nothing and returns 0.
template <typename Char> void CheckBounds(const BoundedCase<Char>& c)
{
    SCOPED_TRACE(c.name);
    const size_t full = c.expected.size();
    for (size_t capacity : { size_t { 0 }, size_t { 1 }, full, full + 1 }) {
        test::GuardedBuffer<Char> buffer(capacity);
        EXPECT_EQ(c.write(buffer.Data(), capacity), static_cast<long long>(full)) << capacity;
        EXPECT_TRUE(buffer.GuardsIntact()) << capacity;
        if (capacity > 0) {
            size_t kept = std::min(full, capacity - 1);
            EXPECT_EQ(Show(buffer.Data()), Show(c.expected.substr(0, kept))) << capacity;
        }
    }
    EXPECT_EQ(c.write(nullptr, 16), 0);
}

using Narrow = BoundedCase<char>;
using Wide = BoundedCase<char16_t>;

TEST(BoundedOutput, EightBitRoutines)
{
    const Narrow cases[] = {
        { "StrCopy", [](char* d, size_t n) { return SYS_StrCopy(d, n, "hello"); }, "hello" },
        { "Format",
            [](char* d, size_t n) {
                return SYS_Format(d, n, "%s=%04d %zu", "id", 42, size_t { 7 });
            },
            "id=0042 7" },
        { "PathDir", [](char* d, size_t n) { return SYS_PathDir(d, n, "C:\\Game\\a.txt"); },
            "C:\\Game\\" },
        { "PathFileName", [](char* d, size_t n) { return SYS_PathFileName(d, n, "C:\\a.txt"); },
            "a.txt" },
        { "WStrToStr", [](char* d, size_t n) { return SYS_WStrToStr(d, n, u"wide\u0161"); },
            "wide?" },
    };
    for (const auto& c : cases)
        CheckBounds(c);
}

TEST(BoundedOutput, WideRoutines)
{
    const Wide cases[] = {
        { "WStrCopy", [](char16_t* d, size_t n) { return SYS_WStrCopy(d, n, u"hello"); },
            u"hello" },
        { "WStrUpperCopy", [](char16_t* d, size_t n) { return SYS_WStrUpperCopy(d, n, u"abc-z"); },
            u"ABC-Z" },
        { "WFormat",
            [](char16_t* d, size_t n) { return SYS_WFormat(d, n, u"%s %hs %d", u"a", "b", -5); },
            u"a b -5" },
        { "FormatSize", [](char16_t* d, size_t n) { return SYS_FormatSize(d, n, 1536); },
            u"1.50 KB" },
        { "WPathDir", [](char16_t* d, size_t n) { return SYS_WPathDir(d, n, u"a/b/c"); }, u"a/b/" },
        { "WPathFileName",
            [](char16_t* d, size_t n) { return SYS_WPathFileName(d, n, u"a/b\\name"); }, u"name" },
        { "WStripComments",
            [](char16_t* d, size_t n) {
                return SYS_WStripComments(d, n, u"ab/*x*/cd // e", nullptr);
            },
            u"abcd " },
        { "StrToWStr", [](char16_t* d, size_t n) { return SYS_StrToWStr(d, n, "plain"); },
            u"plain" },
    };
    for (const auto& c : cases)
        CheckBounds(c);
}

}
