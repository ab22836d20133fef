// The archive file system used from several threads at once, as the installer's copy worker and
// its window thread use it: members of one archive read through its shared handle while another
// thread opens and closes files and grows the handle table. Every byte must be the member's own.
#include "bigfile/bigfile.h"
#include "tests/bigfile/vfs_fixture.h"

#include <atomic>
#include <random>
#include <thread>

namespace {

constexpr int ROUNDS = 10000;

class Concurrency : public test::VfsFixture { };

// Reads ROUNDS pieces of the member at seeded random places; the pieces that differ from data.
int ReadPieces(const char* name, const std::vector<uint8_t>& data, uint32_t seed)
{
    BF_Handle file = BF_OpenEx(name, 0, 0);
    if (file == 0)
        return ROUNDS;
    std::mt19937 random(seed);
    std::vector<uint8_t> piece;
    int wrong = 0;
    for (int round = 0; round < ROUNDS; ++round) {
        uint64_t at = random() % data.size();
        auto count
            = static_cast<uint32_t>(std::min<uint64_t>(1 + random() % 2000, data.size() - at));
        piece.assign(count, 0);
        bool right = BF_Seek(file, at, 0) == at && BF_Read(file, piece.data(), count) == count
            && std::equal(piece.begin(), piece.end(), data.begin() + at);
        wrong += right ? 0 : 1;
    }
    BF_Close(file);
    return wrong;
}

TEST_F(Concurrency, TwoReadersOfOneArchiveAndAThirdThreadOpeningFiles)
{
    const std::vector<uint8_t> packed = test::SampleBytes(100000, 21);
    const std::vector<uint8_t> stored = test::SampleBytes(100000, 22);
    ASSERT_EQ(BF_OK,
        Mount("shared.cbf",
            { test::LzwMember("packed", packed, LZW_Encode, 4096),
                test::StoredMember("stored", stored) }));
    Put("disk.txt", Bytes("on disk"));

    std::atomic<int> packedWrong { -1 };
    std::atomic<int> storedWrong { -1 };
    std::thread first([&] { packedWrong = ReadPieces("packed", packed, 1); });
    std::thread second([&] { storedWrong = ReadPieces("stored", stored, 2); });
    // Opens and closes a disk file every round, and keeps a member open every fifth round, so
    // that the handle table grows (and moves) several times while the readers look handles up.
    int diskWrong = 0;
    std::vector<BF_Handle> kept;
    for (int round = 0; round < ROUNDS; ++round) {
        BF_Handle disk = BF_OpenEx("disk.txt", 0, 0);
        char text[8] = {};
        diskWrong
            += BF_Read(disk, text, sizeof(text)) == 7 && std::string(text) == "on disk" ? 0 : 1;
        BF_Close(disk);
        if (round % 5 == 0)
            kept.push_back(BF_OpenEx("stored", 0, 0));
    }
    first.join();
    second.join();
    EXPECT_EQ(0, packedWrong.load());
    EXPECT_EQ(0, storedWrong.load());
    EXPECT_EQ(0, diskWrong);
    EXPECT_EQ(0, std::count(kept.begin(), kept.end(), BF_Handle { 0 }));
    for (BF_Handle file : kept)
        BF_Close(file);
}

}
