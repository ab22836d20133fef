// The texts of the wizard's result pages: the refusals (game not installed, newer patch
// installed, installed patch too old, editor too new, not enough disk space), the failed and the
// cancelled page. The wizard shows them as item pages; the unattended run prints them.
#include "patcher/patcher_internal.h"

#include "ml/ml.h"

#include <iterator>

namespace {

using namespace patcher::detail;

struct VersionTexts {
    int32_t heading;
    int32_t name;
    int32_t version;
    int32_t date;
};
constexpr VersionTexts INSTALLED_TEXTS { 91, 94, 95, 96 };
constexpr VersionTexts NEW_TEXTS { 92, 94, 95, 96 };
constexpr VersionTexts TOO_OLD_TEXTS { 102, 104, 105, 106 };
constexpr int32_t EDITOR_TEXT = 97;

// "heading\nname: N\nversion: V.VV\ndate: YYYY-MM-DD", then the editor line when asked for.
// A version without a name shows an empty name.
void VersionBlock(char16_t* block, const VersionTexts& texts, const char* name, uint32_t version,
    uint32_t date, const uint32_t* editorVersion)
{
    uint32_t year = 0;
    uint32_t month = 0;
    uint32_t day = 0;
    VI_UnpackDate(date, &year, &month, &day);
    int length = SYS_WFormat(block, RESULT_TEXT_CAPACITY,
        u"%s\n%s: %hs\n%s: %d.%02d\n%s: %04d-%02d-%02d", PageText(texts.heading),
        PageText(texts.name), name != nullptr ? name : "", PageText(texts.version), version / 100,
        version % 100, PageText(texts.date), year, month, day);
    if (editorVersion != nullptr && length >= 0
        && static_cast<size_t>(length) < RESULT_TEXT_CAPACITY)
        (void)SYS_WFormat(block + length, RESULT_TEXT_CAPACITY - static_cast<size_t>(length),
            u"\n%s: %d.%d", PageText(EDITOR_TEXT), *editorVersion / 100, *editorVersion % 100);
}

// The new patch's block: its heading alone when the patch records no version.
void NewBlock(char16_t* block, const PatchSettings& settings, bool editor)
{
    if (settings.newVersion == 0) {
        (void)SYS_WFormat(block, RESULT_TEXT_CAPACITY, u"%s", PageText(NEW_TEXTS.heading));
        return;
    }
    VersionBlock(block, NEW_TEXTS, settings.newVersionName, settings.newVersion,
        settings.newVersionDate, editor ? &settings.editorVersion : nullptr);
}

void Add(ResultContent& content, const char16_t* text, uint32_t anchor = 0)
{
    content.items[content.count++] = { PTCH_ITEM_TEXT, text, anchor, 0, 0 };
}

// Pages 9 and 16: the installed and the new version side by side (16 with the editor lines).
void Versions(ResultContent& content, bool editor)
{
    const VersionInfo& installed = *PTCH_GetInstalledRecord();
    VersionBlock(content.made[0], INSTALLED_TEXTS, installed.patchVersionName,
        installed.patchVersion, installed.patchVersionTime,
        editor ? &installed.editorVersion : nullptr);
    NewBlock(content.made[1], WizardState().settings, editor);
    Add(content, PageText(90), 1);
    Add(content, content.made[0]);
    Add(content, content.made[1]);
}

// Page 10: the lowest version the patch needs inside text 101, and the installed version.
void TooOld(ResultContent& content)
{
    const VersionInfo& installed = *PTCH_GetInstalledRecord();
    const auto lowest = static_cast<uint32_t>(WizardState().settings.lowestVersion);
    char16_t required[32];
    (void)SYS_WFormat(required, std::size(required), u"%d.%02d", lowest / 100, lowest % 100);
    const char16_t* values[] = { required };
    (void)PTCH_Substitute(
        content.made[0], RESULT_TEXT_CAPACITY, PageText(101), values, std::size(values));
    VersionBlock(content.made[1], TOO_OLD_TEXTS, installed.patchVersionName, installed.patchVersion,
        installed.patchVersionTime, nullptr);
    Add(content, PageText(100), 1);
    Add(content, content.made[0]);
    Add(content, content.made[1]);
}

// Page 13: text 181 with the game folder and the free and the needed space.
void DiskSpace(ResultContent& content, uint64_t free, uint64_t needed)
{
    char16_t freeText[32];
    char16_t neededText[32];
    (void)SYS_FormatSize(freeText, std::size(freeText), free);
    (void)SYS_FormatSize(neededText, std::size(neededText), needed);
    const char16_t* values[] = { WizardState().game.folderWide, freeText, neededText };
    (void)PTCH_Substitute(
        content.made[0], RESULT_TEXT_CAPACITY, PageText(181), values, std::size(values));
    Add(content, PageText(180), 1);
    Add(content, content.made[0]);
    Add(content, PageText(182));
}

// Page 11: text 190 and the texts the failure gave.
void Failed(ResultContent& content, uint64_t extra1, uint64_t extra2)
{
    Add(content, PageText(190), 1);
    for (const uint64_t extra : { extra1, extra2 })
        if (extra != 0)
            Add(content, reinterpret_cast<const char16_t*>(static_cast<uintptr_t>(extra)));
}

}

namespace patcher::detail {

const char16_t* PageText(int32_t id)
{
    const char16_t* text = ML_GetStringW(id);
    return text != nullptr ? text : u"";
}

bool ResultPageContent(uint32_t page, uint64_t extra1, uint64_t extra2, ResultContent* content)
{
    content->count = 0;
    switch (page) {
    case 6:
        Add(*content, PageText(70));
        return true;
    case 9:
    case 16:
        Versions(*content, page == 16);
        return true;
    case 10:
        TooOld(*content);
        return true;
    case 11:
        Failed(*content, extra1, extra2);
        return true;
    case 12:
        Add(*content, PageText(170));
        return true;
    case 13:
        DiskSpace(*content, extra1, extra2);
        return true;
    default:
        return false;
    }
}

}
