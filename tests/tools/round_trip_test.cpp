// pack -> list -> extract -> verify on a generated tree, for every method and both directory
// versions: the extracted files equal the sources byte for byte and the listing describes the
// archive exactly (stored sizes add up to the bytes before the directory).
#include "tests/tools/patchkit_test_support.h"

#include <algorithm>
#include <regex>

namespace {

struct ListLine {
    std::string name, size, stored, method;
};

std::vector<ListLine> ParseListing(const std::string& out)
{
    std::vector<ListLine> lines;
    std::istringstream stream(out);
    for (std::string line; std::getline(stream, line);) {
        ListLine fields;
        std::istringstream parts(line);
        std::getline(parts, fields.name, '\t');
        std::getline(parts, fields.size, '\t');
        std::getline(parts, fields.stored, '\t');
        std::getline(parts, fields.method);
        lines.push_back(fields);
    }
    return lines;
}

uint64_t DirectoryOffset(const std::filesystem::path& archive)
{
    std::string bytes = test::ReadBytes(archive);
    bytes.resize(BF_HEADER_SIZE); // a short file reads as zeros
    return SYS_LoadU64(reinterpret_cast<const uint8_t*>(bytes.data()) + BF_HDR_DIR_OFFSET);
}

// The method list must show for a member: auto compresses only what LZW shrinks, and a
// version-1 archive scrambles whatever it stores.
std::string ExpectedMethod(const std::string& method, int version, const std::string& name)
{
    bool shrinks = name == "Readme.txt" || name == "pictures\\ramp.raw";
    std::string chosen = method == "auto" ? (shrinks ? "lzw" : "store") : method;
    return chosen == "store" && version == 1 ? "scramble" : chosen;
}

class PatchkitRoundTrip : public ::testing::TestWithParam<std::tuple<std::string, int>> { };

TEST_P(PatchkitRoundTrip, ExtractedFilesEqualTheSourcesAndVerifyPasses)
{
    auto [method, version] = GetParam();
    test::TempDir dir;
    auto tree = test::SampleTree();
    test::WriteTree(dir.Path() / "src", tree);
    std::string archive = test::PathArgument(dir.Path() / "out.cbf");

    auto pack = test::RunPatchkit({ "pack", test::PathArgument(dir.Path() / "src"), archive,
        "--method", method, "--dir-version", std::to_string(version) });
    ASSERT_EQ(pack.status, 0) << pack.err;
    EXPECT_EQ(pack.err, "");

    auto list = test::RunPatchkit({ "list", archive });
    ASSERT_EQ(list.status, 0) << list.err;
    EXPECT_EQ(list.err, "");
    std::vector<std::string> names;
    for (const auto& [path, bytes] : tree) {
        names.push_back(path);
        std::replace(names.back().begin(), names.back().end(), '/', '\\');
    }
    std::sort(names.begin(), names.end());
    auto lines = ParseListing(list.out);
    ASSERT_EQ(lines.size(), names.size()) << list.out;
    uint64_t storedTotal = 0;
    for (size_t i = 0; i < lines.size(); ++i) {
        std::string generic = names[i];
        std::replace(generic.begin(), generic.end(), '\\', '/');
        EXPECT_EQ(lines[i].name, names[i]);
        EXPECT_EQ(lines[i].size, std::to_string(tree[generic].size())) << names[i];
        EXPECT_EQ(lines[i].method, ExpectedMethod(method, version, names[i])) << names[i];
        if (lines[i].method != "lzw") {
            EXPECT_EQ(lines[i].stored, lines[i].size) << names[i];
        }
        storedTotal += std::stoull(lines[i].stored);
    }
    EXPECT_EQ(BF_HEADER_SIZE + storedTotal, DirectoryOffset(dir.Path() / "out.cbf"));

    auto extract = test::RunPatchkit({ "extract", archive, test::PathArgument(dir.Path() / "x") });
    ASSERT_EQ(extract.status, 0) << extract.err;
    EXPECT_EQ(test::ReadTree(dir.Path() / "x"), tree);

    auto verify = test::RunPatchkit({ "verify", archive });
    ASSERT_EQ(verify.status, 0) << verify.err;
    uint64_t total = 0;
    for (const auto& [path, bytes] : tree)
        total += bytes.size();
    std::string summary
        = "verified 5 members, " + std::to_string(total) + " bytes read, [0-9]+\\.[0-9] MB/s\n";
    EXPECT_TRUE(std::regex_match(verify.out, std::regex(summary))) << verify.out;
}

INSTANTIATE_TEST_SUITE_P(MethodsAndVersions, PatchkitRoundTrip,
    ::testing::Combine(
        ::testing::Values("auto", "store", "lzw", "scramble"), ::testing::Values(0, 1)));

}
