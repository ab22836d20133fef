// Code-page conversion of file names: the in/out capacity (size only, exact fit, one short),
// round trips in the system's file-API page and exact codes under the pages of other editions;
// and text of a page named by the caller, whatever the file-API page is.
#include "platform/platform.h"
#include "tests/support/test_support.h"

#include <gtest/gtest.h>

#include <string>

namespace {

// Sets a file-API code page for one test and restores the system's rule afterwards.
class PageOverride {
public:
    explicit PageOverride(uint32_t codePage) { SYS_SetFileApiCodePage(codePage); }
    ~PageOverride() { SYS_SetFileApiCodePage(0); }
    PageOverride(const PageOverride&) = delete;
    PageOverride& operator=(const PageOverride&) = delete;
};

// The 8-bit form of source in the current page, or "<failed>".
std::string ToFileApi(const char16_t* source)
{
    char bytes[64];
    uint32_t capacity = sizeof bytes;
    if (SYS_WideToFileApi(bytes, &capacity, source) != SYS_OK)
        return "<failed>";
    return std::string(bytes, capacity - 1);
}

std::u16string ToWide(const char* source)
{
    char16_t units[64];
    uint32_t capacity = 64;
    if (SYS_FileApiToWide(units, &capacity, source) != SYS_OK)
        return u"<failed>";
    return std::u16string(units, capacity - 1);
}

TEST(CodePageCapacity, SizeOnlyExactFitAndOneShort)
{
    const char16_t* source = u"name \u00e9.txt";
    uint32_t needed = 0;
    ASSERT_EQ(SYS_WideToFileApi(nullptr, &needed, source), SYS_SIZE_ONLY);
    ASSERT_GE(needed, 11u); // ten characters and the terminator

    test::GuardedBuffer<char> exact(needed);
    uint32_t capacity = needed;
    EXPECT_EQ(SYS_WideToFileApi(exact.Data(), &capacity, source), SYS_OK);
    EXPECT_EQ(capacity, needed);
    EXPECT_EQ(exact.Data()[needed - 1], '\0');
    EXPECT_TRUE(exact.GuardsIntact());

    test::GuardedBuffer<char> shortOne(needed - 1);
    capacity = needed - 1;
    EXPECT_EQ(SYS_WideToFileApi(shortOne.Data(), &capacity, source), SYS_OS_ERROR);
    EXPECT_EQ(capacity, needed - 1);
    EXPECT_TRUE(shortOne.GuardsIntact());

    uint32_t units = 0;
    ASSERT_EQ(SYS_FileApiToWide(nullptr, &units, exact.Data()), SYS_SIZE_ONLY);
    EXPECT_EQ(units, 11u);
    test::GuardedBuffer<char16_t> wide(units);
    EXPECT_EQ(SYS_FileApiToWide(wide.Data(), &units, exact.Data()), SYS_OK);
    EXPECT_EQ(std::u16string(wide.Data()), source);
    EXPECT_TRUE(wide.GuardsIntact());
    test::GuardedBuffer<char16_t> wideShort(units - 1);
    units = 10;
    EXPECT_EQ(SYS_FileApiToWide(wideShort.Data(), &units, exact.Data()), SYS_OS_ERROR);
    EXPECT_TRUE(wideShort.GuardsIntact());
}

TEST(CodePageCapacity, MissingArgumentsAreRefused)
{
    char bytes[8];
    uint32_t capacity = sizeof bytes;
    EXPECT_EQ(SYS_WideToFileApi(bytes, &capacity, nullptr), SYS_BAD_ARGUMENT);
    EXPECT_EQ(SYS_WideToFileApi(bytes, nullptr, u"a"), SYS_BAD_ARGUMENT);
    EXPECT_EQ(SYS_WideToFileApi(nullptr, &capacity, u"a"), SYS_BAD_ARGUMENT);
    EXPECT_EQ(SYS_FileApiToWide(nullptr, &capacity, "a"), SYS_BAD_ARGUMENT);
    EXPECT_EQ(capacity, sizeof bytes);
    uint32_t empty = 0;
    EXPECT_EQ(SYS_FileApiToWide(nullptr, &empty, ""), SYS_SIZE_ONLY);
    EXPECT_EQ(empty, 1u);
}

// Each page's own codes both ways. No look-alike: "l" for U+0142 would name another file.
TEST(CodePageOverride, PagesOfOtherEditionsGiveTheirCodes)
{
    struct Case {
        uint32_t page;
        const char16_t* wide;
        const char* bytes; // null: the wide text has no form in the page
    };
    const char16_t unpaired[] = { u'a', 0xD800, u'b', 0 };
    const Case cases[] = {
        { 1250, u"\u017e\u0142", "\x9E\xB3" },
        { 1252, u"\u00e9t\u00e9", "\xE9t\xE9" },
        { 1252, u"\u0142", nullptr },
        { 932, u"\u3042a",
            "\x82\xA0"
            "a" },
        { 65001, u"\u65e5\u00e9", "\xE6\x97\xA5\xC3\xA9" },
        { 65001, unpaired, nullptr },
    };
    for (const Case& c : cases) {
        PageOverride page(c.page);
        EXPECT_EQ(ToFileApi(c.wide), c.bytes ? c.bytes : "<failed>") << c.page;
        if (c.bytes) {
            EXPECT_EQ(ToWide(c.bytes), c.wide) << c.page;
        }
    }
    PageOverride utf8(65001);
    EXPECT_EQ(ToWide("a\xFF"), u"<failed>");
    EXPECT_EQ(ToWide("a\xC3"), u"<failed>");
}

// The UTF-8 conversions serve the system calls of POSIX backends, whose names are UTF-8 whatever
// page a test sets for the file API.
TEST(CodePageOverride, Utf8ConversionsIgnoreIt)
{
    PageOverride page(1252);
    char bytes[16];
    uint32_t capacity = sizeof bytes;
    ASSERT_EQ(SYS_WideToUtf8(bytes, &capacity, u"\u65e5\u00e9"), SYS_OK);
    EXPECT_EQ(std::string(bytes, capacity - 1), "\xE6\x97\xA5\xC3\xA9");
    char16_t units[16];
    capacity = 16;
    ASSERT_EQ(SYS_Utf8ToWide(units, &capacity, bytes), SYS_OK);
    EXPECT_EQ(std::u16string(units, capacity - 1), u"\u65e5\u00e9");

    const char16_t unpaired[] = { u'a', 0xD800, 0 };
    capacity = sizeof bytes;
    EXPECT_EQ(SYS_WideToUtf8(bytes, &capacity, unpaired), SYS_OS_ERROR);
    capacity = 16;
    EXPECT_EQ(SYS_Utf8ToWide(units, &capacity, "a\xC3"), SYS_OS_ERROR);
}

TEST(CodePageOverride, UnknownPagesFailAndTheRuleComesBack)
{
    EXPECT_EQ(SYS_SetFileApiCodePage(12345), 0u);
    uint32_t capacity = 0;
    EXPECT_EQ(SYS_WideToFileApi(nullptr, &capacity, u"a"), SYS_OS_ERROR);
    EXPECT_EQ(ToWide("a"), u"<failed>");
    EXPECT_EQ(SYS_SetFileApiCodePage(0), 12345u);
    EXPECT_EQ(ToFileApi(u"plain.txt"), "plain.txt");
    EXPECT_EQ(ToWide("plain.txt"), u"plain.txt");
}

// A language's texts are read in that language's page, not in the file API's.
TEST(CodePageText, ReadsTheGivenPageOnly)
{
    PageOverride page(65001);
    struct Case {
        uint32_t page;
        const char* bytes;
        const char16_t* wide; // null: the conversion fails
    };
    const Case cases[] = {
        { 1251, "\xDD\xF2\xEE", u"\u042D\u0442\u043E" }, { 1250, "\x8A\xE8", u"\u0160\u010D" },
        { 1252, "\xDD\xF2\xEE", u"\u00DD\u00F2\u00EE" }, { 932, "\x82\xA0", u"\u3042" },
        { 932, "a\x82", nullptr }, // a lead byte without its trail byte
        { 12345, "a", nullptr }, { 0, "a", nullptr }, // the machine's page on Windows, no page here
    };
    for (const Case& c : cases) {
        char16_t units[16];
        uint32_t capacity = 16;
        const SYS_Status status = SYS_CodePageToWide(c.page, units, &capacity, c.bytes);
        if (c.wide == nullptr) {
            EXPECT_EQ(status, SYS_OS_ERROR) << c.page << " " << c.bytes;
            EXPECT_EQ(capacity, 16u);
        } else {
            ASSERT_EQ(status, SYS_OK) << c.page;
            EXPECT_EQ(std::u16string(units, capacity - 1), c.wide) << c.page;
        }
    }
    uint32_t needed = 0;
    EXPECT_EQ(SYS_CodePageToWide(1251, nullptr, &needed, "\xDD\xF2"), SYS_SIZE_ONLY);
    EXPECT_EQ(needed, 3u);
    EXPECT_EQ(SYS_CodePageToWide(1251, nullptr, &needed, "a"), SYS_BAD_ARGUMENT);
}

}
