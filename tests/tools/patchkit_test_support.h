// Helpers of the patchkit tests: running a command in process with its output captured, files
// written and read whole, a generated source tree and archives crafted with the writer.
#pragma once

#include "bigfile/bigfile.h"
#include "tests/support/test_support.h"
#include "tools/patchkit.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <sstream>
#include <string>
#include <vector>

namespace test {

struct CommandResult {
    int status;
    std::string out;
    std::string err;
};

inline CommandResult RunPatchkit(const std::vector<std::string>& arguments)
{
    std::ostringstream out, err;
    int status = patchkit::Run(arguments, out, err);
    return { status, out.str(), err.str() };
}

// A failure as every command must report it: status 1, nothing on stdout and exactly one line
// "patchkit: ..." on stderr.
inline ::testing::AssertionResult FailsWithOneLine(const CommandResult& result)
{
    bool oneLine = result.err.rfind("patchkit: ", 0) == 0 && !result.err.empty()
        && result.err.find('\n') == result.err.size() - 1;
    if (result.status == 1 && result.out.empty() && oneLine)
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure()
        << "status " << result.status << ", out '" << result.out << "', err '" << result.err << "'";
}

inline void WriteBytes(const std::filesystem::path& path, const std::string& bytes)
{
    std::filesystem::create_directories(path.parent_path());
    std::ofstream file(path, std::ios::binary);
    file.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

inline std::string ReadBytes(const std::filesystem::path& path)
{
    std::ifstream file(path, std::ios::binary);
    return { std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>() };
}

// Every regular file below root, by its path relative to root (generic form), with its bytes.
inline std::map<std::string, std::string> ReadTree(const std::filesystem::path& root)
{
    std::map<std::string, std::string> files;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(root))
        if (entry.is_regular_file())
            files[entry.path().lexically_relative(root).generic_string()] = ReadBytes(entry.path());
    return files;
}

// A source tree with text that spans several LZW blocks, incompressible bytes, an empty file,
// nested folders and names in mixed case; relative path (generic form) -> bytes.
inline std::map<std::string, std::string> SampleTree()
{
    std::string text, noise, ramp, small = "Small text in a deep folder.\r\n";
    for (int line = 0; text.size() < 200000; ++line)
        text += "Line " + std::to_string(line) + ": the patch replaces the old files.\n";
    uint32_t seed = 2024;
    for (int i = 0; i < 70000; ++i)
        noise.push_back(static_cast<char>((seed = seed * 1664525 + 1013904223) >> 24));
    for (int i = 0; i < 100000; ++i)
        ramp.push_back(static_cast<char>(i * 7 / 3));
    return { { "Readme.txt", text }, { "data/Table.BIN", noise }, { "data/empty.dat", "" },
        { "Data2/Sub/Deep/mixedCase.Txt", small }, { "pictures/ramp.raw", ramp } };
}

inline void WriteTree(
    const std::filesystem::path& root, const std::map<std::string, std::string>& files)
{
    std::filesystem::create_directories(root);
    for (const auto& [name, bytes] : files)
        WriteBytes(root / name, bytes);
}

struct CraftedMember {
    std::string name;
    std::string bytes;
    uint32_t method = BF_METHOD_STORED;
};

// An archive written with the writer's own API, which takes names that pack would refuse.
inline void WriteArchive(const std::filesystem::path& path,
    const std::vector<CraftedMember>& members, uint32_t version = 0)
{
    BF_ArchiveWriter writer;
    ASSERT_TRUE(writer.Open(path.u16string().c_str(), version, 0)) << writer.Error();
    for (const CraftedMember& member : members)
        ASSERT_TRUE(writer.Add(
            member.name.c_str(), member.bytes.data(), member.bytes.size(), member.method))
            << writer.Error();
    ASSERT_TRUE(writer.Finish()) << writer.Error();
}

inline std::string PathArgument(const std::filesystem::path& path)
{
    auto text = path.u8string();
    return std::string(text.begin(), text.end());
}

}
