// The LZW encoder: the writer's side of the block format that the decoder reads. At each step
// the longest string already in the dictionary is found through a hash table keyed by
// (prefix code, next byte), its code is emitted, and the string plus the next byte is defined.
#include "bigfile/lzw_context.h"

#include <cstring>

namespace {

using bigfile::detail::LZW_END_CODE;
using bigfile::detail::LZW_FIRST_FREE_CODE;
using bigfile::detail::LZW_FIRST_WIDTH;

// A block defines at most 65278 entries, so the table is never more than half full.
constexpr uint32_t HASH_BITS = 17;
constexpr uint32_t HASH_SIZE = 1u << HASH_BITS;
// The end code after a block of BF_MAX_LZW_BLOCK literals is the widest code: 17 bits.
constexpr size_t MAX_WIDTH = 17;

// Codes packed least significant bit first, flushed four bytes at a time. The caller has
// checked the output against the worst case, so every write lands inside it.
class BitWriter {
public:
    explicit BitWriter(uint8_t* output)
        : m_output(output)
    {
    }

    void Write(uint32_t code, uint32_t width)
    {
        m_bits |= uint64_t { code } << m_count;
        m_count += width;
        if (m_count >= 32) {
            SYS_StoreU32(m_output + m_written, static_cast<uint32_t>(m_bits));
            m_written += 4;
            m_bits >>= 32;
            m_count -= 32;
        }
    }

    // Writes the last bits padded with zeros to a whole byte; returns the bytes written.
    size_t Finish()
    {
        for (uint32_t i = 0; i < (m_count + 7) / 8; ++i)
            m_output[m_written++] = static_cast<uint8_t>(m_bits >> (8 * i));
        m_bits = 0;
        m_count = 0;
        return m_written;
    }

private:
    uint8_t* m_output;
    size_t m_written = 0;
    uint64_t m_bits = 0;
    uint32_t m_count = 0;
};

// The dictionary of one block: open addressing with linear probing. A key is
// (prefix << 8 | byte) + 1, so 0 marks a free slot.
class Dictionary {
public:
    bool Allocate()
    {
        m_memory = SYS_AllocArray<uint8_t>(
            HASH_SIZE * (sizeof(uint32_t) + sizeof(uint16_t)), "LZW encoder", SYS_TAG_LZW);
        if (!m_memory)
            return false;
        m_keys = reinterpret_cast<uint32_t*>(m_memory.get());
        m_codes = reinterpret_cast<uint16_t*>(m_memory.get() + HASH_SIZE * sizeof(uint32_t));
        std::memset(m_keys, 0, HASH_SIZE * sizeof(uint32_t));
        return true;
    }

    // The slot holding key, or the free slot where it belongs.
    uint32_t Find(uint32_t key) const
    {
        uint32_t slot = (key * 0x9E3779B1u) >> (32 - HASH_BITS);
        while (m_keys[slot] != 0 && m_keys[slot] != key)
            slot = (slot + 1) & (HASH_SIZE - 1);
        return slot;
    }
    bool Holds(uint32_t slot, uint32_t key) const { return m_keys[slot] == key; }
    uint32_t Code(uint32_t slot) const { return m_codes[slot]; }
    void Define(uint32_t slot, uint32_t key, uint32_t code)
    {
        m_keys[slot] = key;
        m_codes[slot] = static_cast<uint16_t>(code);
    }

private:
    SYS_Block<uint8_t[]> m_memory;
    uint32_t* m_keys = nullptr;
    uint16_t* m_codes = nullptr;
};

// The data codes of a non-empty block; returns the width of the code that follows them. After
// the last code no entry is defined (there is no next byte), but the next free code still
// advances, because the reader defines one entry for that code and widens with it.
uint32_t EncodeCodes(const uint8_t* input, uint32_t size, Dictionary& dictionary, BitWriter& writer)
{
    uint32_t width = LZW_FIRST_WIDTH;
    uint32_t next = LZW_FIRST_FREE_CODE;
    uint32_t prefix = input[0];
    for (uint32_t i = 1; i < size; ++i) {
        uint32_t key = ((prefix << 8) | input[i]) + 1;
        uint32_t slot = dictionary.Find(key);
        if (dictionary.Holds(slot, key)) {
            prefix = dictionary.Code(slot);
            continue;
        }
        writer.Write(prefix, width);
        dictionary.Define(slot, key, next);
        if (++next == 1u << width)
            ++width;
        prefix = input[i];
    }
    writer.Write(prefix, width);
    if (++next == 1u << width)
        ++width;
    return width;
}

}

size_t LZW_EncodeBound(uint32_t size)
{
    // Every byte as a code of its own, then the end code, all at the widest width.
    return ((size_t { size } + 1) * MAX_WIDTH + 7) / 8;
}

size_t LZW_Encode(const uint8_t* input, uint32_t size, uint8_t* output, size_t capacity)
{
    if (size > BF_MAX_LZW_BLOCK || !output || capacity < LZW_EncodeBound(size)
        || (!input && size > 0))
        return 0;
    BitWriter writer(output);
    uint32_t width = LZW_FIRST_WIDTH;
    if (size > 0) {
        Dictionary dictionary;
        if (!dictionary.Allocate())
            return 0;
        width = EncodeCodes(input, size, dictionary, writer);
    }
    writer.Write(LZW_END_CODE, width);
    return writer.Finish();
}
