// Load errors: the fixed messages, their bounded formatting with the line suffix, and the sink
// that receives them (the user-facing default, or one a tool installs).
#include "ml/ml_internal.h"

#include "platform/platform.h"

namespace ml::detail {
namespace {

// Room kept at the end of the buffer for " (line -2147483648)" and the terminator.
constexpr size_t SUFFIX_ROOM = 24;

void DefaultSink(const char* /*fileName*/, int32_t /*line*/, const char16_t* message)
{
    SYS_WMessageBox(message, u"Error loading multi-language database", SYS_MB_OK);
}

ML_ErrorSink g_sink = DefaultSink;

const char16_t* FormatOf(Message message)
{
    switch (message) {
    case Message::NotACommand:
        return u"\"%s\"is not a command";
    case Message::NotANumber:
        return u"\"%s\" is not number.";
    case Message::DefineNameExpected:
        return u"Name of define expected.";
    case Message::AlreadyDefined:
        return u"\"%s\" already defined.";
    case Message::DefinitionIncomplete:
        return u"Definition is not complette.";
    case Message::BadNumberFormat:
        return u"Incorrect format of number.";
    case Message::UnknownDefine:
        return u"$%s$ - unknown define.";
    case Message::UnpairedDollar:
        return u"Unpaired %c character.";
    case Message::TextWithoutId:
        return u"Text without id.";
    case Message::IdOutOfRange:
        return u"Id %d is out of range.";
    case Message::TextTooLong:
        return u"Text is too long.";
    }
    return u"";
}

// The length SYS_WFormat wrote into a buffer of capacity units, given the length it needed.
size_t Written(int needed, size_t capacity)
{
    if (needed < 0)
        return 0;
    return static_cast<size_t>(needed) < capacity ? static_cast<size_t>(needed) : capacity - 1;
}

}

size_t FormatMessage(
    char16_t* buffer, Message message, std::u16string_view quoted, int32_t number, int32_t line)
{
    // Tokens and names come from the file and may be of any length: only their start is quoted.
    char16_t quote[ML_MESSAGE_QUOTE_UNITS + 1];
    size_t quoteLength
        = quoted.size() < ML_MESSAGE_QUOTE_UNITS ? quoted.size() : ML_MESSAGE_QUOTE_UNITS;
    quoted.copy(quote, quoteLength);
    quote[quoteLength] = 0;

    const char16_t* format = FormatOf(message);
    size_t bodyCapacity = ML_MESSAGE_CAPACITY - SUFFIX_ROOM;
    int needed = 0;
    if (message == Message::IdOutOfRange)
        needed = SYS_WFormat(buffer, bodyCapacity, format, number);
    else if (message == Message::UnpairedDollar)
        needed = SYS_WFormat(buffer, bodyCapacity, format, static_cast<int>(u'$'));
    else
        needed = SYS_WFormat(buffer, bodyCapacity, format, quote);
    size_t length = Written(needed, bodyCapacity);
    size_t room = ML_MESSAGE_CAPACITY - length;
    return length + Written(SYS_WFormat(buffer + length, room, u" (line %d)", line), room);
}

void ReportError(
    const char* fileName, int32_t line, Message message, std::u16string_view quoted, int32_t number)
{
    char16_t buffer[ML_MESSAGE_CAPACITY];
    FormatMessage(buffer, message, quoted, number, line);
    g_sink(fileName, line, buffer);
}

}

ML_ErrorSink ML_SetErrorSink(ML_ErrorSink sink)
{
    using namespace ml::detail;
    ML_ErrorSink previous = g_sink;
    g_sink = sink ? sink : DefaultSink;
    return previous;
}
