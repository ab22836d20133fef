// Fuzz target of archive mounting: the input is written as an archive file and mounted; when
// the mount succeeds every member is opened by a scan of the whole table and read to its end,
// in large steps and then in small ones, so that the directory checks and the member readers
// meet whatever the bytes claim.
#include "bigfile/bigfile.h"

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

std::filesystem::path g_folder;
std::u16string g_archive;

void Start()
{
    g_folder
        = std::filesystem::temp_directory_path() / ("fuzz-directory-" + std::to_string(getpid()));
    std::filesystem::create_directories(g_folder);
    g_archive = (g_folder / "fuzz.cbf").u16string();
    static const std::string base = g_folder.string();
    BF_InitParams params {};
    params.baseDir = base.c_str();
    if (BF_Init(&params) != 1)
        std::abort();
    std::atexit([] {
        BF_Shutdown();
        std::error_code ignored;
        std::filesystem::remove_all(g_folder, ignored);
    });
}

// Reads the member to its end in steps of step bytes, within a total budget of bytes.
void ReadThrough(const char* name, uint32_t step)
{
    BF_Handle file = BF_OpenEx(name, 0, 0);
    if (file == 0) {
        // Only names of drives and rooted paths are never looked up in the archives.
        if (name[0] != '\\' && name[0] != '/' && name[1] != ':')
            std::abort();
        return;
    }
    std::vector<uint8_t> buffer(step);
    uint64_t total = 0;
    while (uint32_t got = BF_Read(file, buffer.data(), step)) {
        total += got;
        if (got > step || total > BF_GetSize(file))
            std::abort();
    }
    BF_Close(file);
}

}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (g_folder.empty())
        Start();
    {
        std::ofstream out(g_folder / "fuzz.cbf", std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
    }
    if (LoadBF(g_archive.c_str(), 0) != BF_OK)
        return 0;
    BF_FindContext scan {};
    std::vector<std::string> names;
    for (const char* name = BF_FindFirst("*.*", 1, &scan); name; name = BF_FindNext(&scan))
        names.emplace_back(name);
    for (const std::string& name : names) {
        ReadThrough(name.c_str(), 1u << 16);
        ReadThrough(name.c_str(), 7);
    }
    if (UnloadBF(g_archive.c_str()) != BF_OK)
        std::abort();
    return 0;
}
