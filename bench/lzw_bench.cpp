// Throughput of the LZW codec on the benchmark corpus, cut into blocks of BF_MAX_LZW_BLOCK bytes
// as the archive writer cuts members. The plain reference decoder runs on the same blocks as
// the in-process reference; scripts/bench_lzw.sh compares with the system's `uncompress`.
// The corpus folder is $PATCHER_CORPUS (default "corpus"), generated there when missing.
#include "bench/corpus_generator.h"
#include "bigfile/bigfile.h"
#include "tests/support/lzw_reference.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

namespace {

using Bytes = std::vector<uint8_t>;

struct Block {
    size_t plainOffset;
    uint32_t plainSize;
    size_t streamOffset;
    uint32_t streamSize;
};

struct Corpus {
    Bytes plain;
    Bytes streams;
    std::vector<Block> blocks;
};

std::vector<std::filesystem::path> CorpusFiles()
{
    const char* variable = std::getenv("PATCHER_CORPUS");
    std::filesystem::path folder = variable && *variable ? variable : "corpus";
    if (!std::filesystem::exists(folder)
        && !bench::GenerateCorpus(folder, bench::DEFAULT_CORPUS_BYTES)) {
        std::fprintf(stderr, "lzw_bench: cannot write the corpus to %s\n", folder.string().c_str());
        std::exit(1);
    }
    std::vector<std::filesystem::path> files;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(folder))
        if (entry.is_regular_file())
            files.push_back(entry.path());
    std::sort(files.begin(), files.end());
    return files;
}

// Appends one file's blocks, each encoded right after the previous stream.
void AddFile(Corpus& corpus, const std::filesystem::path& path)
{
    std::ifstream file(path, std::ios::binary);
    Bytes bytes((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    for (size_t done = 0; done < bytes.size(); done += BF_MAX_LZW_BLOCK) {
        auto size = static_cast<uint32_t>(std::min<size_t>(BF_MAX_LZW_BLOCK, bytes.size() - done));
        Block block { corpus.plain.size(), size, corpus.streams.size(), 0 };
        corpus.plain.insert(corpus.plain.end(), bytes.begin() + done, bytes.begin() + done + size);
        corpus.streams.resize(block.streamOffset + LZW_EncodeBound(size));
        block.streamSize = static_cast<uint32_t>(LZW_Encode(bytes.data() + done, size,
            corpus.streams.data() + block.streamOffset, LZW_EncodeBound(size)));
        corpus.streams.resize(block.streamOffset + block.streamSize);
        corpus.blocks.push_back(block);
    }
}

const Corpus& LoadCorpus()
{
    static const Corpus corpus = [] {
        Corpus loaded;
        for (const auto& path : CorpusFiles())
            AddFile(loaded, path);
        return loaded;
    }();
    return corpus;
}

void Report(benchmark::State& state, const Corpus& corpus)
{
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * corpus.plain.size()));
    state.counters["ratio"] = static_cast<double>(corpus.plain.size()) / corpus.streams.size();
}

void BM_LzwDecode(benchmark::State& state)
{
    const Corpus& corpus = LoadCorpus();
    Bytes output(corpus.plain.size());
    for (auto _ : state) {
        for (const Block& block : corpus.blocks) {
            LZW_Decoder* decoder = LZW_CreateDecoder(output.data() + block.plainOffset,
                block.plainSize, corpus.streams.data() + block.streamOffset, block.streamSize);
            if (!decoder || !LZW_Decode(decoder) || LZW_BytesProduced(decoder) != block.plainSize)
                state.SkipWithError("a block did not decode");
            LZW_FreeDecoder(decoder);
        }
        benchmark::DoNotOptimize(output.data());
    }
    if (output != corpus.plain)
        state.SkipWithError("the decoded corpus differs from the original");
    Report(state, corpus);
}

void BM_LzwDecodeReference(benchmark::State& state)
{
    const Corpus& corpus = LoadCorpus();
    Bytes output(corpus.plain.size());
    for (auto _ : state) {
        for (const Block& block : corpus.blocks)
            test::LzwReferenceDecode(corpus.streams.data() + block.streamOffset, block.streamSize,
                output.data() + block.plainOffset, block.plainSize);
        benchmark::DoNotOptimize(output.data());
    }
    Report(state, corpus);
}

void BM_LzwEncode(benchmark::State& state)
{
    const Corpus& corpus = LoadCorpus();
    Bytes output(LZW_EncodeBound(BF_MAX_LZW_BLOCK));
    for (auto _ : state) {
        for (const Block& block : corpus.blocks)
            benchmark::DoNotOptimize(LZW_Encode(corpus.plain.data() + block.plainOffset,
                block.plainSize, output.data(), output.size()));
    }
    Report(state, corpus);
}

// The shared decoder is made once, as the archive file system does at its start.
int StartCodec()
{
    const uint32_t option = 0;
    return static_cast<int>(LZW_Init(&option));
}
[[maybe_unused]] const int CODEC_STARTED = StartCodec();

}

BENCHMARK(BM_LzwDecode)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LzwDecodeReference)->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(BM_LzwEncode)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
