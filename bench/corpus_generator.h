// A reproducible benchmark corpus of the kinds of files a game patch carries: English-like
// text, uncompressed pictures, binary record tables and already-compressed data. The same
// folder and size always give the same bytes (fixed seeds), so figures from different runs
// and machines measure the same input.
#pragma once

#include <cstdint>
#include <filesystem>

namespace bench {

// The default size of the corpus the benchmarks use: 150 MB.
inline constexpr uint64_t DEFAULT_CORPUS_BYTES = 150ull * 1000 * 1000;

// Writes about totalBytes of files below folder, in the subfolders "text", "pictures", "tables"
// and "packed" (created as needed; files of the same names are replaced). Returns false when a
// folder or file cannot be written.
bool GenerateCorpus(const std::filesystem::path& folder, uint64_t totalBytes);

}
