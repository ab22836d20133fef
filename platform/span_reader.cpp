// The bounds-checked reader over a span of untrusted bytes that every parser of stored formats
// takes its fields from. Every check compares the count with what remains, so no sum or
// difference of sizes can wrap around.
#include "platform/platform.h"

namespace {

uint8_t LoadU8(const uint8_t* at)
{
    return at[0];
}

// Takes the bytes of one field and loads it; value is left alone when they are not all there.
template <typename Value, Value (*Load)(const uint8_t*)>
bool TakeField(SYS_SpanReader& reader, Value& value)
{
    const uint8_t* bytes = reader.Take(sizeof(Value));
    if (bytes != nullptr)
        value = Load(bytes);
    return bytes != nullptr;
}

}

bool SYS_SpanReader::Seek(uint64_t position)
{
    if (position > m_size)
        return false;
    m_position = static_cast<size_t>(position);
    return true;
}

bool SYS_SpanReader::Skip(uint64_t count)
{
    if (count > Remaining())
        return false;
    m_position += static_cast<size_t>(count);
    return true;
}

const uint8_t* SYS_SpanReader::Take(uint64_t count)
{
    const size_t start = m_position;
    return Skip(count) ? m_data + start : nullptr;
}

bool SYS_SpanReader::U8(uint8_t& value)
{
    return TakeField<uint8_t, LoadU8>(*this, value);
}

bool SYS_SpanReader::U16(uint16_t& value)
{
    return TakeField<uint16_t, SYS_LoadU16>(*this, value);
}

bool SYS_SpanReader::U32(uint32_t& value)
{
    return TakeField<uint32_t, SYS_LoadU32>(*this, value);
}

bool SYS_SpanReader::U64(uint64_t& value)
{
    return TakeField<uint64_t, SYS_LoadU64>(*this, value);
}

bool SYS_SpanReader::I32(int32_t& value)
{
    uint32_t bits = 0;
    if (!U32(bits))
        return false;
    value = static_cast<int32_t>(bits);
    return true;
}
