// The wizard's pages: for each page number its title picture, the captions of the three
// buttons, its status line and its content, built once or, for the result pages, on every
// visit.
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

PageItem TextItem(const char16_t* text, uint32_t anchor = 0)
{
    return { PTCH_ITEM_TEXT, text, anchor, 0, 0 };
}

PageItem CheckItem(int32_t id, uint32_t* choice)
{
    return { PTCH_ITEM_CHECK_BOX, PageText(id), 0, reinterpret_cast<uintptr_t>(choice), 0 };
}

bool NewsExists()
{
    char path[PTCH_PATH_CAPACITY];
    return PTCH_PageTextPath(PTCH_TEXT_NEWS, PTCH_GetLanguageCode(), path, sizeof path) != 0
        && BF_Exists(path) != 0;
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

c_GUIB_Window* ReadyContent(GUIB_WindowCreate* create)
{
    char16_t folder[BLOCK_CAPACITY];
    (void)SYS_WFormat(
        folder, BLOCK_CAPACITY, u"%s\n%s", PageText(31), WizardState().game.folderWide);
    const PageItem items[]
        = { TextItem(PageText(30), 1), TextItem(folder), TextItem(PageText(32), 1) };
    return ItemContent(create, items);
}

c_GUIB_Window* EditorToolsContent(GUIB_WindowCreate* create)
{
    Wizard& w = WizardState();
    PageItem items[4] = { TextItem(PageText(140)), TextItem(PageText(141)) };
    size_t count = 2;
    if (w.max.max51Found)
        items[count++] = CheckItem(145, &w.max51Choice);
    if (w.max.max60Found)
        items[count++] = CheckItem(146, &w.max60Choice);
    return ItemContent(create, items, count);
}

// The copy starts as soon as its page exists.
c_GUIB_Window* ProgressContent(GUIB_WindowCreate* create)
{
    const ProgressSetup setup = ProgressSetupOf(WizardState());
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
    ResultContent result;
    if (ResultPageContent(page, extra1, extra2, &result))
        return ItemContent(&create, result.items, result.count);
    switch (page) {
    case 0:
        return ItemContent(&create, { TextItem(PageText(20)), TextItem(PageText(21)) });
    case 1:
        return new TextPage(&create, PTCH_TEXT_LICENCE, PTCH_GetLanguageCode());
    case 2:
        return ItemContent(&create,
            { TextItem(PageText(120), 1), CheckItem(121, &w.desktopChoice),
                CheckItem(122, &w.programChoice), PageItem {} });
    case 3:
        return ReadyContent(&create);
    case 4:
        return ProgressContent(&create);
    case 5:
        return ItemContent(&create, { TextItem(PageText(60)), TextItem(PageText(61), 1) });
    case 8:
        return new TextPage(&create, PTCH_TEXT_NEWS, PTCH_GetLanguageCode());
    case 14:
        return ItemContent(&create,
            { TextItem(PageText(130)), TextItem(PageText(131)), TextItem(PageText(132)),
                CheckItem(133, &w.runChoice), PageItem {} });
    case 15:
        return EditorToolsContent(&create);
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
            w.buttons[i]->SetCaption(PageText(id));
    }
    if (page == 0)
        w.buttons[2]->Enable(NewsExists());
}

}

namespace patcher::detail {

ProgressSetup ProgressSetupOf(Wizard& w)
{
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
    return setup;
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
    w.status->SetCaption(PageText(look.status));
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
