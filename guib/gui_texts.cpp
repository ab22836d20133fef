// The GUI text table: numbered texts the toolkit's own controls show (button captions such as
// "Ok" and "Cancel"), filled with English defaults when the toolkit starts and emptied when it
// ends. Each entry keeps an 8-bit copy and a wide copy of its text.
#include "guib/guib.h"

#include <cstring>

namespace {

struct Entry {
    SYS_Block<char[]> narrow;
    SYS_Block<char16_t[]> wide;
    uint32_t length = 0;
};

Entry g_texts[GUIB_TEXT_COUNT];

struct Default {
    uint32_t id;
    const char* text;
};

constexpr Default DEFAULTS[] = { { GUIB_TEXT_OK, "Ok" }, { GUIB_TEXT_CANCEL, "Cancel" },
    { 3, "Retry" }, { GUIB_TEXT_YES, "Yes" }, { GUIB_TEXT_NO, "No" }, { 6, "Back" },
    { 7, "Previous" }, { 8, "Next" }, { 9, "I agree" }, { 256, "free" }, { 257, "unknown" },
    { 258, "removable" }, { 259, "fixed" }, { 260, "network" }, { 261, "CD_ROM" },
    { 262, "RAM drive" }, { GUIB_TEXT_FALLBACK, "" } };

constexpr char16_t EMPTY[] = u"";

void Clear(Entry& entry)
{
    entry.narrow.reset();
    entry.wide.reset();
    entry.length = 0;
}

} // namespace

SYS_Status GUIB_TextsInit()
{
    (void)SYS_ModuleNotice(SYS_TAG_GUI_TEXTS, "GUI_MultiLanguage");
    for (Entry& entry : g_texts)
        Clear(entry);
    for (const Default& d : DEFAULTS)
        GUIB_SetText(d.id, d.text);
    return SYS_OK;
}

void GUIB_TextsDone()
{
    for (uint32_t id = 0; id < GUIB_TEXT_COUNT; ++id)
        GUIB_SetText(id, nullptr);
    (void)SYS_ModuleNotice(SYS_TAG_GUI_TEXTS, nullptr);
}

void GUIB_SetText(uint32_t id, const char* text)
{
    if (id >= GUIB_TEXT_COUNT)
        return;
    Entry& entry = g_texts[id];
    Clear(entry);
    if (text == nullptr)
        return;
    size_t length = std::strlen(text);
    auto narrow = SYS_AllocArray<char>(length + 1, "GUI text", SYS_TAG_GUI_TEXTS);
    auto wide = SYS_AllocArray<char16_t>(length + 1, "GUI text", SYS_TAG_GUI_TEXTS);
    if (!narrow || !wide)
        return; // without memory the entry stays empty and reads the fallback
    for (size_t i = 0; i <= length; ++i) {
        narrow[i] = text[i];
        wide[i] = static_cast<unsigned char>(text[i]);
    }
    entry.narrow = std::move(narrow);
    entry.wide = std::move(wide);
    entry.length = static_cast<uint32_t>(length);
}

const char16_t* GUIB_GetText(int32_t id)
{
    if (id >= 0 && id < static_cast<int32_t>(GUIB_TEXT_COUNT) && g_texts[id].wide)
        return g_texts[id].wide.get();
    if (const Entry& fallback = g_texts[GUIB_TEXT_FALLBACK]; fallback.wide)
        return fallback.wide.get();
    return EMPTY;
}
