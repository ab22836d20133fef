// A plain LZW block decoder, one bit and one byte at a time, written for clarity rather than
// speed. Tests and the fuzz target compare the product decoder with it: the success flag, the
// counts and every byte produced must agree, on damaged streams as on sound ones.
#pragma once

#include <cstdint>
#include <utility>
#include <vector>

namespace test {

struct LzwReferenceResult {
    bool ok;
    uint32_t produced; // output position reached (before a failing code)
    uint32_t consumed; // bytes holding the codes read, a partly used byte included
};

class LzwReferenceDecoder {
public:
    LzwReferenceDecoder(const uint8_t* input, uint32_t size, uint8_t* output, uint32_t capacity)
        : m_input(input)
        , m_size(size)
        , m_output(output)
        , m_capacity(capacity)
        , m_table(65536)
    {
    }

    LzwReferenceResult Run()
    {
        uint32_t previousStart = 0, previousLength = 0, previousCode = 0, length = 0;
        for (;;) {
            uint32_t code = 0;
            if (!ReadCode(code))
                return Result(false);
            if (code == 256)
                return Result(true);
            bool ok;
            if (code == m_next) {
                ok = Write(previousCode, length) && Define(previousStart, previousLength + 1)
                    && Write(code, length);
            } else {
                ok = Write(code, length) && Define(previousStart, previousLength + 1);
            }
            if (!ok)
                return Result(false);
            previousStart = m_position;
            previousCode = code;
            previousLength = length;
            m_position += length;
        }
    }

private:
    bool ReadCode(uint32_t& code)
    {
        if (m_bit + m_width > uint64_t { m_size } * 8)
            return false;
        code = 0;
        for (uint32_t i = 0; i < m_width; ++i, ++m_bit)
            code |= uint32_t((m_input[m_bit / 8] >> (m_bit % 8)) & 1) << i;
        return true;
    }

    bool Write(uint32_t code, uint32_t& length)
    {
        if (code >= m_next)
            return false;
        if (code < 256) {
            if (m_position >= m_capacity)
                return false;
            m_output[m_position] = static_cast<uint8_t>(code);
            length = 1;
            return true;
        }
        auto [start, entryLength] = m_table[code];
        if (uint64_t { m_position } + entryLength > m_capacity)
            return false;
        for (uint32_t i = 0; i < entryLength; ++i)
            m_output[m_position + i] = m_output[start + i];
        length = entryLength;
        return true;
    }

    bool Define(uint32_t start, uint32_t length)
    {
        if (start >= m_capacity)
            return false;
        if (length == 1)
            return true;
        if (uint64_t { start } + length > m_capacity)
            length = m_capacity - start;
        if (m_next == 65536)
            return false;
        m_table[m_next++] = { start, length };
        if ((m_next + 1) >> m_width)
            ++m_width;
        return true;
    }

    LzwReferenceResult Result(bool ok) const
    {
        return { ok, m_position, static_cast<uint32_t>((m_bit + 7) / 8) };
    }

    const uint8_t* m_input;
    uint32_t m_size;
    uint8_t* m_output;
    uint32_t m_capacity;
    std::vector<std::pair<uint32_t, uint32_t>> m_table;
    uint64_t m_bit = 0;
    uint32_t m_width = 9;
    uint32_t m_next = 257;
    uint32_t m_position = 0;
};

inline LzwReferenceResult LzwReferenceDecode(
    const uint8_t* input, uint32_t size, uint8_t* output, uint32_t capacity)
{
    return LzwReferenceDecoder(input, size, output, capacity).Run();
}

}
