// The language table and the language files of the folder "Languages": the paths of a
// language's files and the scan that finds which languages the distribution carries.
#include "patcher/patcher_internal.h"

#include "bigfile/bigfile.h"

namespace {

using namespace patcher::detail;

constexpr const char* LANGUAGE_FOLDER = "Languages";

// The row whose code is the file name's part before its first "." (case ignored), or
// PTCH_LANGUAGE_COUNT when there is none.
uint32_t RowOfFileName(const char* path)
{
    char name[PATH_CAPACITY];
    (void)SYS_PathFileName(name, sizeof name, path);
    for (char* at = name; *at != 0; ++at)
        if (*at == '.')
            *at = 0;
    SYS_StrUpper(name);
    for (uint32_t row = 0; row < PTCH_LANGUAGE_COUNT; ++row)
        if (SYS_StrCompare(name, PTCH_LANGUAGES[row].code) == 0)
            return row;
    return PTCH_LANGUAGE_COUNT;
}

}

const PTCH_Language PTCH_LANGUAGES[PTCH_LANGUAGE_COUNT] = {
    { 1, 789, "English mature", "ENG" },
    { 5, 790, "US teen", "AME" },
    { 2, 791, "Deutch", "GER" },
    { 3, 792, "Italiano", "ITA" },
    { 7, 789, "Francais", "FRE" },
    { 8, 789, "Espanol", "SPA" },
    { 6, 804, "Czech", "CZE" },
    { 4, 805, "Russian", "RUS" },
    { 10, 807, "Japanese", "JAP" },
    { 9, 806, "Chinese", "CHI" },
    { 11, 841, "Taiwanese", "TAI" },
};

namespace patcher::detail {

bool LanguageFilePath(char* path, size_t capacity, const char* code, const char* extension)
{
    const int length = SYS_Format(path, capacity, "%s\\%s.%s", LANGUAGE_FOLDER, code, extension);
    return length >= 0 && static_cast<size_t>(length) < capacity;
}

bool ScanLanguageFiles(std::vector<uint32_t>* candidates)
{
    char pattern[PATH_CAPACITY];
    if (!LanguageFilePath(pattern, sizeof pattern, "*", "txt"))
        return false;
    BF_FindContext context;
    bool any = false;
    for (const char* name = BF_FindFirst(pattern, 0, &context); name != nullptr;
         name = BF_FindNext(&context)) {
        any = true;
        const uint32_t row = RowOfFileName(name);
        if (row < PTCH_LANGUAGE_COUNT)
            candidates->push_back(row);
    }
    return any;
}

}
