// The pages of a patch as its installer shows them, rendered for review: every wizard page of
// one language, drawn by the installer's own code in its headless window on a private registry
// and game folder, saved as PNG, and checked for missing texts, texts that do not fit and
// characters without a glyph.
#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

namespace patchkit {

// The name of a wizard page for file names ("start", "licence", ...); "page" for a number
// that names none.
const char* WizardPageName(uint32_t page);

// What the preview needs to know of a distribution before it starts the installer.
struct DistributionFacts {
    uint32_t edition; // installer-data id 423
    std::string gameFolderValue; // text 413: the game key's value naming the game folder
    std::vector<std::string> languages; // codes of the language files, in the scan's order
};
// Reads patcher.cbf of the distribution folder. False with a reason when it does not mount or
// its installer data does not load.
bool ReadDistribution(
    const std::filesystem::path& distribution, DistributionFacts* facts, std::string* reason);

// One preview page: its file name (NN-name) and what was found on it.
struct RenderedPage {
    std::string file;
    std::vector<std::string> findings;
};
// Sees each page's picture as it is written: its file name (NN-name) and its pixels.
using PageObserver = std::function<void(
    const std::string& file, const std::vector<uint32_t>& pixels, int32_t width, int32_t height)>;

// The pages of one language, in the preview's order, written as OUT_DIR/<code>/<file>.png. The
// language dialog is left out when the distribution has only one language (the installer shows
// none then). False with a reason when the installer does not start or a picture cannot be
// written.
bool RenderLanguage(const std::filesystem::path& distribution, const DistributionFacts& facts,
    const std::string& code, const std::filesystem::path& folder, std::vector<RenderedPage>* pages,
    std::string* reason, const PageObserver& observer = {});

// The names of the preview's pages in order (NN-name, without ".png").
std::vector<std::string> PreviewPageFiles();

}
