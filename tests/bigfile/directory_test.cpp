// Directory loading: archives packed by hand, refused headers, and damaged directories, which
// must be refused whole, with none of their names entered and earlier archives untouched.
#include "bigfile/bigfile.h"
#include "tests/bigfile/vfs_fixture.h"
#include "tests/support/test_support.h"

#include <functional>
#include <string>

namespace {

using test::ArchiveMember;
using test::StoredMember;

// clang-format off
// Version 0: "Hi" stored and "A" as one LZW block (codes 65 and 256), packed by hand.
const std::vector<uint8_t> KNOWN_VERSION_0 = {
    'B', 'I', 'G', 'F', 0, 'K', 'V', 'X', // magic, version 0
    167, 0, 0, 0, 0, 0, 0, 0,             // file size
    2, 0, 0, 0,                           // entries
    69, 0, 0, 0, 0, 0, 0, 0,              // directory offset
    98, 0, 0, 0,                          // directory size
    0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,   // not read
    0, 0, 0, 0, 0, 0, 0, 0,               // ordering value
    'H', 'i',                             // member 1 at 52
    '[', '.', '.', ']', 3, 0, 0, 0, 1, 0, 0, 0, 0x41, 0x00, 0x02, // member 2 at 54
    52, 0, 0, 0, 0, 0, 0, 0, 0x20, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, // offset, attributes, time
    2, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,     // size, value, method, flags
    'D', 'o', 'c', 's', '\\', 'H', 'i', '.', 't', 'x', 't', 0,
    54, 0, 0, 0, 0, 0, 0, 0, 0x20, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,
    1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1, 0, 0, 0, 0, 0, 0, 0, // method 1
    'a', '.', 'b', 'i', 'n', 0,
};

// Version 1: one entry "x" with method 0, which reads as scrambled: "Hi" stored as EF 10.
const std::vector<uint8_t> KNOWN_VERSION_1 = {
    'B', 'I', 'G', 'F', 1, 'K', 'V', 'X', 98, 0, 0, 0, 0, 0, 0, 0, 1, 0, 0, 0,
    54, 0, 0, 0, 0, 0, 0, 0, 44, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,
    0, 0, 0, 0, 0, 0, 0, 0,
    0xEF, 0x10,
    42, 0, // entry length, then the entry scrambled from key index 10
    0xDE, 0xDC, 0x4F, 0x0B, 0x96, 0x04, 0x62, 0x17, 0x93, 0x8E, 0xDC, 0x4F, 0x0B, 0x96,
    0x04, 0x62, 0x17, 0xB3, 0x8E, 0xDC, 0x4D, 0x78, 0x5D, 0x78, 0x5D, 0x78, 0x5D, 0x78,
    0x5D, 0x78, 0x5D, 0x78, 0x5D, 0x78, 0x5D, 0x78, 0x5D, 0x78, 0x5D, 0x78, 0x25, 0xF9,
};
// clang-format on

class Directory : public test::VfsFixture { };

TEST_F(Directory, ArchivesPackedByHandReadBack)
{
    ASSERT_EQ(BF_OK, LoadBF(Put("v0.cbf", KNOWN_VERSION_0).c_str(), 0));
    EXPECT_EQ("Hi", Content("docs\\hi.TXT"));
    EXPECT_EQ("A", Content("A.BIN"));
    ASSERT_EQ(BF_OK, LoadBF(Put("v1.cbf", KNOWN_VERSION_1).c_str(), 0));
    EXPECT_EQ("Hi", Content("X"));
}

TEST_F(Directory, HeaderCopyAndEntryFieldsAreKept)
{
    ArchiveMember member = StoredMember("Sub\\File.dat", Bytes("data"));
    member.attributes = 0x21;
    member.writeTime = 0x01D2345678ABCDEFull;
    std::vector<uint8_t> archive = test::BuildArchive({ member }, 0, 77);
    SYS_Handle file = BF_SysOpenW(Put("a.cbf", archive).c_str(), BF_GENERIC_READ);
    ASSERT_NE(0u, file);
    uint8_t header[BF_HEADER_SIZE] = {};
    EXPECT_EQ(BF_OK, BF_LoadDirectory(file, 0x100, header));
    EXPECT_TRUE(std::equal(header, header + BF_HEADER_SIZE, archive.begin()));
    uint32_t index = 99;
    EXPECT_TRUE(BF_LookupName("SUB\\FILE.DAT", true, &index));
    EXPECT_EQ(0u, index);
    (void)BF_SysClose(file);
}

TEST_F(Directory, ForeignOrDamagedHeadersAreRefused)
{
    std::vector<uint8_t> good = test::BuildArchive({ StoredMember("a", Bytes("1")) });
    using Damage = std::function<void(std::vector<uint8_t>&)>;
    const std::vector<std::pair<BF_Status, Damage>> damages = {
        { BF_ERR_FORMAT, [](auto& a) { a[BF_HDR_FILE_SIZE] += 1; } },
        { BF_ERR_FORMAT, [](auto& a) { a[BF_HDR_FILE_SIZE] -= 1; } },
        { BF_ERR_FORMAT, [](auto& a) { a[BF_HDR_VERSION] = 2; } },
        { BF_ERR_FORMAT, [](auto& a) { a[BF_HDR_VERSION + 1] = 'Q'; } },
        { BF_ERR_FORMAT, [](auto& a) { a[0] = 'b'; } },
        { BF_ERR_FORMAT, [](auto& a) { a.resize(BF_HEADER_SIZE - 1); } },
        { BF_ERR_FORMAT, [](auto& a) { std::fill_n(a.begin() + BF_HDR_COUNT, 4, 0xFF); } },
        // A directory past the end reads short, whichever field puts it there.
        { BF_ERR_READ, [](auto& a) { a[BF_HDR_DIR_OFFSET] += 1; } },
        { BF_ERR_READ, [](auto& a) { a[BF_HDR_DIR_SIZE] += 1; } },
        { BF_ERR_READ, [](auto& a) { std::fill_n(a.begin() + BF_HDR_DIR_OFFSET, 8, 0xFF); } },
    };
    for (size_t i = 0; i < damages.size(); ++i) {
        std::vector<uint8_t> archive = good;
        damages[i].second(archive);
        EXPECT_EQ(damages[i].first, LoadBF(Put("bad.cbf", archive).c_str(), 0)) << "damage " << i;
        EXPECT_EQ("missing", Content("a")) << "damage " << i;
    }
}

TEST_F(Directory, EmptyArchiveMountsAndAddsNothing)
{
    EXPECT_EQ(BF_OK, Mount("empty.cbf", {}));
    EXPECT_EQ(BF_OK, Mount("one.cbf", { StoredMember("one", Bytes("1")) }));
    EXPECT_EQ("1", Content("one"));
}

TEST_F(Directory, RequiredVersionTagKeepsOtherArchivesOut)
{
    BF_InitParams params = Params();
    params.requiredVersionTag = 0x58564B01; // version 1, "KVX"
    ASSERT_EQ(1, Restart(params));
    EXPECT_EQ(BF_ERR_FORMAT, Mount("v0.cbf", { StoredMember("a", Bytes("0")) }, 0, 0));
    EXPECT_EQ(BF_OK, Mount("v1.cbf", { test::ScrambledMember("a", Bytes("1")) }, 0, 1));
    EXPECT_EQ("1", Content("a"));
}

// Each damaged archive holds a sound first entry, "FIRST", that must not be entered.
struct Damage {
    const char* what;
    uint32_t version;
    BF_Status expected;
    std::function<void(test::ArchiveParts&, uint32_t&)> apply;
};

std::vector<uint8_t> Plain(const std::vector<uint8_t>& scrambled)
{
    // Unscrambles a version-1 entry the simple way, to damage it and scramble it again.
    std::vector<uint8_t> plain;
    uint32_t index = scrambled[0] & 15u;
    for (size_t i = 2; i < scrambled.size(); ++i) {
        plain.push_back(scrambled[i] ^ BF_DIRECTORY_KEYS[index]);
        index = scrambled[i] & 15u;
    }
    return plain;
}

const std::vector<Damage> DAMAGES = {
    { "version 0 name without NUL", 0, BF_ERR_FORMAT,
        [](auto& parts, auto&) { parts.entries.back().pop_back(); } },
    { "version 0 entry shorter than its fixed part", 0, BF_ERR_FORMAT,
        [](auto& parts, auto&) { parts.entries.back().resize(30); } },
    { "entry length 10", 1, BF_ERR_FORMAT,
        [](auto& parts, auto&) { parts.entries.back().resize(12), parts.entries.back()[0] = 10; } },
    { "entry length past the directory's end", 1, BF_ERR_FORMAT,
        [](auto& parts, auto&) { parts.entries.back()[0] += 5; } },
    { "version 1 name without NUL inside its entry", 1, BF_ERR_FORMAT,
        [](auto& parts, auto&) {
            std::vector<uint8_t> plain = Plain(parts.entries.back());
            TEST_GCC_ALLOW("-Wstringop-overflow")
            plain.back() = 'Z';
            TEST_GCC_ALLOW_END
            parts.entries.back() = test::ScrambleEntry(plain);
        } },
    { "count one too many (version 0)", 0, BF_ERR_FORMAT, [](auto&, uint32_t& count) { ++count; } },
    { "count one too many (version 1)", 1, BF_ERR_FORMAT, [](auto&, uint32_t& count) { ++count; } },
    { "empty name", 0, BF_ERR_DIRECTORY,
        [](auto& parts, auto&) {
            parts.entries.back().resize(BF_ENTRY_FIXED_SIZE);
            parts.entries.back().push_back(0);
        } },
};

TEST_F(Directory, DamagedDirectoriesAreRefusedWholeBeforeAnythingIsEntered)
{
    ASSERT_EQ(BF_OK, Mount("keep.cbf", { StoredMember("KEEP", Bytes("kept")) }));
    BF_Handle held = BF_OpenEx("KEEP", 0, 0);
    ASSERT_NE(0u, held);
    for (const Damage& damage : DAMAGES) {
        test::ArchiveParts parts = test::LayOut(
            { StoredMember("FIRST", Bytes("first")), StoredMember("SECOND", Bytes("second")) },
            damage.version);
        uint32_t count = 2;
        damage.apply(parts, count);
        std::vector<uint8_t> archive = test::AssembleArchive(
            damage.version, count, parts.data, test::JoinEntries(parts.entries));
        EXPECT_EQ(damage.expected, LoadBF(Put("bad.cbf", archive).c_str(), 0)) << damage.what;
        EXPECT_EQ("kept", Content("KEEP")) << damage.what;
        EXPECT_EQ("missing", Content("FIRST")) << damage.what;
        EXPECT_EQ(BF_ERR_OPEN, Unmount("bad.cbf")) << damage.what;
    }
    EXPECT_EQ(Bytes("kept"), ReadRest(held)); // files open before the refusals stay readable
    BF_Close(held);
}

TEST_F(Directory, AFullRecordAreaEntersNothingOfTheArchive)
{
    ASSERT_EQ(BF_OK, Mount("keep.cbf", { StoredMember("KEEP", Bytes("kept")) }));
    // 70 entries with names of a million characters need more than the 64 MB record area.
    std::vector<ArchiveMember> members;
    for (int i = 0; i < 70; ++i)
        members.push_back(StoredMember(std::to_string(100 + i) + std::string(1 << 20, 'N'), {}));
    EXPECT_EQ(BF_ERR_DIRECTORY, Mount("huge.cbf", members));
    EXPECT_EQ("kept", Content("KEEP"));
    EXPECT_EQ("missing", Content(members[0].name.c_str()));
    EXPECT_EQ(BF_OK, Mount("after.cbf", { StoredMember("AFTER", Bytes("after")) }));
    EXPECT_EQ("after", Content("AFTER"));
}

TEST_F(Directory, LoadingNeedsAStartedModule)
{
    std::vector<uint8_t> archive = test::BuildArchive({ StoredMember("a", Bytes("1")) });
    std::u16string path = Put("a.cbf", archive);
    BF_Shutdown();
    SYS_Handle file = BF_SysOpenW(path.c_str(), BF_GENERIC_READ);
    EXPECT_EQ(BF_ERR_NOT_STARTED, BF_LoadDirectory(file, 0, nullptr));
    EXPECT_EQ(BF_ERR_NOT_STARTED, LoadBF(path.c_str(), 0));
    (void)BF_SysClose(file);
}

// BF_ReadDirectory runs without BF_Init, as patchkit's list does.
struct Visited {
    std::string name;
    BF_DirectoryEntry fields;
};

BF_Status Keep(void* context, BF_DirectoryEntry* entry)
{
    static_cast<std::vector<Visited>*>(context)->push_back({ entry->name, *entry });
    return BF_OK;
}

std::vector<uint8_t> Data(const std::string& text)
{
    return { text.begin(), text.end() };
}

TEST(ReadDirectory, HandsOverEveryEntryInDirectoryOrderWithItsNameAsStored)
{
    ArchiveMember hidden = StoredMember("Docs\\read.ME", Data("second"));
    hidden.attributes = 0x21;
    hidden.writeTime = 0x01D2345678ABCDEFull;
    hidden.value = 7;
    hidden.flags = 4;
    // Unsorted, and two names equal but for case: the mount would keep only the first.
    std::vector<ArchiveMember> members = { StoredMember("zeta.TXT", Data("first")), hidden,
        test::ScrambledMember("DOCS\\READ.me", Data("third")) };
    std::vector<uint8_t> archive = test::BuildArchive(members, 1);
    test::TempDir dir;
    test::WriteBytes(dir.File("a.cbf"), archive);
    SYS_Handle file = BF_SysOpenW((dir.Path() / "a.cbf").u16string().c_str(), BF_GENERIC_READ);
    ASSERT_NE(0u, file);
    uint8_t header[BF_HEADER_SIZE] = {};
    std::vector<Visited> visited;
    EXPECT_EQ(BF_OK, BF_ReadDirectory(file, 0, header, Keep, &visited));
    (void)BF_SysClose(file);
    EXPECT_TRUE(std::equal(header, header + BF_HEADER_SIZE, archive.begin()));
    ASSERT_EQ(3u, visited.size());
    for (size_t i = 0; i < 3; ++i) {
        EXPECT_EQ(members[i].name, visited[i].name);
        EXPECT_EQ(members[i].name.size(), visited[i].fields.nameLength);
        EXPECT_EQ(BF_METHOD_SCRAMBLED, visited[i].fields.method); // version 1 reads 0 as 2
        EXPECT_EQ(members[i].size, visited[i].fields.size);
    }
    EXPECT_EQ(BF_HEADER_SIZE + 5u, visited[1].fields.dataOffset);
    EXPECT_EQ(0x21u, visited[1].fields.attributes);
    EXPECT_EQ(0x01D2345678ABCDEFull, visited[1].fields.writeTime);
    EXPECT_EQ(7u, visited[1].fields.value);
    EXPECT_EQ(4u, visited[1].fields.flags);
}

TEST(ReadDirectory, AnyDamageStopsItBeforeTheFirstVisitAndAVisitorCanStopIt)
{
    test::ArchiveParts parts = test::LayOut(
        { StoredMember("FIRST", Data("first")), StoredMember("SECOND", Data("second")) }, 0);
    std::vector<uint8_t> sound
        = test::AssembleArchive(0, 2, parts.data, test::JoinEntries(parts.entries));
    parts.entries.back().pop_back(); // the second name loses its NUL
    std::vector<uint8_t> damaged
        = test::AssembleArchive(0, 2, parts.data, test::JoinEntries(parts.entries));
    test::TempDir dir;
    auto read = [&dir](const std::vector<uint8_t>& archive, BF_DirectoryVisitor visit,
                    std::vector<Visited>* visited) {
        test::WriteBytes(dir.File("a.cbf"), archive);
        SYS_Handle file = BF_SysOpenW((dir.Path() / "a.cbf").u16string().c_str(), 0);
        BF_Status status = BF_ReadDirectory(file, 0, nullptr, visit, visited);
        (void)BF_SysClose(file);
        return status;
    };
    std::vector<Visited> visited;
    test::TraceCatcher traces;
    EXPECT_EQ(BF_ERR_FORMAT, read(damaged, Keep, &visited));
    EXPECT_TRUE(visited.empty());
    EXPECT_EQ("directory entry name has no end inside its entry", traces.Last());
    auto stopAtFirst = [](void* context, BF_DirectoryEntry* entry) {
        (void)Keep(context, entry);
        return BF_ERR_DIRECTORY;
    };
    EXPECT_EQ(BF_ERR_DIRECTORY, read(sound, stopAtFirst, &visited));
    EXPECT_EQ(1u, visited.size());
}

}
