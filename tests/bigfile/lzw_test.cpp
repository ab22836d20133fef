// Tests of the LZW codec: hand-packed streams with known answers, the refusals of damaged
// streams (reads past the input, dictionary overflow, output overflow), encode-decode round
// trips, agreement with a plain reference decoder, and the module's shared decoder.
#include "bigfile/bigfile.h"
#include "tests/support/lzw_reference.h"
#include "tests/support/test_support.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cstring>
#include <memory>
#include <random>
#include <string>
#include <thread>
#include <utility>
#include <vector>

namespace {

using Bytes = std::vector<uint8_t>;

struct Decoded {
    bool ok;
    Bytes output; // the bytes produced
    uint32_t consumed;
};

// Decodes stream from a heap block of exactly its size (so that AddressSanitizer sees any read
// past it) into a guarded output of capacity bytes.
Decoded Decode(const Bytes& stream, uint32_t capacity)
{
    std::unique_ptr<uint8_t[]> input(new uint8_t[stream.size()]);
    std::copy(stream.begin(), stream.end(), input.get());
    test::GuardedBuffer<uint8_t> output(capacity);
    LZW_Decoder* decoder = LZW_CreateDecoder(
        output.Data(), capacity, input.get(), static_cast<uint32_t>(stream.size()));
    EXPECT_NE(decoder, nullptr);
    if (!decoder)
        return { false, {}, 0 };
    Decoded result { LZW_Decode(decoder), {}, LZW_BytesConsumed(decoder) };
    result.output.assign(output.Data(), output.Data() + LZW_BytesProduced(decoder));
    LZW_FreeDecoder(decoder);
    EXPECT_TRUE(output.GuardsIntact()) << "the decoder wrote outside its output";
    return result;
}

Bytes Encode(const Bytes& input)
{
    auto size = static_cast<uint32_t>(input.size());
    test::GuardedBuffer<uint8_t> output(LZW_EncodeBound(size));
    size_t written = LZW_Encode(input.data(), size, output.Data(), output.Capacity());
    EXPECT_TRUE(output.GuardsIntact()) << "the encoder wrote outside its output";
    return Bytes(output.Data(), output.Data() + written);
}

// Codes packed least significant bit first, each (code, width), padded with zero bits.
Bytes PackCodes(const std::vector<std::pair<uint32_t, uint32_t>>& codes)
{
    Bytes packed;
    uint64_t bits = 0;
    uint32_t count = 0;
    for (auto [code, width] : codes) {
        bits |= uint64_t { code } << count;
        for (count += width; count >= 8; count -= 8, bits >>= 8)
            packed.push_back(static_cast<uint8_t>(bits));
    }
    if (count > 0)
        packed.push_back(static_cast<uint8_t>(bits));
    return packed;
}

// Every byte as a literal code, at the widths a reader expects, then the end code.
Bytes LiteralStream(size_t count)
{
    std::vector<std::pair<uint32_t, uint32_t>> codes;
    uint32_t width = 9, next = 257;
    for (size_t k = 0; k < count; ++k) {
        codes.push_back({ static_cast<uint32_t>(k * 31 % 256), width });
        if (k > 0 && ((++next + 1) >> width) != 0)
            ++width;
    }
    codes.push_back({ 256, width });
    return PackCodes(codes);
}

Bytes Text(const char* text)
{
    return Bytes(text, text + std::strlen(text));
}

TEST(LzwKnownAnswer, HandPackedStreams)
{
    struct Case {
        const char* what;
        Bytes stream;
        Bytes expected;
    };
    const Case cases[] = {
        { "end code only", { 0x00, 0x01 }, {} },
        { "one literal", { 0x41, 0x00, 0x02 }, Text("A") },
        { "entry used after its definition", { 0x41, 0x84, 0x04, 0x04, 0x08 }, Text("ABAB") },
        { "code equal to the next free code", { 0x41, 0x02, 0x02, 0x04 }, Text("AAA") },
        { "two such codes in a row", { 0x41, 0x02, 0x0A, 0x04, 0x08 }, Text("AAAAAA") },
    };
    for (const Case& c : cases) {
        Decoded d = Decode(c.stream, 64);
        EXPECT_TRUE(d.ok) << c.what;
        EXPECT_EQ(d.output, c.expected) << c.what;
        EXPECT_EQ(d.consumed, c.stream.size()) << c.what;
    }
}

TEST(LzwKnownAnswer, EndCodeFinishingInTheLastByteSucceeds)
{
    // Seven 9-bit literals and the end code: 72 bits, exactly nine bytes.
    const Bytes stream { 0x41, 0x84, 0x0C, 0x21, 0x52, 0xC4, 0xC8, 0x11, 0x80 };
    Decoded d = Decode(stream, 7);
    EXPECT_TRUE(d.ok);
    EXPECT_EQ(d.output, Text("ABCDEFG"));
    EXPECT_EQ(d.consumed, 9u);
}

TEST(LzwKnownAnswer, CodesWidenAfterEntry510IsDefined)
{
    // 255 nine-bit literals: the last of them defines entry 510, so the next code (510 itself,
    // the last two literals) and the end code are ten bits wide.
    std::vector<std::pair<uint32_t, uint32_t>> codes;
    Bytes expected;
    for (uint32_t k = 0; k < 255; ++k) {
        codes.push_back({ k, 9 });
        expected.push_back(static_cast<uint8_t>(k));
    }
    codes.push_back({ 510, 10 });
    codes.push_back({ 256, 10 });
    expected.push_back(253);
    expected.push_back(254);
    Decoded d = Decode(PackCodes(codes), 1000);
    EXPECT_TRUE(d.ok);
    EXPECT_EQ(d.output, expected);
}

TEST(LzwRefusal, TruncatedStreamFailsWhateverFollowsIt)
{
    // '41 00' holds code 65 and 7 bits of the end code. The bytes after it in memory are not
    // the decoder's: whether they would complete a code or not, the decode fails.
    for (uint8_t fill : { 0x00, 0xFF, 0x02 }) {
        Bytes memory(18, fill);
        memory[0] = 0x41;
        memory[1] = 0x00;
        uint8_t output[8] = {};
        LZW_Decoder* decoder = LZW_CreateDecoder(output, sizeof(output), memory.data(), 2);
        ASSERT_NE(decoder, nullptr);
        EXPECT_FALSE(LZW_Decode(decoder)) << "fill " << int { fill };
        EXPECT_EQ(LZW_BytesProduced(decoder), 1u);
        LZW_FreeDecoder(decoder);
    }
    EXPECT_FALSE(Decode({}, 8).ok) << "no bytes at all";
    EXPECT_FALSE(Decode({ 0x41 }, 8).ok) << "a code cut inside its first byte";
}

TEST(LzwRefusal, UndefinedCodesFail)
{
    EXPECT_FALSE(Decode(PackCodes({ { 257, 9 }, { 256, 9 } }), 8).ok) << "first code 257";
    EXPECT_FALSE(Decode(PackCodes({ { 300, 9 }, { 256, 9 } }), 8).ok) << "first code 300";
    EXPECT_FALSE(Decode(PackCodes({ { 65, 9 }, { 66, 9 }, { 259, 9 }, { 256, 9 } }), 8).ok)
        << "a code past the next free code";
}

TEST(LzwRefusal, OutputCapacityIsNeverPassed)
{
    Bytes input;
    for (int i = 0; i < 300; ++i)
        input.push_back(static_cast<uint8_t>(i % 7 == 0 ? 'A' : 'a' + i % 5));
    const Bytes stream = Encode(input);
    for (uint32_t capacity : { 0u, 1u, 150u, 299u }) {
        Decoded d = Decode(stream, capacity);
        EXPECT_FALSE(d.ok) << "capacity " << capacity;
        EXPECT_TRUE(std::equal(d.output.begin(), d.output.end(), input.begin()));
    }
    EXPECT_FALSE(Decode({ 0x41, 0x02, 0x02, 0x04 }, 2).ok) << "a run one byte too long";
    EXPECT_TRUE(Decode(stream, 300).ok);
}

TEST(LzwRefusal, DictionaryStopsAtCode65535)
{
    // 65280 literals define entries 257 to 65535: the table is full but intact. One literal
    // more would define entry 65536, past the table.
    Decoded full = Decode(LiteralStream(65280), 70000);
    EXPECT_TRUE(full.ok);
    EXPECT_EQ(full.output.size(), 65280u);
    Decoded over = Decode(LiteralStream(66000), 70000);
    EXPECT_FALSE(over.ok);
    EXPECT_EQ(over.output.size(), 65280u);
}

TEST(LzwRefusal, NullArgumentsFail)
{
    EXPECT_FALSE(LZW_Decode(nullptr));
    const uint8_t stream[] = { 0x41, 0x00, 0x02 };
    LZW_Decoder* decoder = LZW_CreateDecoder(nullptr, 10, stream, sizeof(stream));
    ASSERT_NE(decoder, nullptr);
    EXPECT_FALSE(LZW_Decode(decoder));
    LZW_FreeDecoder(decoder);
    LZW_FreeDecoder(nullptr);
}

// Inputs of the shapes a patch holds, built with a fixed seed.
std::vector<std::pair<std::string, Bytes>> SampleInputs()
{
    std::mt19937 random(20240611);
    std::vector<std::pair<std::string, Bytes>> inputs;
    inputs.push_back({ "empty", {} });
    inputs.push_back({ "one byte", { 0x7F } });
    Bytes all(256);
    for (int i = 0; i < 256; ++i)
        all[i] = static_cast<uint8_t>(i);
    inputs.push_back({ "every byte value", all });
    Bytes noise(BF_MAX_LZW_BLOCK);
    for (auto& b : noise)
        b = static_cast<uint8_t>(random());
    inputs.push_back({ "random bytes, largest block", noise });
    inputs.push_back({ "one long run", Bytes(BF_MAX_LZW_BLOCK, 0x20) });
    Bytes runs;
    while (runs.size() < 40000)
        runs.insert(runs.end(), random() % 200 + 1, static_cast<uint8_t>(random() % 4));
    inputs.push_back({ "short runs", runs });
    const char* words[] = { "the ", "archive ", "patch ", "of ", "a ", "game\r\n", "file, " };
    Bytes text;
    while (text.size() < 50000)
        for (const char* c = words[random() % 7]; *c; ++c)
            text.push_back(static_cast<uint8_t>(*c));
    inputs.push_back({ "text", text });
    return inputs;
}

TEST(LzwRoundTrip, EncodedBlocksDecodeToTheirInput)
{
    for (const auto& [what, input] : SampleInputs()) {
        Bytes stream = Encode(input);
        ASSERT_FALSE(stream.empty()) << what;
        EXPECT_LE(stream.size(), LZW_EncodeBound(static_cast<uint32_t>(input.size()))) << what;
        Decoded d = Decode(stream, static_cast<uint32_t>(input.size()));
        EXPECT_TRUE(d.ok) << what;
        EXPECT_EQ(d.output.size(), input.size()) << what;
        EXPECT_TRUE(d.output == input) << what;
        EXPECT_EQ(d.consumed, stream.size()) << what;
    }
}

TEST(LzwRoundTrip, EncoderRefusesWhatItCannotWrite)
{
    Bytes big(BF_MAX_LZW_BLOCK + 1, 1);
    Bytes out(LZW_EncodeBound(BF_MAX_LZW_BLOCK + 1));
    EXPECT_EQ(LZW_Encode(big.data(), BF_MAX_LZW_BLOCK + 1, out.data(), out.size()), 0u);
    EXPECT_EQ(LZW_Encode(big.data(), 100, out.data(), LZW_EncodeBound(100) - 1), 0u);
    EXPECT_EQ(LZW_Encode(nullptr, 100, out.data(), out.size()), 0u);
}

// Damaged streams (bits flipped, bytes cut, bytes replaced) into outputs of several sizes: the
// product decoder must agree with the reference in its result, its counts and every byte it
// produced.
TEST(LzwReference, DamagedStreamsDecodeAsTheReferenceDoes)
{
    std::mt19937 random(7);
    auto inputs = SampleInputs();
    for (int round = 0; round < 400; ++round) {
        const Bytes& input = inputs[random() % inputs.size()].second;
        size_t length = std::min<size_t>(input.size(), random() % 6000);
        Bytes stream = Encode(Bytes(input.begin(), input.begin() + length));
        int damage = random() % 4;
        if (damage == 1 && !stream.empty())
            stream[random() % stream.size()] ^= static_cast<uint8_t>(1u << random() % 8);
        if (damage == 2)
            stream.resize(random() % (stream.size() + 1));
        if (damage == 3 && !stream.empty())
            stream[random() % stream.size()] = static_cast<uint8_t>(random());
        auto capacity = static_cast<uint32_t>(std::max<int64_t>(0, length + random() % 40 - 20));

        Bytes expected(capacity, 0xEE);
        test::LzwReferenceResult reference = test::LzwReferenceDecode(
            stream.data(), static_cast<uint32_t>(stream.size()), expected.data(), capacity);
        Bytes actual(capacity, 0xEE);
        LZW_Decoder* decoder = LZW_CreateDecoder(
            actual.data(), capacity, stream.data(), static_cast<uint32_t>(stream.size()));
        ASSERT_NE(decoder, nullptr);
        EXPECT_EQ(LZW_Decode(decoder), reference.ok) << "round " << round;
        EXPECT_EQ(LZW_BytesProduced(decoder), reference.produced) << "round " << round;
        EXPECT_EQ(LZW_BytesConsumed(decoder), reference.consumed) << "round " << round;
        EXPECT_TRUE(
            std::equal(actual.begin(), actual.begin() + reference.produced, expected.begin()))
            << "round " << round;
        LZW_FreeDecoder(decoder);
    }
}

TEST(LzwModule, SharedDecoderIsLentToOneUserAtATime)
{
    const uint32_t option = 0;
    uint32_t depth = SYS_InitDepth();
    ASSERT_EQ(LZW_Init(&option), SYS_OK);
    ASSERT_EQ(LZW_Init(&option), SYS_OK);
    EXPECT_EQ(SYS_InitDepth(), depth + 1) << "only the first start starts the platform layer";
    uint8_t a[4], b[4];
    LZW_Decoder* first = LZW_CreateDecoder(a, 4, nullptr, 0);
    LZW_Decoder* second = LZW_CreateDecoder(b, 4, nullptr, 0);
    ASSERT_NE(first, nullptr);
    ASSERT_NE(second, nullptr);
    EXPECT_NE(first, second);
    LZW_FreeDecoder(second);
    LZW_FreeDecoder(first);
    LZW_Shutdown();
    LZW_Decoder* again = LZW_CreateDecoder(a, 4, nullptr, 0);
    EXPECT_EQ(again, first) << "the shared decoder is lent again after its release";
    LZW_FreeDecoder(again);
    LZW_Shutdown();
    EXPECT_EQ(SYS_InitDepth(), depth);
}

TEST(LzwModule, TwoThreadsDecodeAtOnce)
{
    const uint32_t option = 0;
    ASSERT_EQ(LZW_Init(&option), SYS_OK);
    auto inputs = SampleInputs();
    std::atomic<int> failures { 0 };
    auto worker = [&failures](const Bytes& input) {
        Bytes stream = Encode(input);
        Bytes output(input.size());
        for (int i = 0; i < 40; ++i) {
            std::fill(output.begin(), output.end(), 0);
            LZW_Decoder* decoder
                = LZW_CreateDecoder(output.data(), static_cast<uint32_t>(output.size()),
                    stream.data(), static_cast<uint32_t>(stream.size()));
            if (!decoder || !LZW_Decode(decoder) || output != input)
                ++failures;
            LZW_FreeDecoder(decoder);
        }
    };
    std::thread one(worker, inputs[4].second);
    std::thread two(worker, inputs[6].second);
    one.join();
    two.join();
    EXPECT_EQ(failures.load(), 0);
    LZW_Shutdown();
}

}
