// Fuzz target of the LZW codec. The first byte picks the mode: arbitrary bytes decoded as a
// stream into a bounded output (result, counts and bytes produced checked against the plain
// reference decoder), or the rest of the input encoded and decoded again (must give it back).
#include "bigfile/bigfile.h"
#include "tests/support/lzw_reference.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace {

// Bytes 1 and 2 give the output capacity; the rest is the stream.
void DecodeArbitraryStream(const uint8_t* data, size_t size)
{
    if (size < 3)
        return;
    uint32_t capacity = data[1] | uint32_t { data[2] } << 8;
    const uint8_t* stream = data + 3;
    auto streamSize = static_cast<uint32_t>(size - 3);
    std::vector<uint8_t> expected(capacity, 0xEE);
    test::LzwReferenceResult reference
        = test::LzwReferenceDecode(stream, streamSize, expected.data(), capacity);
    std::vector<uint8_t> actual(capacity, 0xEE);
    LZW_Decoder* decoder = LZW_CreateDecoder(actual.data(), capacity, stream, streamSize);
    if (!decoder)
        return;
    bool ok = LZW_Decode(decoder);
    if (ok != reference.ok || LZW_BytesProduced(decoder) != reference.produced
        || LZW_BytesConsumed(decoder) != reference.consumed
        || !std::equal(actual.begin(), actual.begin() + reference.produced, expected.begin()))
        std::abort();
    LZW_FreeDecoder(decoder);
}

void RoundTrip(const uint8_t* data, size_t size)
{
    auto length = static_cast<uint32_t>(size < BF_MAX_LZW_BLOCK ? size : BF_MAX_LZW_BLOCK);
    std::vector<uint8_t> stream(LZW_EncodeBound(length));
    size_t written = LZW_Encode(data, length, stream.data(), stream.size());
    if (written == 0)
        std::abort();
    stream.resize(written);
    std::vector<uint8_t> output(length);
    LZW_Decoder* decoder
        = LZW_CreateDecoder(output.data(), length, stream.data(), static_cast<uint32_t>(written));
    if (!decoder)
        return;
    if (!LZW_Decode(decoder) || LZW_BytesProduced(decoder) != length
        || LZW_BytesConsumed(decoder) != written
        || (length > 0 && std::memcmp(output.data(), data, length) != 0))
        std::abort();
    LZW_FreeDecoder(decoder);
}

}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size == 0)
        return 0;
    if (data[0] & 1)
        RoundTrip(data + 1, size - 1);
    else
        DecodeArbitraryStream(data, size);
    return 0;
}
