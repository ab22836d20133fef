// The LZW decoder context shared by the module's start-up code (lzw.cpp) and the decode loop
// (lzw_decoder.cpp), and the constants of the stream format that the encoder writes too.
#pragma once

#include "bigfile/bigfile.h"

#include <cstdint>

namespace bigfile::detail {

inline constexpr uint32_t LZW_END_CODE = 256;
inline constexpr uint32_t LZW_FIRST_FREE_CODE = 257;
inline constexpr uint32_t LZW_FIRST_WIDTH = 9;
// Codes 0 to 65535; a stream that would define a code beyond the last one is refused.
inline constexpr uint32_t LZW_TABLE_SIZE = 65536;

// A dictionary string: its first byte's position in the output and its length.
struct LzwEntry {
    uint32_t start;
    uint32_t length;
};

// Sends one fixed reason for a refused stream to the module's trace.
void LzwTrace(const char* reason);

}

struct LZW_Decoder {
    const uint8_t* input;
    uint32_t inputSize;
    uint8_t* output;
    uint32_t capacity;
    uint32_t bytesProduced;
    uint32_t bytesConsumed;
    bool shared; // the module's shared context, handed back rather than freed
    // Entries 0 to 255 give the literals' length (1; their bytes come from a constant table);
    // 256, the end code, is never defined.
    bigfile::detail::LzwEntry table[bigfile::detail::LZW_TABLE_SIZE];
};
