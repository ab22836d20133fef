// Module-internal helpers shared by the 8-bit and wide text routines: the bounded writes that
// give every copy and format routine the snprintf rule (never past the capacity, always
// terminated, the full length returned), and the path separator search.
#pragma once

#include <cstddef>

namespace platform::detail {

// Number of characters before the terminator; 0 for null.
template <typename Char> size_t TextLength(const Char* text)
{
    size_t length = 0;
    if (text)
        while (text[length] != 0)
            ++length;
    return length;
}

// Writes map(source[i]) for the first count characters of source, as many as fit, and the
// terminator. Returns count, the length the complete copy needs. A null destination writes
// nothing and returns 0.
template <typename Out, typename In, typename Map>
size_t CopyMapped(Out* destination, size_t capacity, const In* source, size_t count, Map map)
{
    if (!destination)
        return 0;
    if (capacity == 0)
        return count;
    size_t fitting = count < capacity - 1 ? count : capacity - 1;
    for (size_t i = 0; i < fitting; ++i)
        destination[i] = map(source[i]);
    destination[fitting] = 0;
    return count;
}

// The plain copy: every character as it is.
template <typename Char>
size_t CopyText(Char* destination, size_t capacity, const Char* source, size_t count)
{
    return CopyMapped(destination, capacity, source, count, [](Char c) { return c; });
}

// Appends characters one at a time into a bounded destination while counting the length the
// whole text needs. Finish() terminates and returns that length.
template <typename Char> class BoundedWriter {
public:
    BoundedWriter(Char* destination, size_t capacity)
        : m_destination(destination)
        , m_capacity(destination ? capacity : 0)
    {
    }
    void Put(Char c)
    {
        if (m_length + 1 < m_capacity)
            m_destination[m_length] = c;
        ++m_length;
    }
    void Repeat(Char c, size_t count)
    {
        for (size_t i = 0; i < count; ++i)
            Put(c);
    }
    size_t Length() const { return m_length; }
    size_t Finish()
    {
        if (m_capacity > 0)
            m_destination[m_length < m_capacity ? m_length : m_capacity - 1] = 0;
        return m_length;
    }

private:
    Char* m_destination;
    size_t m_capacity;
    size_t m_length = 0;
};

// The index just after the last "\\" or "/" of path (0 when there is none); path is not null.
template <typename Char> size_t FileNameStart(const Char* path)
{
    size_t start = 0;
    for (size_t i = 0; path[i] != 0; ++i)
        if (path[i] == '\\' || path[i] == '/')
            start = i + 1;
    return start;
}

// The folder part of path, separator included; the whole path when it has no separator.
template <typename Char> size_t CopyPathDir(Char* destination, size_t capacity, const Char* path)
{
    if (!path)
        return CopyText<Char>(destination, capacity, nullptr, 0);
    size_t end = FileNameStart(path);
    return CopyText(destination, capacity, path, end != 0 ? end : TextLength(path));
}

// What follows the last separator of path (the whole path when it has none).
template <typename Char>
size_t CopyPathFileName(Char* destination, size_t capacity, const Char* path)
{
    if (!path)
        return CopyText<Char>(destination, capacity, nullptr, 0);
    const Char* name = path + FileNameStart(path);
    return CopyText(destination, capacity, name, TextLength(name));
}

// 0 equal, 1 first greater, 2 first smaller, comparing characters as Unit; null reads as "".
template <typename Unit, typename Char> unsigned CompareText(const Char* first, const Char* second)
{
    static const Char empty[1] = { 0 };
    const Char* a = first ? first : empty;
    const Char* b = second ? second : empty;
    while (*a == *b && *a != 0) {
        ++a;
        ++b;
    }
    if (*a == *b)
        return 0;
    return static_cast<Unit>(*a) > static_cast<Unit>(*b) ? 1 : 2;
}

}
