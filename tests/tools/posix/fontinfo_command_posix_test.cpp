// patchkit fontinfo on inputs that are not font files of a sensible size: it refuses them by
// kind and size before reading, so neither an endless device nor a huge file fills memory.
#include "guib/guib.h"
#include "tests/tools/patchkit_test_support.h"

#include <filesystem>

namespace {

TEST(FontInfoCommandPosix, RefusesDevicesAndOversizedFilesBeforeReading)
{
    test::TempDir dir;
    const std::filesystem::path huge = dir.Path() / "huge.fnt";
    test::WriteBytes(huge, "");
    std::filesystem::resize_file(huge, GUIB_STORE_FILE_LIMIT + 1); // sparse: no disk used
    const std::pair<std::string, std::string> cases[] = {
        { "/dev/zero", "not a regular file" },
        { huge.string(), "larger than any font file" },
    };
    for (const auto& [file, reason] : cases) {
        auto result = test::RunPatchkit({ "fontinfo", file });
        EXPECT_TRUE(test::FailsWithOneLine(result)) << file;
        EXPECT_NE(std::string::npos, result.err.find(reason)) << result.err;
    }
}

}
