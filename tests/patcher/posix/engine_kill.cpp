// Kills engine runs at random points and checks what a user would find afterwards: every file
// of the patch either entirely old or entirely new, never torn, and after one more run to the
// end, every file new and no temporary file left. Each run is a child process that is killed
// with SIGKILL, so nothing of the engine's own clean-up can help.
//
// usage: engine_kill_test [--xml RESULT]   (RESULT: a one-suite summary in GoogleTest's form)
#include "bigfile/bigfile.h"
#include "patcher/patcher.h"
#include "tests/support/archive_builder.h"

#include <chrono>
#include <csignal>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace {

namespace fs = std::filesystem;
using Bytes = std::vector<uint8_t>;

constexpr int KILLS = 20;
constexpr int FILES = 12;

struct Patch {
    fs::path root;
    std::vector<std::string> names; // destinations, relative to the game folder
    std::vector<Bytes> oldBytes;
    std::vector<Bytes> newBytes;
};

Bytes Read(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return { std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>() };
}

void Write(const fs::path& path, const Bytes& bytes)
{
    fs::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()),
            static_cast<std::streamsize>(bytes.size()));
}

// Half the files stored, half LZW, 200 to 420 KB each, some in folders of their own.
Patch MakePatch(const fs::path& root)
{
    Patch patch { root, {}, {}, {} };
    std::vector<test::ArchiveMember> members;
    for (int i = 0; i < FILES; ++i) {
        const std::string name = (i % 3 == 0 ? "data\\" : "") + std::to_string(i) + ".bin";
        const Bytes bytes = test::SampleBytes(200000 + 20000 * i, i + 1);
        members.push_back(i % 2 == 0 ? test::StoredMember("patch\\" + name, bytes)
                                     : test::LzwMember("patch\\" + name, bytes, LZW_Encode));
        patch.names.push_back(name);
        patch.newBytes.push_back(bytes);
        patch.oldBytes.push_back(Bytes(1000 + i, static_cast<uint8_t>('a' + i)));
    }
    test::WriteBytes((root / "patch.cbf").string(), test::BuildArchive(members));
    return patch;
}

fs::path Destination(const Patch& patch, size_t i)
{
    std::string relative = patch.names[i];
    for (char& c : relative)
        if (c == '\\')
            c = '/';
    return patch.root / "game" / relative;
}

// The child: the engine applied the way the progress page applies it. Exit 0 when complete.
[[noreturn]] void RunEngine(const Patch& patch)
{
    BF_InitParams params {};
    const std::string start = patch.root.string() + "/";
    PatchTarget target {};
    (void)SYS_StrCopy(target.gameFolder, sizeof target.gameFolder, (patch.root / "game").c_str());
    PatchEngine engine {};
    PatchProgress progress {};
    progress.result = PTCH_PollResult::Failed;
    if (BF_Init(&params) && PTCH_SetStartFolder(start.c_str()) && PTCH_EngineInit(&engine, &target)
        && PTCH_StartCurrentArchive(&engine)) {
        do {
            usleep(1000);
            PollWorker(&engine, &progress);
        } while (progress.result == PTCH_PollResult::Running);
    }
    _exit(progress.result == PTCH_PollResult::Complete ? 0 : 1);
}

// Runs the engine in a child, killed after delay (none: to the end). The child's exit status,
// or -1 when it was killed.
int RunChild(const Patch& patch, std::chrono::microseconds delay)
{
    const pid_t child = fork();
    if (child == 0)
        RunEngine(patch);
    if (delay.count() > 0) {
        usleep(static_cast<useconds_t>(delay.count()));
        kill(child, SIGKILL);
    }
    int status = 0;
    waitpid(child, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

int Failure(const char* what, const std::string& detail)
{
    std::fprintf(stderr, "engine_kill_test: %s: %s\n", what, detail.c_str());
    return 1;
}

// Every destination old or new; returns the number of failures (torn files).
int CheckWhole(const Patch& patch, bool mustBeNew)
{
    int failures = 0;
    for (size_t i = 0; i < patch.names.size(); ++i) {
        const Bytes now = Read(Destination(patch, i));
        if (now != patch.newBytes[i] && (mustBeNew || now != patch.oldBytes[i]))
            failures += Failure(mustBeNew ? "not new" : "torn", Destination(patch, i).string());
    }
    return failures;
}

int CheckNoTemporaries(const Patch& patch)
{
    int failures = 0;
    for (const auto& entry : fs::recursive_directory_iterator(patch.root / "game"))
        if (entry.path().filename().string().starts_with("~pt"))
            failures += Failure("temporary file left", entry.path().string());
    return failures;
}

void WriteSummary(const char* path, int tests, int failures)
{
    if (path == nullptr)
        return;
    fs::create_directories(fs::path(path).parent_path());
    std::ofstream(path) << "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<testsuites tests=\""
                        << tests << "\" failures=\"" << failures
                        << "\" disabled=\"0\" name=\"engine_kill_test\">\n</testsuites>\n";
}

}

int main(int argc, char** argv)
{
    const char* xml = argc == 3 && std::string(argv[1]) == "--xml" ? argv[2] : nullptr;
    char folder[] = "/tmp/engine-kill-XXXXXX";
    if (mkdtemp(folder) == nullptr)
        return Failure("mkdtemp", folder);
    const Patch patch = MakePatch(folder);

    // One whole run gives the span in which the kills fall.
    const auto begin = std::chrono::steady_clock::now();
    int failures = RunChild(patch, {}) == 0 ? 0 : Failure("run", "the first run did not complete");
    const auto span = std::chrono::duration_cast<std::chrono::microseconds>(
        std::chrono::steady_clock::now() - begin);

    std::mt19937 random(20240428);
    for (int kill = 0; kill < KILLS; ++kill) {
        for (size_t i = 0; i < patch.names.size(); ++i)
            Write(Destination(patch, i), patch.oldBytes[i]);
        const auto delay = std::chrono::microseconds(1 + random() % (span.count() + 1));
        (void)RunChild(patch, delay);
        failures += CheckWhole(patch, false);
    }
    failures += RunChild(patch, {}) == 0 ? 0 : Failure("run", "the last run did not complete");
    failures += CheckWhole(patch, true) + CheckNoTemporaries(patch);
    fs::remove_all(folder);
    std::printf("engine_kill_test: %d kills in runs of %lld ms, %d failures\n", KILLS,
        static_cast<long long>(span.count() / 1000), failures);
    WriteSummary(xml, KILLS + 2, failures);
    return failures == 0 ? 0 : 1;
}
