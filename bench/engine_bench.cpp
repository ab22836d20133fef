// Applying a patch archive of the benchmark corpus into an empty game folder, against a plain
// copy of the same files with 64 KiB reads and writes (the stored archive; goal at least 0.8 of
// the copy's throughput). The same corpus packed with LZW is applied for scripts/bench_engine.sh,
// which compares it with `uncompress` writing the same bytes. Times are the process's CPU time,
// the copy worker included. The corpus folder is $PATCHER_CORPUS (default "corpus"), generated
// there when missing; the archives and game folders go to a temporary folder removed at exit.
#include "bench/corpus_generator.h"
#include "bigfile/bigfile.h"
#include "patcher/patcher.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

namespace {

namespace fs = std::filesystem;

struct Setup {
    fs::path corpus;
    fs::path work;
    std::vector<fs::path> files;
    uint64_t bytes = 0;

    Setup()
    {
        const char* variable = std::getenv("PATCHER_CORPUS");
        corpus = variable && *variable ? variable : "corpus";
        if (!fs::exists(corpus) && !bench::GenerateCorpus(corpus, bench::DEFAULT_CORPUS_BYTES))
            Quit("cannot write the corpus");
        for (const auto& entry : fs::recursive_directory_iterator(corpus))
            if (entry.is_regular_file()) {
                files.push_back(entry.path());
                bytes += entry.file_size();
            }
        work = fs::temp_directory_path() / "patcher-engine-bench";
        fs::create_directories(work);
        Pack(work / "stored", BF_METHOD_STORED);
        Pack(work / "lzw", BF_METHOD_LZW);
    }
    ~Setup()
    {
        std::error_code error;
        fs::remove_all(work, error);
    }

    [[noreturn]] static void Quit(const char* why)
    {
        std::fprintf(stderr, "engine_bench: %s\n", why);
        std::exit(1);
    }

    void Pack(const fs::path& folder, uint32_t method) const
    {
        fs::create_directories(folder);
        BF_ArchiveWriter writer;
        bool ok = writer.Open((folder / "patch.cbf").u16string().c_str(), 0, 0);
        for (size_t i = 0; ok && i < files.size(); ++i) {
            std::ifstream in(files[i], std::ios::binary);
            const std::vector<char> data { std::istreambuf_iterator<char>(in), {} };
            std::string name = "patch\\" + fs::relative(files[i], corpus).generic_string();
            for (char& c : name)
                c = c == '/' ? '\\' : c;
            ok = writer.Add(name.c_str(), data.data(), data.size(), method);
        }
        if (!ok || !writer.Finish())
            Quit(writer.Error());
    }
};

const Setup& Corpus()
{
    static const Setup setup;
    return setup;
}

void Restart(const fs::path& game)
{
    std::error_code error;
    fs::remove_all(game, error);
    fs::create_directories(game);
}

void ApplyArchive(benchmark::State& state, const char* kind)
{
    const Setup& setup = Corpus();
    const fs::path folder = setup.work / kind;
    const fs::path game = setup.work / "game";
    BF_InitParams params {};
    if (!BF_Init(&params) || !PTCH_SetStartFolder((folder.string() + "/").c_str()))
        Setup::Quit("cannot start the archive file system");
    PatchTarget target {};
    (void)SYS_StrCopy(target.gameFolder, sizeof target.gameFolder, game.c_str());
    for (auto _ : state) {
        state.PauseTiming();
        Restart(game);
        state.ResumeTiming();
        PatchEngine engine {};
        PatchProgress progress {};
        if (!PTCH_EngineInit(&engine, &target) || !PTCH_StartCurrentArchive(&engine))
            Setup::Quit("cannot start the engine");
        do {
            std::this_thread::sleep_for(std::chrono::milliseconds(20)); // the toolkit's tick
            PollWorker(&engine, &progress);
        } while (progress.result == PTCH_PollResult::Running);
        PTCH_EngineDone(&engine);
        if (progress.result != PTCH_PollResult::Complete)
            Setup::Quit("the patch failed");
    }
    BF_Shutdown();
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * setup.bytes));
}

void BM_EngineStored(benchmark::State& state)
{
    ApplyArchive(state, "stored");
}

void BM_EngineLzw(benchmark::State& state)
{
    ApplyArchive(state, "lzw");
}

// The reference: every corpus file copied with 64 KiB reads and writes into the game folder.
void BM_PlainCopy(benchmark::State& state)
{
    const Setup& setup = Corpus();
    const fs::path game = setup.work / "game";
    std::vector<char> buffer(65536);
    for (auto _ : state) {
        state.PauseTiming();
        Restart(game);
        state.ResumeTiming();
        for (const fs::path& file : setup.files) {
            const fs::path destination = game / fs::relative(file, setup.corpus);
            fs::create_directories(destination.parent_path());
            std::FILE* in = std::fopen(file.c_str(), "rb");
            std::FILE* out = std::fopen(destination.c_str(), "wb");
            if (in == nullptr || out == nullptr)
                Setup::Quit("cannot copy the corpus");
            std::setvbuf(in, nullptr, _IONBF, 0);
            std::setvbuf(out, nullptr, _IONBF, 0);
            for (size_t n; (n = std::fread(buffer.data(), 1, buffer.size(), in)) > 0;)
                (void)std::fwrite(buffer.data(), 1, n, out);
            std::fclose(in);
            std::fclose(out);
        }
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * setup.bytes));
}

}

BENCHMARK(BM_PlainCopy)->Unit(benchmark::kMillisecond)->MeasureProcessCPUTime()->Iterations(1);
BENCHMARK(BM_EngineStored)->Unit(benchmark::kMillisecond)->MeasureProcessCPUTime()->Iterations(1);
BENCHMARK(BM_EngineLzw)->Unit(benchmark::kMillisecond)->MeasureProcessCPUTime()->Iterations(1);
BENCHMARK_MAIN();
