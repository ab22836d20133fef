// The entry table: 1001 entries, each with an 8-bit and a wide text of its own, and the lookups
// with their fallback to entry 1000 for a bad id or an entry without text.
#include "ml/ml_internal.h"

#include "platform/platform.h"

#include <new>

namespace {

struct ML_Entry {
    char* text; // owned, or null
    char16_t* wideText; // owned, or null
    uint32_t length; // units after define substitution, before escapes
};

ML_Entry g_entries[ML_ENTRY_COUNT];

bool IsValidId(int32_t id)
{
    return id >= 0 && id < ML_ENTRY_COUNT;
}

void EmptyEntry(ML_Entry& entry)
{
    SYS_Free(entry.text);
    SYS_Free(entry.wideText);
    entry = ML_Entry {};
}

// The entry that answers a lookup of id by its 8-bit (wide: false) or wide text.
const ML_Entry& Resolve(int32_t id, bool wide)
{
    if (!IsValidId(id))
        return g_entries[ML_FALLBACK_ID];
    const ML_Entry& entry = g_entries[id];
    bool present = wide ? entry.wideText != nullptr : entry.text != nullptr;
    return present ? entry : g_entries[ML_FALLBACK_ID];
}

}

namespace ml::detail {

bool StoreEntry(int32_t id, std::u16string_view wideText, uint32_t length)
{
    ML_Entry& entry = g_entries[id];
    EmptyEntry(entry);
    size_t units = wideText.size() + 1;
    auto* wide
        = static_cast<char16_t*>(SYS_Alloc(units * sizeof(char16_t), "ML String", SYS_TAG_ML));
    auto* narrow = static_cast<char*>(SYS_Alloc(units, "ML String ANSI", SYS_TAG_ML));
    if (!wide || !narrow) {
        SYS_Free(wide);
        SYS_Free(narrow);
        return false;
    }
    wideText.copy(wide, wideText.size());
    wide[wideText.size()] = 0;
    // Units above 0xFF have no 8-bit form and become "?"; an embedded NUL ends both texts.
    SYS_WStrToStr(narrow, units, wide);
    entry = ML_Entry { narrow, wide, length };
    return true;
}

}

void ML_Free()
{
    for (ML_Entry& entry : g_entries)
        EmptyEntry(entry);
}

void ML_SetString(int32_t id, const char* text)
{
    if (!IsValidId(id))
        return;
    if (!text) {
        EmptyEntry(g_entries[id]);
        return;
    }
    size_t length = SYS_StrLen(text);
    // Without memory for the widened copy the entry stays empty, as when storing fails.
    try {
        std::u16string wide(length, u'\0');
        for (size_t i = 0; i < length; ++i)
            wide[i] = static_cast<unsigned char>(text[i]);
        (void)ml::detail::StoreEntry(id, wide, static_cast<uint32_t>(length));
    } catch (const std::bad_alloc&) {
        EmptyEntry(g_entries[id]);
    }
}

const char* ML_GetStringA(int32_t id)
{
    const char* text = Resolve(id, false).text;
    return text ? text : "";
}

const char16_t* ML_GetStringW(int32_t id)
{
    const char16_t* text = Resolve(id, true).wideText;
    return text ? text : u"";
}

uint32_t ML_GetStringEx(int32_t id, const char** text)
{
    const ML_Entry& entry = Resolve(id, false);
    if (text)
        *text = entry.text ? entry.text : "";
    return entry.length;
}

int ML_GetInt(int32_t id, int32_t* value)
{
    if (!IsValidId(id) || !value)
        return 0;
    int32_t parsed = 0;
    if (SYS_ParseInt(&parsed, ML_GetStringA(id)) != SYS_OK)
        return 0;
    *value = parsed;
    return 1;
}

bool ML_GetFlag(int32_t id)
{
    return ML_IsSet(ML_GetStringW(id));
}

bool ML_IsSet(const char16_t* text)
{
    if (!text || text[0] == 0)
        return false;
    char16_t upper[5];
    // Texts longer than four units cannot be "NONE"; the copy is cut there.
    return SYS_WStrUpperCopy(upper, 5, text) != 4 || SYS_WStrCompare(upper, u"NONE") != 0;
}

bool ML_HasString(int32_t id)
{
    return IsValidId(id) && g_entries[id].wideText != nullptr;
}
