// c_GUIB_Text: a wide string shared by reference, as window hints are.
#include "guib/guib.h"

#include <cstring>

namespace {

uint32_t LengthOf(const char16_t* text)
{
    uint32_t n = 0;
    while (text[n] != 0)
        ++n;
    return n;
}

} // namespace

c_GUIB_Text::c_GUIB_Text(const char16_t* text)
{
    Take(text);
}

c_GUIB_Text::c_GUIB_Text(const char* text)
{
    if (text == nullptr)
        return;
    size_t n = std::strlen(text);
    m_text = new char16_t[n + 1];
    for (size_t i = 0; i <= n; ++i)
        m_text[i] = static_cast<unsigned char>(text[i]);
}

c_GUIB_Text::~c_GUIB_Text()
{
    delete[] m_text;
}

void c_GUIB_Text::Take(const char16_t* text)
{
    char16_t* copy = nullptr;
    if (text != nullptr) {
        uint32_t n = LengthOf(text);
        copy = new char16_t[n + 1];
        std::memcpy(copy, text, (n + 1) * sizeof(char16_t));
    }
    delete[] m_text;
    m_text = copy;
}

c_GUIB_Text& c_GUIB_Text::operator=(const c_GUIB_Text& other)
{
    if (this != &other)
        Take(other.m_text);
    return *this;
}

uint32_t c_GUIB_Text::AddRef()
{
    return ++m_refCount;
}

uint32_t c_GUIB_Text::Release()
{
    uint32_t count = --m_refCount;
    if (count == 0)
        delete this;
    return count;
}

uint32_t c_GUIB_Text::Length() const
{
    return m_text != nullptr ? LengthOf(m_text) : 0;
}
