// The POSIX registry's text form: a known export read and written byte for byte, the round
// trip of every kind of value, lenient reading of hand-edited files, and safe reading of
// damaged ones.
#include "platform/posix/registry_hive.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <iterator>
#include <string>
#include <vector>

namespace {

using platform::detail::FindValue;
using platform::detail::Hive;
using platform::detail::HiveKey;
using platform::detail::ParseHive;
using platform::detail::WriteHive;

void Set(HiveKey& key, std::string_view name, uint32_t type, std::string_view bytes)
{
    ASSERT_TRUE(platform::detail::SetValue(
        key, name, type, reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size()));
}

std::string Bytes(const HiveKey* key, std::string_view name)
{
    const auto* value = key != nullptr ? FindValue(*key, name) : nullptr;
    if (value == nullptr)
        return "<missing>";
    return std::string(value->data.begin(), value->data.end());
}

// Written by hand as the system's own export would write it.
constexpr std::string_view KNOWN_EXPORT = "REGEDIT4\r\n"
                                          "\r\n"
                                          "[HKEY_LOCAL_MACHINE\\Software]\r\n"
                                          "\r\n"
                                          "[HKEY_LOCAL_MACHINE\\Software\\Game]\r\n"
                                          "@=\"Default\"\r\n"
                                          "\"Count\"=dword:0000007b\r\n"
                                          "\"Multi\"=hex(7):61,00,62,00,00\r\n"
                                          "\"Path\"=\"C:\\\\Games\\\\\\\"X\\\"\"\r\n"
                                          "\"Raw\"=hex:00,ff,10\r\n"
                                          "\r\n";

Hive KnownHive()
{
    Hive hive;
    HiveKey& key = hive.CreateKey("Software\\Game");
    Set(key, "", 1, std::string_view("Default\0", 8));
    Set(key, "Count", 4, std::string_view("\x7b\0\0\0", 4));
    Set(key, "Multi", 7, std::string_view("a\0b\0\0", 5));
    Set(key, "Path", 1, std::string_view("C:\\Games\\\"X\"\0", 13));
    Set(key, "Raw", 3, std::string_view("\0\xff\x10", 3));
    return hive;
}

TEST(RegistryHiveTest, KnownExportReadsAndWritesByteForByte)
{
    EXPECT_EQ(WriteHive(KnownHive()), KNOWN_EXPORT);
    EXPECT_EQ(ParseHive(KNOWN_EXPORT), KnownHive());
    EXPECT_TRUE(platform::detail::HasHiveHeader(KNOWN_EXPORT));
    EXPECT_EQ(WriteHive(Hive()), "REGEDIT4\r\n\r\n");
}

TEST(RegistryHiveTest, EveryKindOfValueSurvivesTheRoundTrip)
{
    Hive hive;
    Set(hive.CreateKey(""), "AtRoot", 1, std::string_view("x\0", 2));
    HiveKey& key = hive.CreateKey("Software\\Odd ]Name[\\Values");
    Set(key, "quote\"and\\backslash\\", 1, std::string_view("end\\\0", 5));
    Set(key, "@", 1, std::string_view("not the default\0", 16));
    Set(key, "EmbeddedNul", 1, std::string_view("a\0b\0", 4));
    Set(key, "LineBreak", 1, std::string_view("a\r\nb\0", 5));
    Set(key, "Unterminated", 1, "abc");
    Set(key, "EmptyText", 1, std::string_view("\0", 1));
    Set(key, "ShortDword", 4, "\1\2\3");
    Set(key, "OddType", 0x12345678, "\xAB");
    Set(key, "EmptyBinary", 3, "");
    Set(key, "NoType", 0, "z");
    std::string longBinary;
    for (int i = 0; i < 300; ++i)
        longBinary += static_cast<char>(i * 7);
    Set(key, "A long name that pushes the first hex bytes far to the right", 3, longBinary);

    std::string text = WriteHive(hive);
    EXPECT_EQ(ParseHive(text), hive);
    EXPECT_NE(text.find("\"LineBreak\"=hex(1):61,0d,0a,62,00\r\n"), std::string::npos);
    EXPECT_NE(text.find("\"ShortDword\"=hex(4):01,02,03\r\n"), std::string::npos);
    EXPECT_NE(text.find("\"OddType\"=hex(12345678):ab\r\n"), std::string::npos);
    // Long hex data is wrapped with continuation lines no wider than the system's export.
    size_t lines = 0;
    for (size_t start = 0, end; (end = text.find("\r\n", start)) != std::string::npos;
         start = end + 2) {
        EXPECT_LE(end - start, 80u) << text.substr(start, end - start);
        lines += text.compare(start, 2, "  ") == 0;
    }
    EXPECT_GE(lines, 300u * 3 / 78);
}

TEST(RegistryHiveTest, HandEditedFilesAreReadLeniently)
{
    Hive hive = ParseHive("\xEF\xBB\xBFREGEDIT4\n"
                          "; a comment\n"
                          "[HKEY_CURRENT_USER\\Software\\Game]\n"
                          "\"Elsewhere\"=dword:00000001\n"
                          "  [hkey_local_machine\\\\Software\\\\Game\\]  \n"
                          "\"Count\" = DWORD:7B\r\n"
                          "\"Bytes\"=hex: 61 ,62,\\\n"
                          "\t\t63\n"
                          "\"count\"=dword:00000005\n"
                          "something unknown\n"
                          "[-HKEY_LOCAL_MACHINE\\Software\\Gone]\n"
                          "\"Orphan\"=\"x\"\n");
    ASSERT_EQ(hive.Keys().size(), 2u) << "Software and Software\\Game, nothing else";
    const HiveKey* key = hive.FindKey("SOFTWARE\\game");
    ASSERT_NE(key, nullptr);
    EXPECT_EQ(key->path, "Software\\Game");
    ASSERT_EQ(key->values.size(), 2u);
    EXPECT_EQ(Bytes(key, "COUNT"), std::string("\5\0\0\0", 4)) << "the later value wins";
    EXPECT_EQ(FindValue(*key, "count")->name, "Count") << "and the first spelling stays";
    EXPECT_EQ(Bytes(key, "Bytes"), "abc");
}

TEST(RegistryHiveTest, MalformedValueLinesAreSkipped)
{
    Hive hive = ParseHive("REGEDIT4\n[HKEY_LOCAL_MACHINE\\K]\n"
                          "\"A\"=\"unterminated\n"
                          "\"B\"=\"text\" trailing\n"
                          "\"C\"=dword:123456789\n"
                          "\"D\"=dword:12x4\n"
                          "\"E\"=hex:1g\n"
                          "\"F\"=hex:123\n"
                          "\"G\"=hex(2:00\n"
                          "\"H\"=hex(123456789):00\n"
                          "\"I\"=hex(2)00\n"
                          "\"J\"=-\n"
                          "\"L\"dword:00000001\n"
                          "M=dword:00000001\n"
                          "\"Good\"=dword:00000001\n");
    const HiveKey* key = hive.FindKey("K");
    ASSERT_NE(key, nullptr);
    ASSERT_EQ(key->values.size(), 1u);
    EXPECT_EQ(key->values.begin()->second.name, "Good");
}

TEST(RegistryHiveTest, NamesThatWouldBreakALineAreRefused)
{
    Hive hive;
    HiveKey& key = hive.CreateKey("K");
    EXPECT_FALSE(platform::detail::SetValue(key, "two\nlines", 3, nullptr, 0));
    EXPECT_TRUE(key.values.empty());
    std::string path;
    EXPECT_FALSE(platform::detail::CanonicalKeyPath("a\\b\rc", path));
    ASSERT_TRUE(platform::detail::CanonicalKeyPath("\\a\\\\b\\", path));
    EXPECT_EQ(path, "a\\b");
}

// Damaged files: every cut of a valid export and pseudo-random text made of the format's own
// pieces. Reading must never fail, and what was read must survive being written and read again.
TEST(RegistryHiveTest, DamagedFilesAreReadSafely)
{
    std::string whole = WriteHive(KnownHive());
    std::vector<std::string> inputs;
    for (size_t cut = 0; cut <= whole.size(); ++cut)
        inputs.push_back(whole.substr(0, cut));
    const char* pieces[] = { "[", "]", "\\", "\"", "@", "=", ":", ",", "(", ")", "hex", "dword",
        "0", "7", "f", "\r", "\n", " ", ";", "\0", "\xFF", "HKEY_LOCAL_MACHINE",
        "[HKEY_LOCAL_MACHINE\\", "\"N\"=", "hex(1):", "dword:0000007b" };
    uint32_t seed = 12345;
    for (int input = 0; input < 3000; ++input) {
        std::string text;
        seed = seed * 1103515245u + 12345u;
        for (int length = static_cast<int>((seed >> 16) % 60); length > 0; --length) {
            seed = seed * 1103515245u + 12345u;
            const char* piece = pieces[(seed >> 16) % std::size(pieces)];
            text.append(piece, piece[0] == '\0' ? 1 : std::char_traits<char>::length(piece));
        }
        inputs.push_back(text);
    }
    for (const std::string& text : inputs) {
        Hive once = ParseHive(text);
        EXPECT_EQ(ParseHive(WriteHive(once)), once) << testing::PrintToString(text);
    }
}

}
