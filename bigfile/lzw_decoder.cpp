// The LZW decode loop. Codes come least significant bit first from a 64-bit bit buffer that is
// refilled a word at a time; each dictionary string is an earlier stretch of the output and is
// copied from there in wide words. Only the input's own bytes are ever read, and nothing is
// written outside the output capacity.
#include "bigfile/lzw_context.h"

#include <array>
#include <bit>
#include <cassert>
#include <cstring>

namespace {

using bigfile::detail::LZW_END_CODE;
using bigfile::detail::LZW_FIRST_FREE_CODE;
using bigfile::detail::LZW_FIRST_WIDTH;
using bigfile::detail::LZW_TABLE_SIZE;
using bigfile::detail::LzwEntry;
using bigfile::detail::LzwTrace;

static_assert(std::endian::native == std::endian::little,
    "the bit reader and the string copy load little-endian words");

// Codes of up to 17 bits from the input, least significant bit first. A code needing bits past
// the input's last byte is not delivered: the caller gives no spare bytes after its input, and a
// truncated stream must fail rather than decode whatever lies beyond it.
class BitReader {
public:
    BitReader(const uint8_t* data, uint32_t size)
        : m_data(data)
        , m_size(size)
    {
    }

    [[gnu::always_inline]] bool Read(uint32_t width, uint32_t mask, uint32_t& code)
    {
        if (m_count < width) [[unlikely]] {
            Refill();
            if (m_count < width)
                return false;
        }
        code = static_cast<uint32_t>(m_bits) & mask;
        m_bits >>= width;
        m_count -= width;
        return true;
    }

    // Whole bytes taken, a partly used last byte included.
    uint32_t BytesConsumed() const
    {
        uint64_t bits = uint64_t { m_position } * 8 - m_count;
        return static_cast<uint32_t>((bits + 7) / 8);
    }

private:
    // Tops the buffer up to at least 56 bits, or to whatever the input still holds. Bits above
    // m_count are either zero or the input's next bits, so OR-ing bytes in again is harmless.
    [[gnu::always_inline]] void Refill()
    {
        if (m_size - m_position >= 8) {
            uint64_t word;
            std::memcpy(&word, m_data + m_position, 8);
            m_bits |= word << m_count;
            m_position += (63 - m_count) >> 3;
            m_count |= 56;
            return;
        }
        while (m_count <= 56 && m_position < m_size) {
            m_bits |= uint64_t { m_data[m_position++] } << m_count;
            m_count += 8;
        }
    }

    const uint8_t* m_data;
    uint32_t m_size;
    uint32_t m_position = 0; // next byte to load
    uint32_t m_count = 0; // valid bits in m_bits
    uint64_t m_bits = 0;
};

constexpr std::array<uint8_t, 256 + 32> MakeLiterals()
{
    std::array<uint8_t, 256 + 32> bytes {};
    for (int i = 0; i < 256; ++i)
        bytes[i] = static_cast<uint8_t>(i);
    return bytes;
}

// The source of literal codes: byte c at index c. The 32 bytes after the last one let the wide
// copy below read a whole word from any of them.
alignas(16) constexpr std::array<uint8_t, 256 + 32> LITERALS = MakeLiterals();

// One 16-byte word. It goes through a local so that the two ranges may overlap: a string's
// source can end right where its copy begins.
[[gnu::always_inline]] inline void CopyWord(uint8_t* destination, const uint8_t* source)
{
    uint8_t word[16];
    std::memcpy(word, source, 16);
    std::memcpy(destination, word, 16);
}

// Copies a string that ends at or before its destination (an earlier string of the output) or
// lies outside the output's room altogether (a literal, wherever the program's data sits in
// relation to the output buffer). With 32 bytes of room past the string it copies whole words
// and may change up to 31 bytes after the string, which later strings overwrite; without, it
// touches nothing past the string. Returns false when the string does not fit in room.
[[gnu::always_inline]] inline bool PutString(
    uint8_t* destination, const uint8_t* source, uint32_t length, uint32_t room)
{
    assert((source + length <= destination || source >= destination + room)
        && "a string never overlaps its copy");
    if (length + 32 <= room) [[likely]] {
        CopyWord(destination, source);
        CopyWord(destination + 16, source + 16);
        for (uint32_t done = 32; done < length; done += 16)
            CopyWord(destination + done, source + done);
        return true;
    }
    if (length > room)
        return false;
    for (uint32_t i = 0; i < length; ++i)
        destination[i] = source[i];
    return true;
}

// The bytes of a code below next: a literal's from LITERALS, an entry's from the output. The
// choice is made with arithmetic rather than a branch: whether a code is a literal follows no
// pattern the processor could predict, and a branch here costs a third of the decoder's speed.
[[gnu::always_inline]] inline const uint8_t* SourceOf(uint32_t code, const uint8_t* entryBytes)
{
    auto literalMask = uintptr_t { 0 } - static_cast<uintptr_t>(code <= 0xFF);
    auto literal = reinterpret_cast<uintptr_t>(LITERALS.data()) + (code & 0xFF);
    auto entry = reinterpret_cast<uintptr_t>(entryBytes);
    return reinterpret_cast<const uint8_t*>(entry ^ ((literal ^ entry) & literalMask));
}

struct DecodeResult {
    bool ok;
    uint32_t produced;
    uint32_t consumed;
};

DecodeResult Refuse(const char* reason, uint32_t produced, const BitReader& reader)
{
    LzwTrace(reason);
    return { false, produced, reader.BytesConsumed() };
}

const char READ_PAST_INPUT[] = "LZW code runs past the end of the compressed block";
const char OUTPUT_FULL[] = "LZW string runs past the output capacity";
const char UNDEFINED_CODE[] = "LZW code names an entry not yet defined";
const char TABLE_FULL[] = "LZW stream defines an entry beyond code 65535";

// The whole block. The first code defines nothing; every later one defines the previous string
// plus the first byte of its own, and the code width grows when the next free code plus one
// reaches 2^width (the reader runs one definition behind the writer). All state lives in
// locals: the output's bytes may alias anything, so state in memory would be reloaded after
// every store.
DecodeResult DecodeBlock(LZW_Decoder& decoder)
{
    BitReader reader(decoder.input, decoder.inputSize);
    uint8_t* const out = decoder.output;
    const uint32_t capacity = decoder.capacity;
    LzwEntry* const table = decoder.table;
    for (uint32_t i = 0; i <= 0xFF; ++i)
        table[i] = { 0, 1 }; // literals: one byte, taken from LITERALS
    uint32_t width = LZW_FIRST_WIDTH;
    uint32_t mask = (1u << width) - 1;
    uint32_t next = LZW_FIRST_FREE_CODE;
    uint32_t code = 0;

    if (!reader.Read(width, mask, code))
        return Refuse(READ_PAST_INPUT, 0, reader);
    if (code == LZW_END_CODE)
        return { true, 0, reader.BytesConsumed() };
    if (code > 0xFF)
        return Refuse(UNDEFINED_CODE, 0, reader);
    if (capacity == 0)
        return Refuse(OUTPUT_FULL, 0, reader);
    out[0] = static_cast<uint8_t>(code);
    uint32_t previousStart = 0, previousLength = 1, position = 1;

    for (;;) {
        if (!reader.Read(width, mask, code)) [[unlikely]]
            return Refuse(READ_PAST_INPUT, position, reader);
        if (code == LZW_END_CODE) [[unlikely]]
            return { true, position, reader.BytesConsumed() };
        const uint32_t room = capacity - position;
        uint32_t length;
        if (code < next) {
            const LzwEntry entry = table[code];
            length = entry.length;
            const uint8_t* source = SourceOf(code, out + entry.start);
            if (!PutString(out + position, source, length, room)) [[unlikely]]
                return Refuse(OUTPUT_FULL, position, reader);
        } else if (code == next) {
            // The entry this very code defines: the previous string plus its own first byte.
            length = previousLength + 1;
            if (length > room) [[unlikely]]
                return Refuse(OUTPUT_FULL, position, reader);
            (void)PutString(out + position, out + previousStart, previousLength, room);
            out[position + previousLength] = out[previousStart];
        } else {
            return Refuse(UNDEFINED_CODE, position, reader);
        }
        if (next == LZW_TABLE_SIZE) [[unlikely]]
            return Refuse(TABLE_FULL, position, reader);
        table[next] = { previousStart, previousLength + 1 };
        if (++next == mask) {
            ++width;
            mask = mask * 2 + 1;
        }
        previousStart = position;
        previousLength = length;
        position += length;
    }
}

}

bool LZW_Decode(LZW_Decoder* decoder)
{
    if (!decoder)
        return false;
    decoder->bytesProduced = 0;
    decoder->bytesConsumed = 0;
    if ((!decoder->input && decoder->inputSize > 0)
        || (!decoder->output && decoder->capacity > 0)) {
        LzwTrace("LZW decoder given a null buffer");
        return false;
    }
    DecodeResult result = DecodeBlock(*decoder);
    decoder->bytesProduced = result.produced;
    decoder->bytesConsumed = result.consumed;
    return result.ok;
}
