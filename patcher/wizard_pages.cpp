// The wizard's pages: for each page number its title picture, the captions of the three
// buttons, its status line and its content, built once or, for the result pages, on every
// visit; and the texts of the refusal pages (the installed and the new version) and of the
// disk-space page.
#include "patcher/patcher_internal.h"

#include "bigfile/bigfile.h"
#include "ml/ml.h"

#include <iterator>

namespace {

using namespace patcher::detail;

constexpr int32_t HIDDEN = 0;
constexpr int32_t KEPT = -1;
constexpr size_t BLOCK_CAPACITY = 1024;

struct PageLook {
    int32_t title;
    int32_t buttons[3]; // text ids of button 1, 2, 3; HIDDEN or KEPT
    int32_t status;
};

constexpr PageLook LOOKS[PTCH_PAGE_COUNT] = {
    { 201, { 13, 16, 19 }, 29 }, // 0 start
    { 204, { 11, 14, HIDDEN }, 49 }, // 1 licence
    { 209, { 13, 14, HIDDEN }, 129 }, // 2 shortcut options
    { 203, { 10, 14, HIDDEN }, 39 }, // 3 ready
    { 205, { HIDDEN, HIDDEN, HIDDEN }, 119 }, // 4 progress
    { 206, { 16, 17, HIDDEN }, 69 }, // 5 finished
    { 207, { 16, HIDDEN, HIDDEN }, 79 }, // 6 game not installed
    {}, { 208, { 18, HIDDEN, HIDDEN }, 89 }, // 8 news
    { 207, { 16, HIDDEN, HIDDEN }, 99 }, // 9 newer patch installed
    { 207, { 16, HIDDEN, HIDDEN }, 109 }, // 10 installed patch too old
    { 219, { 16, HIDDEN, HIDDEN }, 199 }, // 11 failed
    { 219, { 16, HIDDEN, HIDDEN }, 179 }, // 12 cancelled
    { 219, { 16, HIDDEN, HIDDEN }, 189 }, // 13 not enough disk space
    { 210, { 13, 14, KEPT }, 139 }, // 14 run program
    { 211, { 13, 14, KEPT }, 149 }, // 15 editor tools
    { 207, { 16, HIDDEN, HIDDEN }, 99 }, // 16 editor too new
};

// Result pages show what happened on this visit, so their content is made anew.
bool Rebuilt(uint32_t page)
{
    return page == 5 || page == 6 || (page >= 9 && page <= 13) || page == 16;
}

const char16_t* Text(int32_t id)
{
    const char16_t* text = ML_GetStringW(id);
    return text != nullptr ? text : u"";
}

PageItem TextItem(const char16_t* text, uint32_t anchor = 0)
{
    return { PTCH_ITEM_TEXT, text, anchor, 0, 0 };
}

PageItem CheckItem(int32_t id, uint32_t* choice)
{
    return { PTCH_ITEM_CHECK_BOX, Text(id), 0, reinterpret_cast<uintptr_t>(choice), 0 };
}

bool NewsExists()
{
    char path[PTCH_PATH_CAPACITY];
    return PTCH_PageTextPath(PTCH_TEXT_NEWS, PTCH_GetLanguageCode(), path, sizeof path) != 0
        && BF_Exists(path) != 0;
}

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
    int length = SYS_WFormat(block, BLOCK_CAPACITY, u"%s\n%s: %hs\n%s: %d.%02d\n%s: %04d-%02d-%02d",
        Text(texts.heading), Text(texts.name), name != nullptr ? name : "", Text(texts.version),
        version / 100, version % 100, Text(texts.date), year, month, day);
    if (editorVersion != nullptr && length >= 0 && static_cast<size_t>(length) < BLOCK_CAPACITY)
        (void)SYS_WFormat(block + length, BLOCK_CAPACITY - static_cast<size_t>(length),
            u"\n%s: %d.%d", Text(EDITOR_TEXT), *editorVersion / 100, *editorVersion % 100);
}

// The new patch's block: its heading alone when the patch records no version.
void NewBlock(char16_t* block, const PatchSettings& settings, bool editor)
{
    if (settings.newVersion == 0) {
        (void)SYS_WFormat(block, BLOCK_CAPACITY, u"%s", Text(NEW_TEXTS.heading));
        return;
    }
    VersionBlock(block, NEW_TEXTS, settings.newVersionName, settings.newVersion,
        settings.newVersionDate, editor ? &settings.editorVersion : nullptr);
}

c_GUIB_Window* ItemContent(GUIB_WindowCreate* create, const PageItem* items, size_t count)
{
    return new ItemPage(create, items, static_cast<uint32_t>(count));
}

template <size_t N>
c_GUIB_Window* ItemContent(GUIB_WindowCreate* create, const PageItem (&items)[N])
{
    return ItemContent(create, items, N);
}

// Pages 9 and 16: the installed and the new version side by side (16 with the editor lines).
c_GUIB_Window* VersionsContent(GUIB_WindowCreate* create, bool editor)
{
    const Wizard& w = WizardState();
    const VersionInfo& installed = *PTCH_GetInstalledRecord();
    char16_t installedBlock[BLOCK_CAPACITY];
    char16_t newBlock[BLOCK_CAPACITY];
    VersionBlock(installedBlock, INSTALLED_TEXTS, installed.patchVersionName,
        installed.patchVersion, installed.patchVersionTime,
        editor ? &installed.editorVersion : nullptr);
    NewBlock(newBlock, w.settings, editor);
    const PageItem items[]
        = { TextItem(Text(90), 1), TextItem(installedBlock), TextItem(newBlock) };
    return ItemContent(create, items);
}

// Page 10: the lowest version the patch needs inside text 101, and the installed version.
c_GUIB_Window* TooOldContent(GUIB_WindowCreate* create)
{
    const Wizard& w = WizardState();
    const VersionInfo& installed = *PTCH_GetInstalledRecord();
    const auto lowest = static_cast<uint32_t>(w.settings.lowestVersion);
    char16_t required[32];
    (void)SYS_WFormat(required, std::size(required), u"%d.%02d", lowest / 100, lowest % 100);
    char16_t needs[BLOCK_CAPACITY];
    const char16_t* values[] = { required };
    (void)PTCH_Substitute(needs, BLOCK_CAPACITY, Text(101), values, std::size(values));
    char16_t installedBlock[BLOCK_CAPACITY];
    VersionBlock(installedBlock, TOO_OLD_TEXTS, installed.patchVersionName, installed.patchVersion,
        installed.patchVersionTime, nullptr);
    const PageItem items[] = { TextItem(Text(100), 1), TextItem(needs), TextItem(installedBlock) };
    return ItemContent(create, items);
}

// Page 13: text 181 with the game folder and the free and the needed space.
c_GUIB_Window* DiskSpaceContent(GUIB_WindowCreate* create, uint64_t free, uint64_t needed)
{
    char16_t freeText[32];
    char16_t neededText[32];
    (void)SYS_FormatSize(freeText, std::size(freeText), free);
    (void)SYS_FormatSize(neededText, std::size(neededText), needed);
    const char16_t* values[] = { WizardState().game.folderWide, freeText, neededText };
    char16_t filled[BLOCK_CAPACITY];
    (void)PTCH_Substitute(filled, BLOCK_CAPACITY, Text(181), values, std::size(values));
    const PageItem items[] = { TextItem(Text(180), 1), TextItem(filled), TextItem(Text(182)) };
    return ItemContent(create, items);
}

// Page 11: text 190 and the texts the failure gave.
c_GUIB_Window* FailedContent(GUIB_WindowCreate* create, uint64_t extra1, uint64_t extra2)
{
    PageItem items[3] = { TextItem(Text(190), 1) };
    size_t count = 1;
    for (const uint64_t extra : { extra1, extra2 })
        if (extra != 0)
            items[count++]
                = TextItem(reinterpret_cast<const char16_t*>(static_cast<uintptr_t>(extra)));
    return ItemContent(create, items, count);
}

c_GUIB_Window* ReadyContent(GUIB_WindowCreate* create)
{
    char16_t folder[BLOCK_CAPACITY];
    (void)SYS_WFormat(folder, BLOCK_CAPACITY, u"%s\n%s", Text(31), WizardState().game.folderWide);
    const PageItem items[] = { TextItem(Text(30), 1), TextItem(folder), TextItem(Text(32), 1) };
    return ItemContent(create, items);
}

c_GUIB_Window* EditorToolsContent(GUIB_WindowCreate* create)
{
    Wizard& w = WizardState();
    PageItem items[4] = { TextItem(Text(140)), TextItem(Text(141)) };
    size_t count = 2;
    if (w.max.max51Found)
        items[count++] = CheckItem(145, &w.max51Choice);
    if (w.max.max60Found)
        items[count++] = CheckItem(146, &w.max60Choice);
    return ItemContent(create, items, count);
}

// The copy starts as soon as its page exists; the editor-tools choices decide which 3ds Max
// folders the file lists include.
c_GUIB_Window* ProgressContent(GUIB_WindowCreate* create)
{
    Wizard& w = WizardState();
    w.max.max51Found = w.max.max51Found && w.max51Choice != 0;
    w.max.max60Found = w.max.max60Found && w.max60Choice != 0;
    ProgressSetup setup {};
    static_assert(sizeof setup.target.gameFolder == sizeof w.game.folder);
    std::copy(std::begin(w.game.folder), std::end(w.game.folder), setup.target.gameFolder);
    setup.target.source
        = { PTCH_GetInstalledRecord()->distribution, w.editorToolsOffered ? &w.max : nullptr };
    setup.target.keepNewer = w.settings.keepNewer;
    setup.desktopLinks = &w.desktopChoice;
    setup.programLinks = &w.programChoice;
    setup.runProgram = &w.runChoice;
    auto* page = new ProgressPage(create, &setup);
    page->Start();
    return page;
}

c_GUIB_Window* BuildContent(uint32_t page, uint64_t extra1, uint64_t extra2)
{
    Wizard& w = WizardState();
    const int32_t t
        = static_cast<int32_t>(PTCH_GetEnvironment()->Property(GUIB_PROP_SCROLL_BAR_SIZE));
    GUIB_WindowCreate create { 0, PTCH_TITLE_HEIGHT - 1, PTCH_TITLE_WIDTH,
        (PTCH_WINDOW_HEIGHT - t) - PTCH_TITLE_HEIGHT + 2, 0, 0, w.frame, PTCH_GetEnvironment(),
        PTCH_OnEvent, 0 };
    switch (page) {
    case 0:
        return ItemContent(&create, { TextItem(Text(20)), TextItem(Text(21)) });
    case 1:
        return new TextPage(&create, PTCH_TEXT_LICENCE, PTCH_GetLanguageCode());
    case 2:
        return ItemContent(&create,
            { TextItem(Text(120), 1), CheckItem(121, &w.desktopChoice),
                CheckItem(122, &w.programChoice), PageItem {} });
    case 3:
        return ReadyContent(&create);
    case 4:
        return ProgressContent(&create);
    case 5:
        return ItemContent(&create, { TextItem(Text(60)), TextItem(Text(61), 1) });
    case 6:
        return ItemContent(&create, { TextItem(Text(70)) });
    case 8:
        return new TextPage(&create, PTCH_TEXT_NEWS, PTCH_GetLanguageCode());
    case 9:
        return VersionsContent(&create, false);
    case 10:
        return TooOldContent(&create);
    case 11:
        return FailedContent(&create, extra1, extra2);
    case 12:
        return ItemContent(&create, { TextItem(Text(170)) });
    case 13:
        return DiskSpaceContent(&create, extra1, extra2);
    case 14:
        return ItemContent(&create,
            { TextItem(Text(130)), TextItem(Text(131)), TextItem(Text(132)),
                CheckItem(133, &w.runChoice), PageItem {} });
    case 15:
        return EditorToolsContent(&create);
    case 16:
        return VersionsContent(&create, true);
    default:
        return nullptr;
    }
}

// The page's title picture, centred; a page without a picture file shows none.
void SetTitle(c_GUIB_Panel* title, int32_t id)
{
    const char* file = ML_GetStringA(id);
    GUIB_Ref<c_GUIB_Bitmap> picture;
    if (file != nullptr)
        picture = GUIB_Ref<c_GUIB_Bitmap>::Adopt(new c_GUIB_Bitmap(file));
    const GUIB_PictureSetup setup { 0, picture.Get(), GUIB_PM_CENTRE, 0, 0 };
    (void)title->SetPicture(&setup);
}

void SetButtons(const Wizard& w, uint32_t page, const PageLook& look)
{
    for (size_t i = 0; i < std::size(w.buttons); ++i) {
        const int32_t id = look.buttons[i];
        if (id == KEPT)
            continue;
        w.buttons[i]->Show(id != HIDDEN);
        if (id != HIDDEN)
            w.buttons[i]->SetCaption(Text(id));
    }
    if (page == 0)
        w.buttons[2]->Enable(NewsExists());
}

}

void PTCH_ShowPage(uint32_t page, uint64_t extra1, uint64_t extra2)
{
    Wizard& w = WizardState();
    if (page >= PTCH_PAGE_COUNT || LOOKS[page].title == 0 || w.frame == nullptr)
        return;
    if (w.currentPage < PTCH_PAGE_COUNT && w.pages[w.currentPage] != nullptr)
        w.pages[w.currentPage]->Show(false);
    w.currentPage = page;
    const PageLook& look = LOOKS[page];
    SetTitle(w.title, look.title);
    SetButtons(w, page, look);
    w.status->SetCaption(Text(look.status));
    c_GUIB_Window*& content = w.pages[page];
    if (content != nullptr && Rebuilt(page)) {
        content->Close();
        content = nullptr;
    }
    if (content != nullptr) {
        content->Show(true);
        return;
    }
    content = BuildContent(page, extra1, extra2);
    // A copy that fails as it starts has moved on to its result page already.
    if (content != nullptr && w.currentPage != page)
        content->Show(false);
}
