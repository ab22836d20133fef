// Mounting an archive of 50,000 members and looking names up in the file table. The reference
// in the same run is reading the archive's directory bytes with one read, the least any mount
// must do; the goals are a mount under 100 ms and a lookup under 1 microsecond.
#include "bigfile/bigfile.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

namespace {

constexpr int MEMBERS = 50000;

std::string MemberName(int i)
{
    char name[64];
    std::snprintf(name, sizeof name, "Data%03d\\Models\\mesh_%05d.Bin", i / 500, i);
    return name;
}

// Two archives of the same members in a temporary folder: one in the sorted order pack writes,
// one shuffled (the file table then inserts in random order). Removed at exit.
struct Archives {
    std::filesystem::path folder;
    std::filesystem::path sorted;
    std::filesystem::path shuffled;
    std::vector<std::string> names;

    Archives()
    {
        folder = std::filesystem::temp_directory_path() / "patcher-mount-bench";
        std::filesystem::create_directories(folder);
        sorted = folder / "sorted.cbf";
        shuffled = folder / "shuffled.cbf";
        for (int i = 0; i < MEMBERS; ++i)
            names.push_back(MemberName(i));
        Write(sorted, names);
        std::vector<std::string> mixed = names;
        std::shuffle(mixed.begin(), mixed.end(), std::mt19937(7));
        Write(shuffled, mixed);
    }
    ~Archives()
    {
        std::error_code error;
        std::filesystem::remove_all(folder, error);
    }

    static void Write(const std::filesystem::path& path, const std::vector<std::string>& members)
    {
        BF_ArchiveWriter writer;
        bool ok = writer.Open(path.u16string().c_str(), 0, 0);
        for (size_t i = 0; ok && i < members.size(); ++i)
            ok = writer.Add(members[i].c_str(), members[i].data(), 16, BF_METHOD_STORED);
        if (!ok || !writer.Finish())
            std::fprintf(stderr, "mount_bench: cannot write %s: %s\n", path.string().c_str(),
                writer.Error());
    }
};

const Archives& TheArchives()
{
    static Archives archives;
    return archives;
}

// The archive file system started without disk names, as the installer starts it.
struct Started {
    Started()
    {
        BF_InitParams params {};
        BF_Init(&params);
    }
    ~Started() { BF_Shutdown(); }
};

// Opens the archive, reads its header and its directory in one read each, and closes it.
void ReadDirectoryReference(benchmark::State& state)
{
    const Archives& archives = TheArchives();
    std::vector<char> bytes;
    for (auto _ : state) {
        std::ifstream file(archives.sorted, std::ios::binary);
        unsigned char header[BF_HEADER_SIZE];
        file.read(reinterpret_cast<char*>(header), sizeof header);
        bytes.resize(SYS_LoadU32(header + BF_HDR_DIR_SIZE));
        file.seekg(static_cast<std::streamoff>(SYS_LoadU64(header + BF_HDR_DIR_OFFSET)));
        file.read(bytes.data(), static_cast<std::streamsize>(bytes.size()));
        benchmark::DoNotOptimize(bytes.data());
    }
}

void Mount(benchmark::State& state, const std::filesystem::path& path)
{
    Started started;
    std::u16string wide = std::filesystem::absolute(path).u16string();
    for (auto _ : state) {
        if (LoadBF(wide.c_str(), 0) != BF_OK)
            state.SkipWithError("the archive does not mount");
        state.PauseTiming();
        (void)UnloadBF(wide.c_str());
        state.ResumeTiming();
    }
}

void MountSorted(benchmark::State& state)
{
    Mount(state, TheArchives().sorted);
}

void MountShuffled(benchmark::State& state)
{
    Mount(state, TheArchives().shuffled);
}

// Names in a random order, in the case the installer asks for them (not the stored one).
std::vector<std::string> LookupNames(bool upper)
{
    std::vector<std::string> names = TheArchives().names;
    for (std::string& name : names)
        for (char& c : name)
            c = upper ? static_cast<char>(c >= 'a' && c <= 'z' ? c - 32 : c)
                      : static_cast<char>(c >= 'A' && c <= 'Z' ? c + 32 : c);
    std::shuffle(names.begin(), names.end(), std::mt19937(11));
    return names;
}

void LookupName(benchmark::State& state)
{
    Started started;
    (void)LoadBF(std::filesystem::absolute(TheArchives().sorted).u16string().c_str(), 0);
    std::vector<std::string> names = LookupNames(true);
    size_t next = 0;
    uint32_t index = 0;
    for (auto _ : state) {
        if (!BF_LookupName(names[next].c_str(), true, &index))
            state.SkipWithError("a member was not found");
        next = next + 1 == names.size() ? 0 : next + 1;
    }
    state.SetItemsProcessed(state.iterations());
}

void Exists(benchmark::State& state)
{
    Started started;
    (void)LoadBF(std::filesystem::absolute(TheArchives().sorted).u16string().c_str(), 0);
    std::vector<std::string> names = LookupNames(false);
    size_t next = 0;
    for (auto _ : state) {
        if (BF_Exists(names[next].c_str()) != 1)
            state.SkipWithError("a member was not found");
        next = next + 1 == names.size() ? 0 : next + 1;
    }
    state.SetItemsProcessed(state.iterations());
}

BENCHMARK(ReadDirectoryReference)->Unit(benchmark::kMillisecond);
BENCHMARK(MountSorted)->Unit(benchmark::kMillisecond);
BENCHMARK(MountShuffled)->Unit(benchmark::kMillisecond);
BENCHMARK(LookupName)->Unit(benchmark::kNanosecond);
BENCHMARK(Exists)->Unit(benchmark::kNanosecond);

}

BENCHMARK_MAIN();
