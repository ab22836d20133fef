// The version record over the registry: the game key table, the record's values read and
// written, names kept valid until VI_Done, and the registry's unusual answers (a text without
// its terminator, a number that does not fit 4 bytes, a write that fails) through stand-ins.
#include "tests/patcher/patcher_fixture.h"

#include <cstring>
#include <string>
#include <tuple>
#include <vector>

namespace {

using namespace test;

// A record with every number set, its names given by the caller.
VersionInfo Sample(const char* mainName, const char* patchName)
{
    return VersionInfo { mainName, 100, VI_PackDate(2003, 11, 2), patchName, 102,
        VI_PackDate(2004, 4, 28), 7, 791, 2, 51 };
}

auto Numbers(const VersionInfo& r)
{
    return std::tie(r.mainVersion, r.mainVersionTime, r.patchVersion, r.patchVersionTime,
        r.marketingLine, r.distribution, r.language, r.editorVersion);
}

class VersionRecord : public PatcherFixture {
protected:
    // The record as a fresh store reads it from the registry.
    VersionInfo Reread()
    {
        VI_Done();
        VI_SelectKey(GAME_KEY);
        VersionInfo record {};
        EXPECT_EQ(1, VI_Get(&record));
        return record;
    }
};

TEST_F(VersionRecord, EditionsWithoutARowShareTheUnknownKey)
{
    // Editions past the table as well as the gap in it: no lookup may run off the table.
    EXPECT_STREQ(GetGameKeyPath(3), GetGameKeyPath(17));
    EXPECT_STREQ(GetGameKeyPath(3), GetGameKeyPath(UINT32_MAX));
    EXPECT_STRNE(GetGameKeyPath(3), GetGameKeyPath(4));
}

TEST_F(VersionRecord, RecordRoundTripsThroughTheRegistry)
{
    // A key ending in a separator gets no second one.
    VI_SelectKey("SOFTWARE\\Varnholt\\Ashgrove\\");
    const VersionInfo written = Sample("Ashgrove 1.00", "Patch 1.02");
    ASSERT_EQ(1, VI_Set(&written));
    ASSERT_EQ(1, VI_Flush());
    EXPECT_EQ("Patch 1.02", Text(VERSION_KEY, "Patch version name"));
    EXPECT_EQ(791u, Dword(VERSION_KEY, "Distribution"));
    const VersionInfo read = Reread();
    EXPECT_STREQ("Ashgrove 1.00", read.mainVersionName);
    EXPECT_STREQ("Patch 1.02", read.patchVersionName);
    EXPECT_EQ(Numbers(written), Numbers(read));
}

TEST_F(VersionRecord, NullNameIsLeftOutOfTheWrite)
{
    SYS_RegKey key = Key(VERSION_KEY);
    ASSERT_EQ(SYS_OK, SYS_RegSetString(key, "Main version name", "Ashgrove 1.00"));
    ASSERT_EQ(SYS_OK, SYS_RegSetDword(key, "Patch version", 100));
    VersionInfo record = Reread();
    EXPECT_STREQ("Ashgrove 1.00", record.mainVersionName);
    EXPECT_EQ(nullptr, record.patchVersionName);
    EXPECT_EQ(100u, record.patchVersion);

    // The patch engine records a new patch without rewriting the main version's name.
    record.mainVersionName = nullptr;
    record.patchVersion = 102;
    ASSERT_EQ(1, VI_Set(&record));
    ASSERT_EQ(1, VI_Flush());
    EXPECT_EQ("Ashgrove 1.00", Text(VERSION_KEY, "Main version name"));
    EXPECT_FALSE(HasValue(VERSION_KEY, "Patch version name"));
    EXPECT_EQ(102u, Dword(VERSION_KEY, "Patch version"));
}

TEST_F(VersionRecord, MissingOrUnusableKeyFailsUntilTheRecordExists)
{
    VersionInfo record {};
    EXPECT_EQ(0, VI_Get(&record)) << "no key selected";
    EXPECT_EQ(0, VI_Set(&record));
    EXPECT_EQ(1, VI_Flush());
    for (const std::string& key : { std::string(), "SOFTWARE\\" + std::string(250, 'k') }) {
        VI_SelectKey(key.c_str());
        EXPECT_EQ(0, VI_Set(&record)) << key;
    }
    VI_SelectKey(GAME_KEY);
    EXPECT_EQ(0, VI_Get(&record));
    ASSERT_EQ(SYS_OK, SYS_RegSetDword(Key(VERSION_KEY), "Language", 5));
    ASSERT_EQ(1, VI_Get(&record)) << "a failed load is tried again";
    EXPECT_EQ(5u, record.language);
}

TEST_F(VersionRecord, NamesStayValidUntilDone)
{
    ASSERT_EQ(SYS_OK, SYS_RegSetString(Key(VERSION_KEY), "Patch version name", "Patch 1.01"));
    VersionInfo installed = Reread();
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

TEST_F(VersionRecord, PackedDateRoundTripsInSeventeenBits)
{
    EXPECT_EQ(0x1C436u, VI_PackDate(2004, 4, 28));
    for (uint32_t y = 1950; y < 2206; y += 17)
        for (uint32_t m = 1; m <= 12; ++m) {
            const uint32_t packed = VI_PackDate(y, m, m + 19);
            uint32_t year = 0, month = 0, day = 0;
            VI_UnpackDate(packed, &year, &month, &day);
            ASSERT_LT(packed, 1u << 17);
            ASSERT_EQ(std::make_tuple(y, m, m + 19), std::make_tuple(year, month, day));
        }
}

// Stand-ins for single registry calls: "Patch version name" is 'abc' without a terminator;
// "Distribution" does not fit 4 bytes (the call fails and leaves bytes of its own behind).
SYS_Status QuerySizeUnterminated(SYS_RegKey key, const char* name, uint32_t* size)
{
    if (std::strcmp(name, "Patch version name") != 0)
        return SYS_RegQuerySize(key, name, size);
    *size = 3;
    return SYS_OK;
}

SYS_Status QueryOdd(
    SYS_RegKey key, const char* name, void* buffer, uint32_t bufferSize, uint32_t* bytesRead)
{
    if (std::strcmp(name, "Distribution") == 0) {
        std::memset(buffer, 0xAB, bufferSize);
        return SYS_OS_ERROR;
    }
    if (std::strcmp(name, "Patch version name") != 0)
        return SYS_RegQueryValue(key, name, buffer, bufferSize, bytesRead);
    if (bufferSize < 3)
        return SYS_OS_ERROR;
    std::memcpy(buffer, "abc", 3);
    *bytesRead = 3;
    return SYS_OK;
}

SYS_Status SetDwordFailingPatchVersion(SYS_RegKey key, const char* name, uint32_t value)
{
    return std::strcmp(name, "Patch version") == 0 ? SYS_OS_ERROR
                                                   : SYS_RegSetDword(key, name, value);
}

TEST_F(VersionRecord, UnterminatedTextIsTerminatedAndNumbersThatDoNotFitReadAsZero)
{
    SYS_RegKey key = Key(VERSION_KEY);
    ASSERT_EQ(SYS_OK, SYS_RegSetString(key, "Patch version", "1.02"));
    ASSERT_EQ(SYS_OK, SYS_RegSetDword(key, "Distribution", 791));
    ASSERT_EQ(SYS_OK, SYS_RegSetDword(key, "Language", 2));
    m_calls.querySize = QuerySizeUnterminated;
    m_calls.queryValue = QueryOdd;
    const VersionInfo record = Reread();
    EXPECT_STREQ("abc", record.patchVersionName);
    EXPECT_EQ(0u, record.patchVersion) << "stored as text";
    EXPECT_EQ(0u, record.distribution) << "more data than 4 bytes";
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

// What the registry was asked to do while a record was saved, in order.
std::vector<std::string> g_saveSteps;

SYS_Status LoggedBegin(SYS_RegKey key)
{
    g_saveSteps.push_back("begin");
    return SYS_RegBeginBatch(key);
}

SYS_Status LoggedCommit(SYS_RegKey key)
{
    g_saveSteps.push_back("commit");
    return SYS_RegCommitBatch(key);
}

SYS_Status FailedCommit(SYS_RegKey)
{
    return SYS_OS_ERROR;
}

SYS_Status LoggedString(SYS_RegKey key, const char* name, const char* text)
{
    g_saveSteps.push_back(name);
    return SYS_RegSetString(key, name, text);
}

SYS_Status LoggedDword(SYS_RegKey key, const char* name, uint32_t value)
{
    g_saveSteps.push_back(name);
    return SYS_RegSetDword(key, name, value);
}

// A crash between two value writes must not leave a record half old and half new.
TEST_F(VersionRecord, SaveWritesTheTenValuesInOneBatch)
{
    g_saveSteps.clear();
    m_calls.beginBatch = LoggedBegin;
    m_calls.commitBatch = LoggedCommit;
    m_calls.setString = LoggedString;
    m_calls.setDword = LoggedDword;
    VI_SelectKey(GAME_KEY);
    const VersionInfo written = Sample("Ashgrove 1.00", "Patch 1.02");
    ASSERT_EQ(1, VI_Set(&written));
    ASSERT_EQ(1, VI_Flush());
    ASSERT_EQ(12u, g_saveSteps.size());
    EXPECT_EQ("begin", g_saveSteps.front());
    EXPECT_EQ("commit", g_saveSteps.back());
    EXPECT_EQ(51u, Dword(VERSION_KEY, "Editor version"));

    m_calls.commitBatch = FailedCommit;
    ASSERT_EQ(1, VI_Set(&written));
    EXPECT_EQ(0, VI_Flush()) << "a batch that is not stored is a failed write";
}

}
