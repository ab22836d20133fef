// make_corpus FOLDER [BYTES]: writes the reproducible benchmark corpus (150 MB by default) into
// FOLDER, for the benchmark scripts and for trying patchkit on realistic data.
#include "bench/corpus_generator.h"

#include <cstdio>
#include <cstdlib>

int main(int argc, char** argv)
{
    if (argc < 2 || argc > 3) {
        std::fprintf(stderr, "usage: make_corpus FOLDER [BYTES]\n");
        return 1;
    }
    uint64_t bytes = argc == 3 ? std::strtoull(argv[2], nullptr, 10) : bench::DEFAULT_CORPUS_BYTES;
    if (bytes == 0) {
        std::fprintf(stderr, "make_corpus: the size must be a positive number of bytes\n");
        return 1;
    }
    if (!bench::GenerateCorpus(argv[1], bytes)) {
        std::fprintf(stderr, "make_corpus: cannot write the corpus below %s\n", argv[1]);
        return 1;
    }
    return 0;
}
