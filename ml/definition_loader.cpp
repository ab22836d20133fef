// Loading a definition file: reading it whole through the virtual file interface, decoding it
// and parsing it line by line for one language; the two loaders the installer calls, and the
// listing of a file's language codes for the tools.
#include "ml/ml_internal.h"

#include "bigfile/bigfile.h"
#include "platform/platform.h"

#include <new>
#include <unordered_set>
#include <vector>

namespace ml::detail {
namespace {

// Reads count bytes from the start of file; false on a short read.
bool ReadWhole(BF_Handle file, uint8_t* buffer, uint64_t count)
{
    uint64_t done = 0;
    while (done < count) {
        uint32_t read = BF_Read(file, buffer + done, static_cast<uint32_t>(count - done));
        if (read == 0)
            return false;
        done += read;
    }
    return true;
}

// The whole file. False when it does not open, is larger than ML_MAX_FILE_SIZE (so that no size
// arithmetic can wrap on a 32-bit system), reads short, or memory runs out. The decoder works
// by this length, and the wide text it makes is always terminated, so nothing reads past the
// file's end whatever its encoding.
bool ReadDefinitionFile(const char* fileName, std::vector<uint8_t>& bytes)
{
    if (!fileName)
        return false;
    BF_Handle file = BF_Open(fileName, BF_GENERIC_READ);
    if (file == 0)
        return false;
    uint64_t size = BF_GetSize(file);
    bool read = size != BF_BAD_POSITION && size <= ML_MAX_FILE_SIZE;
    try {
        if (read) {
            bytes.assign(static_cast<size_t>(size), 0);
            read = ReadWhole(file, bytes.data(), size);
        }
    } catch (const std::bad_alloc&) {
        read = false;
    }
    BF_Close(file);
    return read;
}

std::u16string Widen(const char* text)
{
    std::u16string wide;
    for (; *text; ++text)
        wide.push_back(static_cast<unsigned char>(*text));
    return wide;
}

int ParseText(std::u16string& text, const char* fileName, const char* languageCode)
{
    ParseState state;
    state.fileName = fileName;
    state.language = Widen(languageCode);
    LineReader lines(text);
    std::u16string_view content;
    while (lines.Next(content)) {
        state.line = lines.LineNumber();
        if (!ParseLine(state, content))
            return 0;
    }
    return 1;
}

}

int LoadDefinitionBytes(
    const uint8_t* bytes, size_t size, const char* fileName, const char* languageCode)
{
    if (!languageCode)
        return 0;
    // Memory exhaustion inside the standard containers ends the load like a failed read.
    try {
        std::u16string text = DecodeDefinitionBytes(bytes, size);
        return ParseText(text, fileName ? fileName : "", languageCode);
    } catch (const std::bad_alloc&) {
        return 0;
    }
}

void ListLanguagesInBytes(
    const uint8_t* bytes, size_t size, ML_LanguageVisitor visit, void* context)
{
    try {
        std::u16string text = DecodeDefinitionBytes(bytes, size);
        std::unordered_set<std::string> seen;
        LineReader lines(text);
        std::u16string_view content;
        while (lines.Next(content)) {
            std::string code = LanguageOfLine(content);
            if (!code.empty() && seen.insert(code).second && visit)
                visit(code.c_str(), context);
        }
    } catch (const std::bad_alloc&) {
    }
}

}

int ML_LoadDefinition(const char* fileName, const char* languageCode)
{
    std::vector<uint8_t> bytes;
    if (!languageCode || !ml::detail::ReadDefinitionFile(fileName, bytes))
        return 0;
    return ml::detail::LoadDefinitionBytes(bytes.data(), bytes.size(), fileName, languageCode);
}

int ML_LoadInstallerData(const ML_Request* request)
{
    if (!request)
        return 0;
    ML_Free();
    ML_SetString(ML_FALLBACK_ID, "");
    return ML_LoadDefinition(request->fileName, request->languageCode);
}

int ML_LoadLanguage(const ML_Request* request)
{
    return request ? ML_LoadDefinition(request->fileName, request->languageCode) : 0;
}

int ML_ListLanguages(const char* fileName, ML_LanguageVisitor visit, void* context)
{
    std::vector<uint8_t> bytes;
    if (!ml::detail::ReadDefinitionFile(fileName, bytes))
        return 0;
    ml::detail::ListLanguagesInBytes(bytes.data(), bytes.size(), visit, context);
    return 1;
}
