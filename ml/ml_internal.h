// Module-internal pieces of the text database, shared by its source files and its tests: the
// error messages, the decoding of a definition file into lines, the defines with their
// substitution, escapes, the line parser and the entry table's store operation.
#pragma once

#include "ml/ml.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>

namespace ml::detail {

// ---- Messages (errors.cpp) ----------------------------------------------------------------

enum class Message {
    NotACommand, // quotes the line's first token
    NotANumber, // quotes the text between "#" and ":"
    DefineNameExpected,
    AlreadyDefined, // quotes the define name
    DefinitionIncomplete,
    BadNumberFormat,
    UnknownDefine, // quotes the define name
    UnpairedDollar,
    TextWithoutId,
    IdOutOfRange, // takes the id as number
    TextTooLong,
};

// Writes the message into buffer (ML_MESSAGE_CAPACITY units): the quoted text cut to
// ML_MESSAGE_QUOTE_UNITS, then " (line N)", which is always kept. Returns its length.
size_t FormatMessage(
    char16_t* buffer, Message message, std::u16string_view quoted, int32_t number, int32_t line);
// Formats the message and hands it to the installed error sink.
void ReportError(const char* fileName, int32_t line, Message message,
    std::u16string_view quoted = {}, int32_t number = 0);

// ---- File text (definition_text.cpp) ------------------------------------------------------

// The file's bytes as wide text: UTF-16 little-endian (a leading byte-order mark dropped) when
// the size is even, at least 2 and some unit has a zero high byte; otherwise one unit per byte.
// The text ends at its first NUL unit: a file is one terminated text.
std::u16string DecodeDefinitionBytes(const uint8_t* bytes, size_t size);

// Walks the lines of a decoded text, cutting them in place. A line ends at a line feed (a
// carriage return before it goes with it) or at the single unit 0x0A0D. Comments are removed,
// block comments running from line to line; a line that ends inside a block comment is
// skipped whole, but still counted.
class LineReader {
public:
    explicit LineReader(std::u16string& text);
    // The next line's content without comments; false after the last line.
    bool Next(std::u16string_view& content);
    int32_t LineNumber() const { return m_lineNumber; }

private:
    std::u16string& m_text;
    size_t m_position = 0;
    int32_t m_lineNumber = 0;
    uint32_t m_insideBlock = 0;
    std::u16string m_stripped;
};

// ---- Defines (defines.cpp) ----------------------------------------------------------------

// A define of one load: a text, or a number naming a database entry.
struct Define {
    bool numeric = false;
    int32_t number = 0;
    std::u16string text;
};

// The defines of one load, found by name compared as 8-bit text (units above 0xFF read as
// "?"), so a lookup costs the length of the name.
class DefineTable {
public:
    const Define* Find(std::u16string_view name) const;
    void Add(std::u16string_view name, Define define);

private:
    static std::string Key(std::u16string_view name);
    std::unordered_map<std::string, Define> m_defines;
};

enum class Substitution { Done, UnknownDefine, Unpaired, TooLong };

// Appends text to out with every "$name$" replaced: a text define by its text, a numeric define
// by the current wide text of the entry it names (with the lookup fallback). Every name is
// checked before the length counts: an unknown name (received by name) or a "$" left open wins
// over TooLong, which a result longer than the budget gives. Each appended unit is taken from
// budget. After a failure out and budget are unchanged.
Substitution Substitute(const DefineTable& defines, std::u16string_view text, uint64_t& budget,
    std::u16string& out, std::u16string_view& name);

// ---- Escapes (escapes.cpp) ----------------------------------------------------------------

// Resolves "\n", "\\" and "\/" in place; other backslash pairs and a final backslash stay.
void ResolveEscapes(std::u16string& text);

// ---- Lines (line_parser.cpp) --------------------------------------------------------------

// The state of one load while its lines are parsed.
struct ParseState {
    const char* fileName = nullptr;
    std::u16string language;
    int32_t line = 0;
    bool hasId = false;
    int32_t id = 0;
    DefineTable defines;
    uint64_t budget = ML_MAX_LOAD_UNITS;
    std::u16string scratch;
};

// Parses one line's content (comments removed). False after an error, which has been reported.
bool ParseLine(ParseState& state, std::u16string_view content);
// The language code of a text line of some language, narrowed, or "" for any other line.
std::string LanguageOfLine(std::u16string_view content);

// ---- Entries (entry_table.cpp) ------------------------------------------------------------

// Replaces an entry (id 0..1000) with the wide text, its narrowed copy and the length. False
// when memory runs out; the entry is then empty.
bool StoreEntry(int32_t id, std::u16string_view wideText, uint32_t length);

// ---- Loading from bytes (definition_loader.cpp) -------------------------------------------

// Parses a definition file's bytes for the language code; errors name fileName. 1 or 0.
int LoadDefinitionBytes(
    const uint8_t* bytes, size_t size, const char* fileName, const char* languageCode);
// Visits the language codes of a definition file's bytes (see ML_ListLanguages).
void ListLanguagesInBytes(
    const uint8_t* bytes, size_t size, ML_LanguageVisitor visit, void* context);

}
