// One line of a definition file: its command (an id, a text of the language being loaded, a
// define, or anything else, which is ignored) and what the command does to the load's state.
#include "ml/ml_internal.h"

#include "platform/platform.h"

namespace ml::detail {
namespace {

bool IsSpace(char16_t c)
{
    return c == u' ' || c == u'\t' || c == u'\r';
}

// The first whitespace-delimited token of text; rest receives what follows it, leading
// whitespace skipped.
std::u16string_view FirstToken(std::u16string_view text, std::u16string_view& rest)
{
    size_t start = 0;
    while (start < text.size() && IsSpace(text[start]))
        ++start;
    size_t end = start;
    while (end < text.size() && !IsSpace(text[end]))
        ++end;
    size_t next = end;
    while (next < text.size() && IsSpace(text[next]))
        ++next;
    rest = text.substr(next);
    return text.substr(start, end - start);
}

std::u16string_view TrimEnd(std::u16string_view text)
{
    while (!text.empty() && IsSpace(text.back()))
        text.remove_suffix(1);
    return text;
}

// The command of a token that starts with "#": the rest of the token with ASCII letters
// upper-cased.
std::u16string CommandOf(std::u16string_view token)
{
    std::u16string command(token.substr(1));
    for (char16_t& c : command)
        if (c >= u'a' && c <= u'z')
            c = static_cast<char16_t>(c - (u'a' - u'A'));
    return command;
}

bool Fail(
    const ParseState& state, Message message, std::u16string_view quoted = {}, int32_t number = 0)
{
    ReportError(state.fileName, state.line, message, quoted, number);
    return false;
}

// Reports a failed substitution; false in every case.
bool FailSubstitution(const ParseState& state, Substitution result, std::u16string_view name)
{
    switch (result) {
    case Substitution::UnknownDefine:
        return Fail(state, Message::UnknownDefine, name);
    case Substitution::Unpaired:
        return Fail(state, Message::UnpairedDollar);
    case Substitution::TooLong:
        return Fail(state, Message::TextTooLong);
    case Substitution::Done:
        break;
    }
    return false;
}

// A text of the language being loaded becomes the text of the current id.
bool StoreText(ParseState& state, std::u16string_view text)
{
    state.scratch.clear();
    std::u16string_view name;
    Substitution result = Substitute(state.defines, text, state.budget, state.scratch, name);
    if (result != Substitution::Done)
        return FailSubstitution(state, result, name);
    // The id is checked only once the text has been counted, so a fault in the text's names is
    // the one reported.
    if (!state.hasId)
        return Fail(state, Message::TextWithoutId);
    if (state.id < 0 || state.id >= ML_ENTRY_COUNT)
        return Fail(state, Message::IdOutOfRange, {}, state.id);
    auto length = static_cast<uint32_t>(state.scratch.size());
    ResolveEscapes(state.scratch);
    return StoreEntry(state.id, state.scratch, length);
}

bool SetId(ParseState& state, const std::u16string& number)
{
    int32_t id = 0;
    if (SYS_WParseInt(&id, number.c_str()) != SYS_OK)
        return Fail(state, Message::NotANumber, number);
    state.hasId = true;
    state.id = id;
    return true;
}

// "#DEFINE name value": a number after "#", or a text with its defines substituted now.
bool AddDefine(ParseState& state, std::u16string_view arguments)
{
    std::u16string_view rest;
    std::u16string_view name = FirstToken(arguments, rest);
    if (name.empty())
        return Fail(state, Message::DefineNameExpected);
    if (state.defines.Find(name))
        return Fail(state, Message::AlreadyDefined, name);
    std::u16string_view value = TrimEnd(rest);
    if (value.empty())
        return Fail(state, Message::DefinitionIncomplete);
    Define define;
    if (value[0] == u'#') {
        std::u16string number(value.substr(1));
        define.numeric = true;
        if (SYS_WParseInt(&define.number, number.c_str()) != SYS_OK)
            return Fail(state, Message::BadNumberFormat);
    } else {
        std::u16string_view unknown;
        Substitution result = Substitute(state.defines, value, state.budget, define.text, unknown);
        // An unknown define or an unpaired "$" in a value leaves the define empty, silently;
        // exhausting the budget stops the load, since dropping the text would hide the fault.
        if (result == Substitution::TooLong)
            return FailSubstitution(state, result, unknown);
        if (result != Substitution::Done)
            define.text.clear();
    }
    state.defines.Add(name, std::move(define));
    return true;
}

}

bool ParseLine(ParseState& state, std::u16string_view content)
{
    std::u16string_view rest;
    std::u16string_view token = FirstToken(content, rest);
    if (token.empty())
        return true;
    if (token.size() < 2 || token[0] != u'#')
        return Fail(state, Message::NotACommand, token);
    std::u16string command = CommandOf(token);
    if (command == state.language)
        return StoreText(state, TrimEnd(rest));
    if (command.back() == u':') {
        command.pop_back();
        return SetId(state, command);
    }
    if (command == u"DEFINE")
        return AddDefine(state, rest);
    return true;
}

std::string LanguageOfLine(std::u16string_view content)
{
    std::u16string_view rest;
    std::u16string_view token = FirstToken(content, rest);
    if (token.size() < 2 || token[0] != u'#')
        return {};
    std::u16string command = CommandOf(token);
    if (command.back() == u':' || command == u"DEFINE")
        return {};
    std::string code;
    for (char16_t c : command) {
        if (c > 0xFF)
            return {};
        code.push_back(static_cast<char>(c));
    }
    return code;
}

}
