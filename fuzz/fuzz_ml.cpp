// Fuzz target of the text definition parser: arbitrary bytes as a definition file, loaded for
// every language code that occurs as a command in it (and for a code no line has). After each
// load the table must be consistent: both texts of an entry present together, of equal length,
// and no longer than the entry's stored length; every message bounded and carrying its line.
#include "ml/ml_internal.h"

#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

size_t Length(const char16_t* text)
{
    size_t length = 0;
    while (text[length] != 0)
        ++length;
    return length;
}

void CheckMessage(const char* fileName, int32_t line, const char16_t* message)
{
    size_t length = Length(message);
    std::string number = std::to_string(line);
    std::u16string suffix = u" (line " + std::u16string(number.begin(), number.end()) + u")";
    if (!fileName || line < 1 || length >= ML_MESSAGE_CAPACITY || length < suffix.size()
        || std::u16string(message + length - suffix.size()) != suffix)
        std::abort();
}

void CheckTable()
{
    for (int32_t id = 0; id < ML_ENTRY_COUNT; ++id) {
        if (!ML_HasString(id))
            continue;
        const char* text = nullptr;
        uint32_t stored = ML_GetStringEx(id, &text);
        size_t wide = Length(ML_GetStringW(id));
        size_t narrow = std::string(text).size();
        if (wide != narrow || wide > stored)
            std::abort();
    }
}

void AddCode(const char* code, void* context)
{
    static_cast<std::vector<std::string>*>(context)->push_back(code);
}

}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    ML_SetErrorSink(CheckMessage);
    std::vector<std::string> codes;
    ml::detail::ListLanguagesInBytes(data, size, AddCode, &codes);
    codes.push_back("");
    for (const std::string& code : codes) {
        ML_Free();
        ML_SetString(ML_FALLBACK_ID, "");
        (void)ml::detail::LoadDefinitionBytes(data, size, "fuzz.txt", code.c_str());
        CheckTable();
    }
    ML_Free();
    return 0;
}
