// printf-style formatting of wide text. The C library has no char16_t printf, so this file
// reads the directives itself: text arguments are copied unit by unit, numbers are formatted
// by snprintf into a narrow buffer and widened, and padding is applied here.
#include "platform/bounded_text.h"
#include "platform/platform.h"

#include <climits>
#include <cmath>
#include <cstdio>
#include <type_traits>

namespace {

using Writer = platform::detail::BoundedWriter<char16_t>;

enum Flag : unsigned { LEFT = 1, PLUS = 2, SPACE = 4, ALTERNATE = 8, ZERO = 16 };
enum class Length { NONE, CHAR, SHORT, LONG, LONG_LONG, SIZE, MAX, PTRDIFF };
constexpr size_t NO_ZEROS = SIZE_MAX;

// One directive between "%" and its conversion character.
struct Directive {
    unsigned flags = 0;
    size_t width = 0;
    int precision = -1; // -1: none given
    Length length = Length::NONE;
    char16_t conversion = 0;
};

// va_list is an array type on some targets; wrapped in a struct it passes by reference safely.
struct Arguments {
    va_list list;
};

unsigned FlagOf(char16_t c)
{
    switch (c) {
    case u'-':
        return LEFT;
    case u'+':
        return PLUS;
    case u' ':
        return SPACE;
    case u'#':
        return ALTERNATE;
    case u'0':
        return ZERO;
    default:
        return 0;
    }
}

// Reads decimal digits; false when the number does not fit an int.
bool ReadCount(const char16_t*& c, int& number)
{
    number = 0;
    for (; *c >= u'0' && *c <= u'9'; ++c) {
        int digit = *c - u'0';
        if (number > (INT_MAX - digit) / 10)
            return false;
        number = number * 10 + digit;
    }
    return true;
}

// A width or precision: digits, or "*" taken from the arguments.
bool ReadCountOrStar(const char16_t*& c, Arguments& args, int& number)
{
    if (*c != u'*')
        return ReadCount(c, number);
    ++c;
    number = va_arg(args.list, int);
    return true;
}

// A length modifier; doubled "hh" and "ll" are one modifier each.
Length ReadLength(const char16_t*& c)
{
    Length length = Length::NONE;
    switch (*c) {
    case u'h':
        length = c[1] == u'h' ? Length::CHAR : Length::SHORT;
        break;
    case u'l':
        length = c[1] == u'l' ? Length::LONG_LONG : Length::LONG;
        break;
    case u'z':
        length = Length::SIZE;
        break;
    case u'j':
        length = Length::MAX;
        break;
    case u't':
        length = Length::PTRDIFF;
        break;
    default:
        return Length::NONE;
    }
    c += (length == Length::CHAR || length == Length::LONG_LONG) ? 2 : 1;
    return length;
}

// Reads flags, width, precision and length after a "%"; c is left on the conversion character.
bool ReadDirective(const char16_t*& c, Arguments& args, Directive& d)
{
    for (; FlagOf(*c) != 0; ++c)
        d.flags |= FlagOf(*c);
    int width = 0;
    if (!ReadCountOrStar(c, args, width) || width == INT_MIN)
        return false;
    if (width < 0) // a negative "*" width means left alignment
        d.flags |= LEFT;
    d.width = static_cast<size_t>(width < 0 ? -width : width);
    if (*c == u'.') {
        ++c;
        if (!ReadCountOrStar(c, args, d.precision))
            return false;
        if (d.precision < 0)
            d.precision = -1; // a negative "*" precision counts as none
    }
    d.length = ReadLength(c);
    d.conversion = *c;
    return true;
}

char16_t Widen(char c)
{
    return static_cast<char16_t>(static_cast<unsigned char>(c));
}

char16_t Widen(char16_t c)
{
    return c;
}

// Puts count units of text padded to the directive's width: spaces before or after, or zeros
// at zeroAt (after a sign or a "0x" prefix) when that is not NO_ZEROS.
template <typename Char>
void PutPadded(Writer& out, const Directive& d, const Char* text, size_t count, size_t zeroAt)
{
    size_t padding = d.width > count ? d.width - count : 0;
    bool zeros = zeroAt != NO_ZEROS;
    size_t split = zeros ? zeroAt : 0;
    if (!zeros && !(d.flags & LEFT))
        out.Repeat(u' ', padding);
    for (size_t i = 0; i < split; ++i)
        out.Put(Widen(text[i]));
    if (zeros)
        out.Repeat(u'0', padding);
    for (size_t i = split; i < count; ++i)
        out.Put(Widen(text[i]));
    if (d.flags & LEFT)
        out.Repeat(u' ', padding);
}

// A text argument, cut at the precision; the terminator is never looked for beyond it.
template <typename Char> void PutText(Writer& out, const Directive& d, const Char* text)
{
    size_t limit = d.precision < 0 ? SIZE_MAX : static_cast<size_t>(d.precision);
    size_t count = 0;
    while (count < limit && text[count] != 0)
        ++count;
    PutPadded(out, d, text, count, NO_ZEROS);
}

void PutString(Writer& out, const Directive& d, Arguments& args)
{
    if (d.length == Length::SHORT) {
        const char* text = va_arg(args.list, const char*);
        PutText(out, d, text ? text : "(null)");
    } else {
        const char16_t* text = va_arg(args.list, const char16_t*);
        PutText(out, d, text ? text : u"(null)");
    }
}

void PutUnit(Writer& out, const Directive& d, Arguments& args)
{
    int value = va_arg(args.list, int);
    char16_t unit = d.length == Length::SHORT ? Widen(static_cast<char>(value))
                                              : static_cast<char16_t>(value);
    PutPadded(out, d, &unit, 1, NO_ZEROS);
}

// The narrow text of one number: in a small buffer, or in a block when a large precision asks
// for more.
class NumberText {
public:
    template <typename T> bool Print(const char* cFormat, T value)
    {
        int length = std::snprintf(m_small, sizeof m_small, cFormat, value);
        if (length < 0)
            return false;
        m_length = static_cast<size_t>(length);
        if (m_length < sizeof m_small)
            return true;
        m_block = SYS_AllocArray<char>(m_length + 1, "format number", 0);
        if (!m_block)
            return false;
        std::snprintf(m_block.get(), m_length + 1, cFormat, value);
        return true;
    }
    const char* Text() const { return m_block ? m_block.get() : m_small; }
    size_t Length() const { return m_length; }

private:
    char m_small[64];
    SYS_Block<char[]> m_block;
    size_t m_length = 0;
};

// The snprintf directive for d with the given length modifier and conversion (no width: the
// padding is done by PutPadded).
void BuildCFormat(
    char* cFormat, size_t size, const Directive& d, const char* length, char conversion)
{
    char precision[16] = "";
    if (d.precision >= 0)
        std::snprintf(precision, sizeof precision, ".%d", d.precision);
    std::snprintf(cFormat, size, "%%%s%s%s%s%s%c", (d.flags & PLUS) ? "+" : "",
        (d.flags & SPACE) ? " " : "", (d.flags & ALTERNATE) ? "#" : "", precision, length,
        conversion);
}

// Where zero padding goes in a formatted number: after its sign and a "0x" prefix.
size_t ZeroPosition(const Directive& d, const char* text, bool zerosAllowed)
{
    if (!(d.flags & ZERO) || (d.flags & LEFT) || !zerosAllowed)
        return NO_ZEROS;
    size_t at = (text[0] == '-' || text[0] == '+' || text[0] == ' ') ? 1 : 0;
    if (text[at] == '0' && (text[at + 1] == 'x' || text[at + 1] == 'X'))
        at += 2;
    return at;
}

template <typename T>
bool PutNumber(Writer& out, const Directive& d, const char* cFormat, T value, bool zerosAllowed)
{
    NumberText text;
    if (!text.Print(cFormat, value))
        return false;
    PutPadded(out, d, text.Text(), text.Length(), ZeroPosition(d, text.Text(), zerosAllowed));
    return true;
}

long long TakeSigned(Arguments& args, Length length)
{
    switch (length) {
    case Length::CHAR:
        return static_cast<signed char>(va_arg(args.list, int));
    case Length::SHORT:
        return static_cast<short>(va_arg(args.list, int));
    case Length::LONG:
        return va_arg(args.list, long);
    case Length::LONG_LONG:
        return va_arg(args.list, long long);
    case Length::SIZE:
        return va_arg(args.list, std::make_signed_t<size_t>);
    case Length::MAX:
        return va_arg(args.list, intmax_t);
    case Length::PTRDIFF:
        return va_arg(args.list, ptrdiff_t);
    default:
        return va_arg(args.list, int);
    }
}

unsigned long long TakeUnsigned(Arguments& args, Length length)
{
    switch (length) {
    case Length::CHAR:
        return static_cast<unsigned char>(va_arg(args.list, unsigned));
    case Length::SHORT:
        return static_cast<unsigned short>(va_arg(args.list, unsigned));
    case Length::LONG:
        return va_arg(args.list, unsigned long);
    case Length::LONG_LONG:
        return va_arg(args.list, unsigned long long);
    case Length::SIZE:
        return va_arg(args.list, size_t);
    case Length::MAX:
        return va_arg(args.list, uintmax_t);
    case Length::PTRDIFF:
        return va_arg(args.list, std::make_unsigned_t<ptrdiff_t>);
    default:
        return va_arg(args.list, unsigned);
    }
}

bool PutInteger(Writer& out, const Directive& d, Arguments& args)
{
    char cFormat[40];
    bool isSigned = d.conversion == u'd' || d.conversion == u'i';
    BuildCFormat(
        cFormat, sizeof cFormat, d, "ll", isSigned ? 'd' : static_cast<char>(d.conversion));
    // A precision turns the zero flag off for integers, as in C.
    bool zeros = d.precision < 0;
    if (isSigned)
        return PutNumber(out, d, cFormat, TakeSigned(args, d.length), zeros);
    return PutNumber(out, d, cFormat, TakeUnsigned(args, d.length), zeros);
}

bool PutFloat(Writer& out, const Directive& d, Arguments& args)
{
    char cFormat[40];
    BuildCFormat(cFormat, sizeof cFormat, d, "", static_cast<char>(d.conversion));
    double value = va_arg(args.list, double);
    return PutNumber(out, d, cFormat, value, std::isfinite(value));
}

// Pointers print the same on every system: "0x" and every hexadecimal digit of the address.
bool PutPointer(Writer& out, const Directive& d, Arguments& args)
{
    char cFormat[16];
    std::snprintf(cFormat, sizeof cFormat, "0x%%0%dllx", static_cast<int>(2 * sizeof(void*)));
    auto address = reinterpret_cast<uintptr_t>(va_arg(args.list, void*));
    return PutNumber(out, d, cFormat, static_cast<unsigned long long>(address), false);
}

// Whether the length modifier belongs with the conversion: "h" (8-bit) and "l" (wide) for text,
// "l" alone for floating point, none for pointers and "%". A wrong one would read an argument
// of the wrong type, so it makes the directive malformed.
bool LengthFits(const Directive& d)
{
    switch (d.conversion) {
    case u'c':
    case u's':
        return d.length == Length::NONE || d.length == Length::SHORT || d.length == Length::LONG;
    case u'f':
    case u'F':
    case u'e':
    case u'E':
    case u'g':
    case u'G':
        return d.length == Length::NONE || d.length == Length::LONG;
    case u'p':
    case u'%':
        return d.length == Length::NONE;
    default:
        return true;
    }
}

bool PutDirective(Writer& out, const Directive& d, Arguments& args)
{
    if (!LengthFits(d))
        return false;
    switch (d.conversion) {
    case u'%':
        out.Put(u'%');
        return true;
    case u'c':
        PutUnit(out, d, args);
        return true;
    case u's':
        PutString(out, d, args);
        return true;
    case u'd':
    case u'i':
    case u'u':
    case u'o':
    case u'x':
    case u'X':
        return PutInteger(out, d, args);
    case u'f':
    case u'F':
    case u'e':
    case u'E':
    case u'g':
    case u'G':
        return PutFloat(out, d, args);
    case u'p':
        return PutPointer(out, d, args);
    default:
        return false; // unknown conversion, or the format ended inside a directive
    }
}

bool PutFormatted(Writer& out, const char16_t* format, Arguments& args)
{
    for (const char16_t* c = format; *c != 0; ++c) {
        if (*c != u'%') {
            out.Put(*c);
            continue;
        }
        ++c;
        Directive d;
        if (!ReadDirective(c, args, d) || !PutDirective(out, d, args))
            return false;
    }
    return true;
}

}

int SYS_WFormat(char16_t* destination, size_t capacity, const char16_t* format, ...)
{
    va_list arguments;
    va_start(arguments, format);
    int length = SYS_WFormatV(destination, capacity, format, arguments);
    va_end(arguments);
    return length;
}

int SYS_WFormatV(char16_t* destination, size_t capacity, const char16_t* format, va_list arguments)
{
    if (!destination)
        return 0;
    Arguments args;
    va_copy(args.list, arguments);
    Writer out(destination, capacity);
    bool formatted = PutFormatted(out, format ? format : u"", args);
    va_end(args.list);
    size_t length = out.Finish();
    if (formatted && length <= INT_MAX)
        return static_cast<int>(length);
    // A malformed directive leaves an empty text rather than a half-formatted one.
    if (capacity > 0)
        destination[0] = 0;
    return -1;
}
