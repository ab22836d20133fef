// patchkit tour: the installer run in process on a distribution, with the registry in effect,
// clicked through by its default buttons as a person would (the language asked for or the
// first, the licence accepted, the options as they come), the copy let run, and a picture of
// every page it showed. The exit status tells where it ended.
#include "tools/command_support.h"
#include "tools/installer_session.h"
#include "tools/patchkit.h"
#include "tools/preview_pages.h"

#include "patcher/patcher_internal.h"

#include <chrono>
#include <ostream>
#include <thread>

namespace patchkit {

namespace {

using namespace patcher::detail;

// How long the copy of all archives may take before the tour gives up.
constexpr auto COPY_LIMIT = std::chrono::minutes(30);
// More pages than any way through the wizard shows.
constexpr int STEP_LIMIT = 64;

constexpr int FINISHED = 0;
constexpr int REFUSED = 2;
constexpr int FAILED = 3;
constexpr int NOT_ENDED = -1;

// The exit status of an end page, NOT_ENDED for the others.
int EndOf(uint32_t page)
{
    switch (page) {
    case 5:
        return FINISHED;
    case 6:
    case 9:
    case 10:
    case 13:
    case 16:
        return REFUSED;
    case 11:
    case 12:
        return FAILED;
    default:
        return NOT_ENDED;
    }
}

class Tour {
public:
    Tour(const std::filesystem::path& folder, std::ostream& out)
        : m_folder(folder)
        , m_out(out)
    {
    }

    bool Save(c_GUIB_Desktop& desktop, const char* name)
    {
        const std::string number = std::to_string(m_shots++);
        const std::string file = (number.size() < 2 ? "0" + number : number) + "-" + name + ".png";
        m_out << file << '\n';
        return SaveDesktopPicture(desktop, m_folder / file);
    }

    // Clicks button 1 until an end page shows; its exit status, or NOT_ENDED. The clock stands
    // until the copy: the progress page is drawn before its first poll, whatever the speed of
    // the copy.
    int Walk(InstallerSession& session)
    {
        uint32_t shown = PTCH_NO_PAGE;
        for (int step = 0; step < STEP_LIMIT && session.Running(); ++step) {
            const uint32_t page = PTCH_GetCurrentPage();
            if (page != shown && !Save(*session.Desktop(), WizardPageName(page)))
                return NOT_ENDED;
            shown = page;
            if (const int end = EndOf(page); end != NOT_ENDED) {
                session.ClickButton(1, false);
                return end;
            }
            if (page == 4) {
                if (!RunCopy(session))
                    return NOT_ENDED;
            } else {
                session.ClickButton(1, false);
            }
        }
        return NOT_ENDED;
    }

private:
    // Ticks until the progress page gives way; a missing archive is not retried.
    bool RunCopy(InstallerSession& session)
    {
        const auto limit = std::chrono::steady_clock::now() + COPY_LIMIT;
        const auto* progress = dynamic_cast<ProgressPage*>(WizardState().pages[4]);
        while (session.Running() && PTCH_GetCurrentPage() == 4) {
            if (c_GUIB_MessageBox* box = progress != nullptr ? progress->GetRetryBox() : nullptr;
                box != nullptr && box->GetButton(GUIB_MB_CANCEL) != nullptr) {
                if (!Save(*session.Desktop(), "retry"))
                    return false;
                ClickWindow(*session.Desktop(), *box->GetButton(GUIB_MB_CANCEL));
            }
            if (std::chrono::steady_clock::now() > limit)
                return false;
            session.Settle(1, true);
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
        return true;
    }

    std::filesystem::path m_folder;
    std::ostream& m_out;
    int m_shots = 0;
};

}

int TourCommand(const Arguments& arguments, std::ostream& out, std::ostream& err)
{
    std::vector<std::string> positional;
    std::string language;
    for (size_t i = 1; i < arguments.size(); ++i) {
        if (arguments[i] == "--lang" && i + 1 < arguments.size() && language.empty())
            language = arguments[++i];
        else if (arguments[i].rfind("--", 0) == 0)
            return UsageError(err, "tour");
        else
            positional.push_back(arguments[i]);
    }
    if (positional.size() != 2)
        return UsageError(err, "tour");
    const std::filesystem::path distribution = ArgumentPath(positional[0]);
    const std::filesystem::path pages = ArgumentPath(positional[1]);
    std::error_code error;
    if (!std::filesystem::is_regular_file(distribution / "patcher.cbf", error))
        return Fail(err, "no patcher.cbf in " + PathText(distribution));
    std::filesystem::create_directories(pages, error);
    if (!std::filesystem::is_directory(pages, error))
        return Fail(err, "cannot make " + PathText(pages));

    Tour tour(pages, out);
    int end = NOT_ENDED;
    {
        SessionOptions options { distribution, language, true, nullptr };
        options.onLanguageDialog
            = [&tour](c_GUIB_Desktop& desktop) { (void)tour.Save(desktop, "language"); };
        InstallerSession session(options);
        if (session.Launch() != PTCH_LAUNCHED)
            return Fail(err, "the installer did not start");
        session.Start();
        end = tour.Walk(session);
    }
    if (end == NOT_ENDED)
        return Fail(err, "the wizard did not reach an end page");
    return end;
}

}
