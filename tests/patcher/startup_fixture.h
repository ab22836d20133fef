// The tests' hold on the installer's start: a distribution folder with a "patcher.cbf" built
// from named members, a temporary folder of the test's own for the staged copy, the start's
// system calls replaced (messages and load errors caught instead of shown, a lock of a name no
// other run uses, no waits, a language dialog that answers as told) and a full shutdown after
// every test.
#pragma once

#include "tests/patcher/patcher_fixture.h"
#include "tests/support/scoped_environment.h"

#include <map>
#include <optional>
#include <utility>

namespace test {

// One message box of the start: caption and text.
using Message = std::pair<std::string, std::string>;

class StartupFixture : public PatcherFixture {
protected:
    void SetUp() override;
    void TearDown() override;

    // Writes "patcher.cbf" into the distribution folder with the members (name, text).
    void WriteInstallerArchive(const std::map<std::string, std::string>& members);
    // The minimal installer data and one language file per code, with its font when fonts is set.
    std::map<std::string, std::string> Distribution(
        const std::vector<std::string>& codes, bool fonts = true) const;
    // A distribution the wizard can run: Distribution({ "ENG" }) whose installer data names the
    // game folder value "Install Path" and the program "game.exe" and ends with data, with every
    // text a page shows as its id in words ("T20") and a licence.
    std::map<std::string, std::string> WizardDistribution(const std::string& data) const;
    // The distribution folder, and a command line naming the program in it.
    std::string DistributionFolder() const;
    std::string CommandLine() const;
    // PTCH_ReadCommandLine with CommandLine(), then PTCH_Init.
    int Init();
    // What the temporary folder holds now (the staged copy while the installer runs).
    std::vector<std::string> Staged() const;

    // The name of the single-instance lock the start takes in this test.
    static std::string TestLockName();

    patcher::detail::StartupCalls m_startup {};
    std::unique_ptr<ScopedEnvironment> m_tmp;
    std::unique_ptr<ScopedEnvironment> m_windowsTmp;
    std::unique_ptr<ScopedEnvironment> m_runtime; // where the lock file goes (POSIX)
};

// What the stand-ins saw and will answer; reset by SetUp.
struct StartupRecord {
    std::vector<Message> messages;
    std::vector<std::string> loadErrors;
    std::vector<std::vector<uint32_t>> dialogs; // the rows of each language dialog shown
    std::optional<uint32_t> dialogAnswer; // the row confirmed; none: the user quits
    std::vector<std::string> broughtForward;
};
StartupRecord& Seen();

// A font file of the test font's glyphs; version replaces the header's version number.
std::vector<uint8_t> FontFile(uint32_t version = GUIB_FONT_VERSION);
std::string AsText(const std::vector<uint8_t>& bytes);

}
