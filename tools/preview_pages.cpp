// The preview's walk through one language's pages. The installer starts on a private folder
// holding only a copy of patcher.cbf, so no patch archive is found (the progress page asks for
// a retry) and nothing of the user's is read or written; the registry is held in memory with
// the game installed in a throwaway folder. Pages are reached through the wizard's own
// PTCH_ShowPage, and the clock never moves, so no tick changes what a page shows.
#include "tools/preview_pages.h"

#include "bigfile/bigfile.h"
#include "ml/ml.h"
#include "patcher/patcher_internal.h"
#include "tools/installer_session.h"
#include "tools/language_code_page.h"
#include "tools/memory_registry.h"
#include "tools/mounted_archive.h"
#include "tools/page_checks.h"
#include "tools/png/portable_png.h"

#include <chrono>
#include <fstream>
#include <random>

namespace patchkit {

namespace {

using namespace patcher::detail;

constexpr uint32_t LANGUAGE_DIALOG = 100;
constexpr uint32_t RETRY_BOX = 101;

struct PreviewPage {
    const char* name;
    uint32_t page;
    std::vector<int32_t> texts; // the language's text ids the page shows
};

// Buttons and status line first, then the content's texts.
const std::vector<PreviewPage>& Pages()
{
    static const std::vector<PreviewPage> pages {
        { "language", LANGUAGE_DIALOG, {} },
        { "start", 0, { 13, 16, 19, 29, 20, 21 } },
        { "news", 8, { 18, 89, 80 } },
        { "licence", 1, { 11, 14, 49, 40 } },
        { "shortcuts", 2, { 13, 14, 129, 120, 121, 122 } },
        { "run-program", 14, { 13, 14, 139, 130, 131, 132, 133 } },
        { "editor-tools", 15, { 13, 14, 149, 140, 141, 145, 146 } },
        { "ready", 3, { 10, 14, 39, 30, 31, 32 } },
        { "copy", 4, { 119, 110, 111 } },
        { "retry", RETRY_BOX, { PTCH_TEXT_RETRY_TITLE, PTCH_ID_ARCHIVE_COUNT + 1 } },
        { "finished", 5, { 16, 17, 69, 60, 61 } },
        { "failed", 11, { 16, 199, 190, PTCH_TEXT_CANNOT_WRITE } },
        { "cancelled", 12, { 16, 179, 170 } },
        { "not-installed", 6, { 16, 79, 70 } },
        { "newer-installed", 9, { 16, 99, 90, 91, 92, 94, 95, 96 } },
        { "too-old", 10, { 16, 109, 100, 101, 102, 104, 105, 106 } },
        { "no-space", 13, { 16, 189, 180, 181, 182 } },
        { "editor-too-new", 16, { 16, 99, 90, 91, 92, 94, 95, 96, 97 } },
    };
    return pages;
}

std::string FileOf(size_t index)
{
    const std::string number = std::to_string(index);
    return (index < 10 ? "0" + number : number) + "-" + Pages()[index].name;
}

// A folder of its own below the system's temporary folder, removed with everything in it.
class ScratchFolder {
public:
    ScratchFolder()
    {
        std::random_device random;
        const auto stamp = std::chrono::steady_clock::now().time_since_epoch().count();
        m_path = std::filesystem::temp_directory_path()
            / ("patchkit-preview-" + std::to_string(stamp) + "-" + std::to_string(random()));
        std::filesystem::create_directories(m_path / "dist");
        std::filesystem::create_directories(m_path / "game");
        std::filesystem::create_directories(m_path / "max6");
    }
    ~ScratchFolder()
    {
        std::error_code error;
        std::filesystem::remove_all(m_path, error);
    }
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;
    const std::filesystem::path& Path() const { return m_path; }

private:
    std::filesystem::path m_path;
};

// The installed game as the registry tells it: its folder, and 3ds Max 6.0 so that the editor
// tools page shows a check box. The game folder is only shown (the preview's patch archive has
// no file to copy), so it is the same example on every system and every run, and the pages are
// drawn alike.
void InstallGame(
    MemoryRegistry& registry, const DistributionFacts& facts, const ScratchFolder& scratch)
{
    registry.SetString(GetGameKeyPath(facts.edition), facts.gameFolderValue, "C:\\Games\\Game\\");
    registry.SetString(
        "SOFTWARE\\Autodesk\\3DSMAX\\6.0", "Installdir", (scratch.Path() / "max6").string());
}

// A patch archive 1 without files in the start folder, so that a retry finds it.
bool WriteEmptyPatch()
{
    char16_t path[PTCH_PATH_CAPACITY];
    char folder[PTCH_PATH_CAPACITY];
    BF_ArchiveWriter writer;
    return GetPatchArchivePath(1, path, PTCH_PATH_CAPACITY, folder, sizeof folder) != 0
        && writer.Open(path, 0, 0) && writer.Add("preview.txt", "preview", 7, BF_METHOD_STORED)
        && writer.Finish();
}

// The characters of a licence or news file that the page's font lacks.
void CheckPageText(uint32_t kind, GlyphGaps& gaps)
{
    c_GUIB_Window* content = WizardState().pages[kind == PTCH_TEXT_LICENCE ? 1 : 8];
    char path[PTCH_PATH_CAPACITY];
    c_GUIB_Font* font = nullptr;
    if (content == nullptr
        || PTCH_PageTextPath(kind, PTCH_GetLanguageCode(), path, sizeof path) == 0
        || content->GetFont(0, &font) != SYS_OK)
        return;
    const auto held = GUIB_Ref<c_GUIB_Font>::Adopt(font);
    const SYS_Block<char[]> text = PTCH_ReadPageText(kind, path);
    std::u16string wide;
    for (const char* c = text.get(); c != nullptr && *c != 0; ++c)
        wide.push_back(static_cast<unsigned char>(*c));
    gaps.Check(*font, wide, path);
}

// A font of a page by its file: the language's font once the language is chosen; before, the
// interface font made from the system's.
std::string FontName(const c_GUIB_Font& font, const std::string& code)
{
    uintptr_t value = 0;
    if (PTCH_GetEnvironment() == nullptr
        || PTCH_GetEnvironment()->GetProperty(GUIB_PROP_DEFAULT_FONT, &value) != SYS_OK)
        return "the interface font";
    const auto languageFont = GUIB_Ref<c_GUIB_Font>::Adopt(reinterpret_cast<c_GUIB_Font*>(value));
    char path[PTCH_PATH_CAPACITY];
    if (languageFont.Get() == &font && PTCH_IsRunning()
        && LanguageFilePath(path, sizeof path, code.c_str(), "fnt"))
        return path;
    return "the interface font";
}

class LanguageWalk {
public:
    LanguageWalk(const std::string& code, const std::filesystem::path& folder,
        std::vector<RenderedPage>* pages, const PageObserver& observer)
        : m_code(code)
        , m_folder(folder)
        , m_pages(pages)
        , m_observer(observer)
    {
        m_pages->assign(Pages().size(), {});
    }

    // The page's findings and picture; gaps may hold what a text of the page beside the
    // windows' captions lacks.
    bool Save(size_t index, c_GUIB_Desktop& desktop, GlyphGaps gaps)
    {
        RenderedPage& rendered = (*m_pages)[index];
        rendered.file = FileOf(index);
        for (int32_t id : MissingTexts(Pages()[index].texts))
            rendered.findings.push_back("text " + std::to_string(id) + " missing");
        for (std::string& finding : WindowFindings(desktop, gaps))
            rendered.findings.push_back(std::move(finding));
        for (std::string& finding :
            gaps.Findings([this](const c_GUIB_Font& font) { return FontName(font, m_code); }))
            rendered.findings.push_back(std::move(finding));
        int32_t width = 0;
        int32_t height = 0;
        const std::vector<uint32_t> pixels = DesktopPixels(desktop, &width, &height);
        if (m_observer && !pixels.empty())
            m_observer(rendered.file, pixels, width, height);
        if (!pixels.empty()
            && portable_png::WritePng(
                m_folder / (rendered.file + ".png"), pixels.data(), width, height, width))
            return true;
        m_failed = "cannot write " + (m_folder / (rendered.file + ".png")).string();
        return false;
    }
    bool Save(size_t index, c_GUIB_Desktop& desktop)
    {
        return Save(index, desktop, GlyphGaps(LanguageCodePage(m_code)));
    }
    bool Show(InstallerSession& session, size_t index, uint64_t extra1 = 0, uint64_t extra2 = 0)
    {
        const uint32_t page = Pages()[index].page;
        PTCH_ShowPage(page, extra1, extra2);
        session.Settle(3, false);
        GlyphGaps gaps(LanguageCodePage(m_code));
        if (page == 1 || page == 8)
            CheckPageText(page == 1 ? PTCH_TEXT_LICENCE : PTCH_TEXT_NEWS, gaps);
        return Save(index, *session.Desktop(), std::move(gaps));
    }
    // The progress page finds no archive and asks; the retry then finds an empty one.
    bool CopyAndRetry(InstallerSession& session, size_t copy, size_t retry)
    {
        PTCH_ShowPage(4);
        session.Settle(3, false);
        const auto* progress = dynamic_cast<ProgressPage*>(WizardState().pages[4]);
        c_GUIB_MessageBox* box = progress != nullptr ? progress->GetRetryBox() : nullptr;
        if (!Save(retry, *session.Desktop()))
            return false;
        if (box == nullptr || box->GetButton(GUIB_MB_OK) == nullptr || !WriteEmptyPatch()) {
            (*m_pages)[retry].findings.push_back("the retry box did not show");
            return Save(copy, *session.Desktop());
        }
        ClickWindow(*session.Desktop(), *box->GetButton(GUIB_MB_OK));
        session.Settle(3, false);
        return Save(copy, *session.Desktop());
    }
    const std::string& Failure() const { return m_failed; }

private:
    std::string m_code;
    std::filesystem::path m_folder;
    std::vector<RenderedPage>* m_pages;
    const PageObserver& m_observer;
    std::string m_failed;
};

bool Walk(InstallerSession& session, LanguageWalk& walk)
{
    const std::u16string error
        = std::u16string(ML_GetStringW(PTCH_TEXT_CANNOT_WRITE)) + u"\nDATA\\EXAMPLE.DAT";
    constexpr uint64_t MIB = uint64_t { 1 } << 20;
    for (size_t i = 1; i < Pages().size(); ++i) {
        const uint32_t page = Pages()[i].page;
        bool saved = true;
        if (page == 4)
            saved = walk.CopyAndRetry(session, i, i + 1);
        else if (page == 11)
            saved = walk.Show(session, i, reinterpret_cast<uintptr_t>(error.c_str()));
        else if (page == 13)
            saved = walk.Show(session, i, 700 * MIB, 1536 * MIB);
        else if (page != RETRY_BOX)
            saved = walk.Show(session, i);
        if (!saved)
            return false;
    }
    return true;
}

}

const char* WizardPageName(uint32_t page)
{
    for (const PreviewPage& preview : Pages())
        if (preview.page == page)
            return preview.name;
    return "page";
}

std::vector<std::string> PreviewPageFiles()
{
    std::vector<std::string> files;
    for (size_t i = 0; i < Pages().size(); ++i)
        files.push_back(FileOf(i));
    return files;
}

bool ReadDistribution(
    const std::filesystem::path& distribution, DistributionFacts* facts, std::string* reason)
{
    MountedArchive archive;
    if (!archive.Mount(distribution / "patcher.cbf", reason))
        return false;
    const ML_Request request { "ENG", "patcher.txt" };
    if (ML_LoadInstallerData(&request) == 0) {
        ML_Free();
        *reason = "patcher.cbf holds no readable patcher.txt";
        return false;
    }
    facts->edition = PTCH_GetGameEdition();
    facts->gameFolderValue = ML_GetStringA(PTCH_ID_GAME_FOLDER_VALUE);
    std::vector<uint32_t> rows;
    (void)ScanLanguageFiles(&rows);
    facts->languages.clear();
    for (uint32_t row : rows)
        facts->languages.emplace_back(PTCH_LANGUAGES[row].code);
    ML_Free();
    return true;
}

bool RenderLanguage(const std::filesystem::path& distribution, const DistributionFacts& facts,
    const std::string& code, const std::filesystem::path& folder, std::vector<RenderedPage>* pages,
    std::string* reason, const PageObserver& observer)
{
    ScratchFolder scratch;
    std::error_code error;
    std::filesystem::copy_file(
        distribution / "patcher.cbf", scratch.Path() / "dist" / "patcher.cbf", error);
    std::filesystem::create_directories(folder, error);
    MemoryRegistry registry;
    InstallGame(registry, facts, scratch);
    LanguageWalk walk(code, folder, pages, observer);
    SessionOptions options { scratch.Path() / "dist", code, false, nullptr };
    options.onLanguageDialog = [&walk](c_GUIB_Desktop& desktop) { (void)walk.Save(0, desktop); };
    InstallerSession session(options);
    if (session.Launch() != PTCH_LAUNCHED) {
        *reason = "the installer did not start in language " + code;
        return false;
    }
    session.Start();
    if (!Walk(session, walk)) {
        *reason = walk.Failure();
        return false;
    }
    return true;
}

}
