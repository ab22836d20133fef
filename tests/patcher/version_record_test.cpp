// The version record over the registry: the game key table, the record's values read and
// written, names kept valid until VI_Done, and the registry's unusual answers (a text without
// its terminator, a number that does not fit 4 bytes, a write that fails) through stand-ins.
#include "tests/patcher/patcher_fixture.h"

#include <cstring>

namespace {

using namespace test;

class VersionRecord : public PatcherFixture {
protected:
    // A record with every field set, its names given by the caller.
    static VersionInfo Sample(const char* mainName, const char* patchName)
    {
        return VersionInfo { mainName, 100, VI_PackDate(2003, 11, 2), patchName, 102,
            VI_PackDate(2004, 4, 28), 7, 791, 2, 51 };
    }
    static void ExpectNumbers(const VersionInfo& expected, const VersionInfo& actual)
    {
        EXPECT_EQ(expected.mainVersion, actual.mainVersion);
        EXPECT_EQ(expected.mainVersionTime, actual.mainVersionTime);
        EXPECT_EQ(expected.patchVersion, actual.patchVersion);
        EXPECT_EQ(expected.patchVersionTime, actual.patchVersionTime);
        EXPECT_EQ(expected.marketingLine, actual.marketingLine);
        EXPECT_EQ(expected.distribution, actual.distribution);
        EXPECT_EQ(expected.language, actual.language);
        EXPECT_EQ(expected.editorVersion, actual.editorVersion);
    }
    // The record as a fresh store reads it from the registry.
    VersionInfo Reread(const char* gameKey = GAME_KEY)
    {
        VI_Done();
        VI_SelectKey(gameKey);
        VersionInfo record {};
        EXPECT_EQ(1, VI_Get(&record));
        return record;
    }
};

TEST_F(VersionRecord, EditionsWithoutARowShareTheUnknownKey)
{
    EXPECT_STREQ("SOFTWARE\\Varnholt\\Ashgrove - unknown version", GetGameKeyPath(3));
    EXPECT_STREQ(GetGameKeyPath(3), GetGameKeyPath(17));
    EXPECT_STRNE(GetGameKeyPath(3), GetGameKeyPath(4));
}

TEST_F(VersionRecord, RecordRoundTripsThroughTheRegistry)
{
    VI_SelectKey(GAME_KEY);
    const VersionInfo written = Sample("Ashgrove 1.00", "Patch 1.02");
    ASSERT_EQ(1, VI_Set(&written));
    ASSERT_EQ(1, VI_Flush());
    EXPECT_EQ("Patch 1.02", Text(VERSION_KEY, "Patch version name"));
    EXPECT_EQ(791u, Dword(VERSION_KEY, "Distribution"));

    const VersionInfo read = Reread();
    EXPECT_STREQ("Ashgrove 1.00", read.mainVersionName);
    EXPECT_STREQ("Patch 1.02", read.patchVersionName);
    ExpectNumbers(written, read);
}

TEST_F(VersionRecord, KeyEndingInASeparatorGetsNoSecondOne)
{
    VI_SelectKey("SOFTWARE\\Varnholt\\Ashgrove\\");
    const VersionInfo written = Sample(nullptr, nullptr);
    ASSERT_EQ(1, VI_Set(&written));
    ASSERT_EQ(1, VI_Flush());
    EXPECT_EQ(102u, Dword(VERSION_KEY, "Patch version"));
}

TEST_F(VersionRecord, NullNameIsLeftOutOfTheWrite)
{
    SYS_RegKey key = Key(VERSION_KEY);
    ASSERT_EQ(SYS_OK, SYS_RegSetString(key, "Main version name", "Ashgrove 1.00"));
    ASSERT_EQ(SYS_OK, SYS_RegSetDword(key, "Patch version", 100));

    VI_SelectKey(GAME_KEY);
    VersionInfo record {};
    ASSERT_EQ(1, VI_Get(&record));
    EXPECT_STREQ("Ashgrove 1.00", record.mainVersionName);
    EXPECT_EQ(nullptr, record.patchVersionName);
    EXPECT_EQ(100u, record.patchVersion);
    EXPECT_EQ(0u, record.distribution);

    // The patch engine records a new patch without rewriting the main version's name.
    record.mainVersionName = nullptr;
    record.patchVersion = 102;
    ASSERT_EQ(1, VI_Set(&record));
    ASSERT_EQ(1, VI_Flush());
    EXPECT_EQ("Ashgrove 1.00", Text(VERSION_KEY, "Main version name"));
    EXPECT_FALSE(HasValue(VERSION_KEY, "Patch version name"));
    EXPECT_EQ(102u, Dword(VERSION_KEY, "Patch version"));
}

TEST_F(VersionRecord, MissingKeyFailsUntilTheRecordExists)
{
    VersionInfo record {};
    EXPECT_EQ(0, VI_Get(&record)) << "no key selected";
    EXPECT_EQ(0, VI_Set(&record));
    EXPECT_EQ(1, VI_Flush());

    VI_SelectKey("");
    EXPECT_EQ(0, VI_Get(&record)) << "an empty key path selects nothing";
    VI_SelectKey(GAME_KEY);
    EXPECT_EQ(0, VI_Get(&record));
    ASSERT_EQ(SYS_OK, SYS_RegSetDword(Key(VERSION_KEY), "Language", 5));
    ASSERT_EQ(1, VI_Get(&record)) << "a failed load is tried again";
    EXPECT_EQ(5u, record.language);
}

TEST_F(VersionRecord, OverlongKeyPathSelectsNothing)
{
    const std::string longKey = "SOFTWARE\\" + std::string(250, 'k');
    VI_SelectKey(longKey.c_str());
    VersionInfo record {};
    EXPECT_EQ(0, VI_Set(&record));
}

TEST_F(VersionRecord, NamesStayValidUntilDone)
{
    ASSERT_EQ(SYS_OK, SYS_RegSetString(Key(VERSION_KEY), "Patch version name", "Patch 1.01"));
    VI_SelectKey(GAME_KEY);
    VersionInfo installed {};
    ASSERT_EQ(1, VI_Get(&installed));

    // The start-up stores the copy back at once; later pages still show its names.
    ASSERT_EQ(1, VI_Set(&installed));
    VersionInfo next = installed;
    next.patchVersionName = "Patch 1.02";
    ASSERT_EQ(1, VI_Set(&next));
    EXPECT_STREQ("Patch 1.01", installed.patchVersionName);

    VersionInfo current {};
    ASSERT_EQ(1, VI_Get(&current));
    EXPECT_STREQ("Patch 1.02", current.patchVersionName);
    EXPECT_NE(next.patchVersionName, current.patchVersionName) << "VI_Set keeps a copy";
}

TEST_F(VersionRecord, DoneWritesAChangedRecordOnce)
{
    VI_SelectKey(GAME_KEY);
    const VersionInfo written = Sample(nullptr, "Patch 1.02");
    ASSERT_EQ(1, VI_Set(&written));
    VI_Done();
    EXPECT_EQ("Patch 1.02", Text(VERSION_KEY, "Patch version name"));

    // After a flush nothing is pending: a value changed since is not written over.
    VI_SelectKey(GAME_KEY);
    ASSERT_EQ(1, VI_Set(&written));
    ASSERT_EQ(1, VI_Flush());
    ASSERT_EQ(SYS_OK, SYS_RegSetDword(Key(VERSION_KEY), "Language", 9));
    VI_Done();
    EXPECT_EQ(9u, Dword(VERSION_KEY, "Language"));
}

TEST_F(VersionRecord, NumberStoredAsTextReadsAsZero)
{
    SYS_RegKey key = Key(VERSION_KEY);
    ASSERT_EQ(SYS_OK, SYS_RegSetString(key, "Patch version", "1.02"));
    ASSERT_EQ(SYS_OK, SYS_RegSetDword(key, "Language", 3));
    VI_SelectKey(GAME_KEY);
    VersionInfo record {};
    ASSERT_EQ(1, VI_Get(&record));
    EXPECT_EQ(0u, record.patchVersion);
    EXPECT_EQ(3u, record.language);
}

TEST_F(VersionRecord, PackedDateHoldsYearMonthAndDay)
{
    EXPECT_EQ(0x1C436u, VI_PackDate(2004, 4, 28));
    uint32_t year = 0, month = 0, day = 0;
    VI_UnpackDate(0x1C436, &year, &month, &day);
    EXPECT_EQ(2004u, year);
    EXPECT_EQ(4u, month);
    EXPECT_EQ(28u, day);
    for (uint32_t y = 1950; y < 2206; y += 17)
        for (uint32_t m = 1; m <= 12; ++m) {
            const uint32_t packed = VI_PackDate(y, m, m + 19);
            ASSERT_LT(packed, 1u << 17);
            VI_UnpackDate(packed, &year, &month, &day);
            ASSERT_EQ(y, year);
            ASSERT_EQ(m, month);
            ASSERT_EQ(m + 19, day);
        }
}

// ---- The registry's unusual answers, through stand-ins for single calls --------------------

// "Patch version name" answers 3 bytes 'abc' without a terminator.
SYS_Status QuerySizeUnterminated(SYS_RegKey key, const char* name, uint32_t* size)
{
    if (std::strcmp(name, "Patch version name") != 0)
        return SYS_RegQuerySize(key, name, size);
    *size = 3;
    return SYS_OK;
}

SYS_Status QueryUnterminated(
    SYS_RegKey key, const char* name, void* buffer, uint32_t bufferSize, uint32_t* bytesRead)
{
    if (std::strcmp(name, "Patch version name") != 0)
        return SYS_RegQueryValue(key, name, buffer, bufferSize, bytesRead);
    if (bufferSize < 3)
        return SYS_OS_ERROR;
    std::memcpy(buffer, "abc", 3);
    *bytesRead = 3;
    return SYS_OK;
}

// "Distribution" is too long for 4 bytes: the call fails and leaves bytes of its own behind.
SYS_Status QueryMoreData(
    SYS_RegKey key, const char* name, void* buffer, uint32_t bufferSize, uint32_t* bytesRead)
{
    if (std::strcmp(name, "Distribution") != 0)
        return SYS_RegQueryValue(key, name, buffer, bufferSize, bytesRead);
    std::memset(buffer, 0xAB, bufferSize);
    return SYS_OS_ERROR;
}

SYS_Status SetDwordFailingPatchVersion(SYS_RegKey key, const char* name, uint32_t value)
{
    if (std::strcmp(name, "Patch version") == 0)
        return SYS_OS_ERROR;
    return SYS_RegSetDword(key, name, value);
}

TEST_F(VersionRecord, TextWithoutTerminatorIsTerminated)
{
    ASSERT_EQ(SYS_OK, SYS_RegSetDword(Key(VERSION_KEY), "Language", 1));
    m_calls.querySize = QuerySizeUnterminated;
    m_calls.queryValue = QueryUnterminated;
    VI_SelectKey(GAME_KEY);
    VersionInfo record {};
    ASSERT_EQ(1, VI_Get(&record));
    EXPECT_STREQ("abc", record.patchVersionName);
}

TEST_F(VersionRecord, NumberThatDoesNotFitReadsAsZero)
{
    SYS_RegKey key = Key(VERSION_KEY);
    ASSERT_EQ(SYS_OK, SYS_RegSetDword(key, "Distribution", 791));
    ASSERT_EQ(SYS_OK, SYS_RegSetDword(key, "Language", 2));
    m_calls.queryValue = QueryMoreData;
    VI_SelectKey(GAME_KEY);
    VersionInfo record {};
    ASSERT_EQ(1, VI_Get(&record));
    EXPECT_EQ(0u, record.distribution);
    EXPECT_EQ(2u, record.language);
}

TEST_F(VersionRecord, FailedWriteKeepsTheRecordPendingForDone)
{
    VI_SelectKey(GAME_KEY);
    const VersionInfo written = Sample(nullptr, "Patch 1.02");
    ASSERT_EQ(1, VI_Set(&written));
    m_calls.setDword = SetDwordFailingPatchVersion;
    EXPECT_EQ(0, VI_Flush());
    EXPECT_FALSE(HasValue(VERSION_KEY, "Patch version"));
    EXPECT_EQ(791u, Dword(VERSION_KEY, "Distribution")) << "the other values are still written";
    EXPECT_EQ(0, VI_Flush());

    m_calls.setDword = patcher::detail::NativeSystemCalls().setDword;
    VI_Done();
    EXPECT_EQ(102u, Dword(VERSION_KEY, "Patch version"));
}

}
