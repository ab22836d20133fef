// The multi-language text database: one process-wide table of 1001 numbered entries (ids 0 to
// 1000) filled from definition files, which carry the texts of every language side by side.
// Loading picks the lines of one language; lookups answer with entry 1000 for a bad id or an
// entry without text. Used on the main thread only; lookups may come from other threads after
// loading, since they only read.
#pragma once

#include <cstddef>
#include <cstdint>

inline constexpr int32_t ML_ENTRY_COUNT = 1001;
inline constexpr int32_t ML_FALLBACK_ID = 1000;
// Definition files larger than this are treated as unreadable.
inline constexpr uint64_t ML_MAX_FILE_SIZE = 16u * 1024 * 1024;
// The error message buffer in units, and how much of a token or name a message quotes.
inline constexpr size_t ML_MESSAGE_CAPACITY = 512;
inline constexpr size_t ML_MESSAGE_QUOTE_UNITS = 100;
// The units that define substitution may produce during one load (texts and define values
// together); a text that would go beyond it fails the load with "Text is too long.".
inline constexpr uint64_t ML_MAX_LOAD_UNITS = 32u * 1024 * 1024;

// What to load: the language code (8-bit, upper case, for example "ENG") and the file name,
// which is opened through the virtual file interface.
struct ML_Request {
    const char* languageCode;
    const char* fileName;
};

// ---- Loading ------------------------------------------------------------------------------
// Each loader returns 1 when the whole file was read and parsed, 0 otherwise. A file that
// cannot be opened or read (or is larger than ML_MAX_FILE_SIZE) gives 0 without a message; a
// syntax error sends one message to the error sink and stops the load, keeping the entries
// stored before it.

// Empties all entries, sets entry 1000 to the empty text, then loads the file.
[[nodiscard]] int ML_LoadInstallerData(const ML_Request* request);
// Loads the file over the current entries: its ids replace those already set.
[[nodiscard]] int ML_LoadLanguage(const ML_Request* request);
// Reads the file through the virtual file interface and parses it for the language code.
[[nodiscard]] int ML_LoadDefinition(const char* fileName, const char* languageCode);
// Frees the texts of all 1001 entries.
void ML_Free();

// ---- Lookups ------------------------------------------------------------------------------

// Sets both texts of an entry (the wide one widened byte by byte) and its length; null empties
// the entry. Ids outside 0..1000 are ignored.
void ML_SetString(int32_t id, const char* text);
// The entry's 8-bit or wide text; entry 1000's for an id outside 0..1000 or an entry without
// that text, and the empty text when entry 1000 has none either. Never null.
const char* ML_GetStringA(int32_t id);
const char16_t* ML_GetStringW(int32_t id);
// The entry's length (units after define substitution, before escapes) and, through text
// (may be null), its 8-bit text, both with the fallback of ML_GetStringA.
uint32_t ML_GetStringEx(int32_t id, const char** text);
// 1 and the value when the entry's 8-bit text (with the fallback) parses as an integer
// (decimal, "-" decimal or "0x" hexadecimal); 0 for an id outside 0..1000 or text that does not
// parse, leaving value untouched.
[[nodiscard]] int ML_GetInt(int32_t id, int32_t* value);
// ML_IsSet of the entry's wide text (with the fallback).
bool ML_GetFlag(int32_t id);
// False for null, the empty text and "NONE" in any letter case; true for anything else.
bool ML_IsSet(const char16_t* text);
// Whether the entry itself holds a wide text (no fallback); false for ids outside 0..1000.
bool ML_HasString(int32_t id);

// ---- Errors -------------------------------------------------------------------------------

// Receives each load error: the file name given to the loader, the line number (from 1) and
// the message, which already ends in " (line N)". The default sink shows the message to the
// user: a message box captioned "Error loading multi-language database" on Windows, the same
// text on stderr elsewhere.
using ML_ErrorSink = void (*)(const char* fileName, int32_t line, const char16_t* message);
// Installs a sink (null restores the default) and returns the one it replaces.
ML_ErrorSink ML_SetErrorSink(ML_ErrorSink sink);

// ---- Inspection ---------------------------------------------------------------------------

// Called once for each distinct language code that occurs as a command in a file, in order of
// first appearance: every command other than an id ("#301:") and "#DEFINE", upper-cased, that
// has only units up to 0xFF.
using ML_LanguageVisitor = void (*)(const char* languageCode, void* context);
// Reads the file as ML_LoadDefinition does and visits its language codes without loading or
// reporting anything. 1 when the file was read, 0 when it could not be.
[[nodiscard]] int ML_ListLanguages(const char* fileName, ML_LanguageVisitor visit, void* context);
