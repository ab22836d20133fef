// Loading a large definition file: 2 MB with 1,000 defines and several substitutions on every
// text line, against the reference of the same entries written out in full (no defines), so
// that the ratio shows what substitution costs. Both files are read through the virtual file
// interface as the installer reads them.
#include "bigfile/bigfile.h"
#include "ml/ml.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace {

constexpr size_t FILE_BYTES = 2 * 1024 * 1024;
constexpr int DEFINES = 1000;
constexpr int PLAIN_DEFINES = 100;

struct Files {
    std::filesystem::path folder;
    std::string withDefines;
    std::string expanded;
};

std::string Name(int define)
{
    char name[16];
    std::snprintf(name, sizeof name, "D%03d", define);
    return name;
}

// Defines 0..99 are plain texts; the others combine two of those and a numeric define names
// every tenth. values holds what each define stands for when the text lines use it.
void WriteDefines(std::string& file, std::vector<std::string>& values)
{
    for (int i = 0; i < DEFINES; ++i) {
        std::string value;
        if (i < PLAIN_DEFINES) {
            value = "plain text number " + std::to_string(i);
            file += "#DEFINE " + Name(i) + " " + value + "\n";
        } else {
            int a = i % PLAIN_DEFINES, b = (i * 7) % PLAIN_DEFINES;
            value = values[a] + " and " + values[b];
            file += "#DEFINE " + Name(i) + " $" + Name(a) + "$ and $" + Name(b) + "$\n";
        }
        values.push_back(value);
    }
}

// Text lines for ids 0..999 over and over, each with five substitutions, until the file with
// defines reaches FILE_BYTES; expanded receives the same lines with the values written out.
void WriteTexts(std::string& file, std::string& expanded, const std::vector<std::string>& values)
{
    for (uint32_t line = 0; file.size() < FILE_BYTES; ++line) {
        std::string id = std::to_string(line % 1000);
        id.insert(id.begin(), '#');
        id += ":\n";
        std::string text = "#ENG", plain = "#ENG";
        for (uint32_t k = 0; k < 5; ++k) {
            int define = static_cast<int>((line * 31 + k * 197) % DEFINES);
            text.append(" $").append(Name(define)).append("$,");
            plain.append(" ").append(values[define]).append(",");
        }
        file += id + text + "\n#GER other language // comment\n";
        expanded += id + plain + "\n#GER other language // comment\n";
    }
}

const Files& BenchFiles()
{
    static const Files files = [] {
        Files made;
        made.folder = std::filesystem::temp_directory_path() / "ml_bench";
        std::filesystem::create_directories(made.folder);
        std::string withDefines, expanded;
        std::vector<std::string> values;
        WriteDefines(withDefines, values);
        WriteTexts(withDefines, expanded, values);
        made.withDefines = (made.folder / "defines.txt").string();
        made.expanded = (made.folder / "expanded.txt").string();
        std::ofstream(made.withDefines, std::ios::binary) << withDefines;
        std::ofstream(made.expanded, std::ios::binary) << expanded;
        return made;
    }();
    return files;
}

void LoadRepeatedly(benchmark::State& state, const std::string& file)
{
    BF_InitParams params {};
    params.plainNames = 1;
    if (BF_Init(&params) == 0) {
        state.SkipWithError("the archive file system does not start");
        return;
    }
    ML_Request request { "ENG", file.c_str() };
    for (auto _ : state)
        if (ML_LoadInstallerData(&request) != 1)
            state.SkipWithError("the file did not load");
    state.SetBytesProcessed(
        static_cast<int64_t>(state.iterations() * std::filesystem::file_size(file)));
    ML_Free();
    BF_Shutdown();
}

void BM_MlLoadWithDefines(benchmark::State& state)
{
    LoadRepeatedly(state, BenchFiles().withDefines);
}

void BM_MlLoadExpandedReference(benchmark::State& state)
{
    LoadRepeatedly(state, BenchFiles().expanded);
}

}

BENCHMARK(BM_MlLoadWithDefines)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_MlLoadExpandedReference)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
