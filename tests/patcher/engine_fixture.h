// The fixture of the patch engine's tests: a start folder holding the patch archives, a game
// folder, the texts the engine reports failures with, an engine, and a poll loop that runs the
// engine to its end the way the progress page does.
#pragma once

#include "bigfile/bigfile.h"
#include "tests/patcher/patcher_fixture.h"
#include "tests/support/archive_builder.h"

#include <filesystem>
#include <string>
#include <vector>

namespace test {

class EngineFixture : public PatcherFixture {
protected:
    InstallLibSession m_installLib;

    void SetUp() override;
    void TearDown() override;

    // Writes archive n (0: the only one, "patch.cbf"; else "patchNN.cbf") in the start folder.
    void WriteArchive(uint32_t n, const std::vector<ArchiveMember>& members);
    static ArchiveMember Lzw(const std::string& name, const std::vector<uint8_t>& data);

    // Initialises the engine for the game folder and starts archive 1 (or the current one).
    int Start();
    // Polls until the result is no longer Running (1 ms apart, a bounded number of times);
    // every totalBar seen goes to m_totalBars.
    PatchProgress RunToEnd();
    std::filesystem::path Game(const std::string& relative = "") const;
    std::vector<uint8_t> Contents(const std::filesystem::path& path) const;
    // The replacement temporaries left anywhere below the test's folder.
    std::vector<std::string> Temporaries() const;
    std::string ErrorText() const { return Narrow(m_engine.errorText); }

    PatchTarget m_target {};
    PatchEngine m_engine {};
    bool m_engineReady = false;
    std::vector<int32_t> m_totalBars;
};

}
