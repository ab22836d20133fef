// The start folder from the command line: the program's folder for an absolute path, quoted or
// not; the current folder for a bare name, a path that names no folder or a first token that
// does not fit; and never a write past the 260-byte buffer, whatever the current folder answers.
#include "tests/patcher/startup_fixture.h"

namespace {

using namespace test;

// What the stand-in for the current folder answers: the folder, or a fixed answer when set.
std::string g_current;
uint32_t g_answer = 0;

uint32_t FakeCurrentFolder(char* buffer, uint32_t capacity)
{
    if (g_answer != 0)
        return g_answer;
    if (g_current.size() >= capacity)
        return static_cast<uint32_t>(g_current.size() + 1);
    std::copy(g_current.begin(), g_current.end(), buffer);
    buffer[g_current.size()] = 0;
    return static_cast<uint32_t>(g_current.size());
}

class CommandLine : public StartupFixture {
protected:
    void SetUp() override
    {
        StartupFixture::SetUp();
        g_current = "D:\\work";
        g_answer = 0;
        m_startup.currentFolder = FakeCurrentFolder;
    }
    // The start folder for the command line, or "failed"; the buffer's guards must hold.
    std::string StartFolder(const std::string& commandLine)
    {
        GuardedBuffer<char> folder(PTCH_PATH_CAPACITY);
        const bool found
            = patcher::detail::StartFolderOf(commandLine.c_str(), folder.Data(), folder.Capacity());
        EXPECT_TRUE(folder.GuardsIntact()) << commandLine.substr(0, 40);
        if (!found) {
            EXPECT_EQ('\0', folder.Data()[0]);
        }
        return found ? std::string(folder.Data()) : "failed";
    }
};

TEST_F(CommandLine, ProgramPathGivesItsFolderAndOtherwiseTheCurrentFolder)
{
    const std::pair<std::string, std::string> cases[] = {
        { "C:\\Games\\Patch\\patcher.exe -x", "C:\\Games\\Patch\\" },
        { "\"C:\\My Games\\Patch 2\\patcher.exe\" -x", "C:\\My Games\\Patch 2\\" },
        { "\"C:\\Unclosed quote\\patcher.exe", "C:\\Unclosed quote\\" },
        { "\\\\server\\share\\patcher.exe", "\\\\server\\share\\" },
        { "/opt/patch/patcher", "/opt/patch/" },
        { "patcher.exe", "D:\\work\\" },
        { "Patch\\patcher.exe", "D:\\work\\" },
        { "C:patcher.exe", "D:\\work\\" },
        { "", "D:\\work\\" },
        { "\"" + std::string(1000, 'a') + "\"", "D:\\work\\" },
        { "C:\\" + std::string(300, 'b') + "\\patcher.exe", "D:\\work\\" },
    };
    for (const auto& [commandLine, folder] : cases)
        EXPECT_EQ(folder, StartFolder(commandLine)) << commandLine.substr(0, 40);
}

TEST_F(CommandLine, CurrentFolderThatIsUnknownOrHasNoRoomForItsSeparatorGivesNoFolder)
{
    const std::pair<std::string, std::string> cases[] = {
        { "D:\\", "D:\\" },
        { "D:\\" + std::string(255, 'c'), "D:\\" + std::string(255, 'c') + "\\" },
        { "D:\\" + std::string(256, 'c'), "failed" },
        { std::string(400, 'c'), "failed" },
    };
    for (const auto& [current, folder] : cases) {
        g_current = current;
        EXPECT_EQ(folder, StartFolder("patcher.exe")) << current.size();
    }
    g_answer = 0xFFFFFFFF;
    EXPECT_EQ("failed", StartFolder("patcher.exe")) << "an answer beyond the buffer";
}

}
