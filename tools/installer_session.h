// An installer run inside patchkit: the program's own start (PTCH_Launch, the language dialog,
// PTCH_Start) on a distribution folder with the headless window, pumped on a clock of its own,
// clicked as the mouse clicks, and what its window shows saved as PNG. The installer's state
// is process-wide, so one session lives at a time; sessions run one after another.
#pragma once

#include "guib/guib.h"

#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

namespace patchkit {

struct SessionOptions {
    std::filesystem::path distribution; // the folder holding patcher.cbf
    std::string language; // the code picked in the language dialog; empty: the first row
    bool instanceLock = true; // take the installer's single-instance lock, as the program does
    // Called while the language dialog shows, once its language is picked and drawn.
    std::function<void(c_GUIB_Desktop&)> onLanguageDialog;
};

class InstallerSession {
public:
    explicit InstallerSession(SessionOptions options);
    // Shuts the installer down when it was launched; restores the clock and the start's calls.
    ~InstallerSession();
    InstallerSession(const InstallerSession&) = delete;
    InstallerSession& operator=(const InstallerSession&) = delete;

    // PTCH_Launch with a program path in the distribution folder: PTCH_LAUNCHED when the
    // installer's window is up, else the start's answer.
    int Launch();
    // PTCH_Start, then a few passes.
    void Start();
    bool Running() const;
    c_GUIB_Desktop* Desktop() const;

    // Pump passes; with tick, the clock moves on by more than the tick interval before each,
    // so that every pass ticks (the progress page polls the copy on ticks). Without, the clock
    // stands and no tick is ever sent: what is drawn does not depend on time.
    void Settle(int passes, bool tick);
    // A press and release of the left button at (x, y) of the installer's window, posted as the
    // system posts them, then the pointer moved to an empty spot so no hover stays behind.
    void Click(int32_t x, int32_t y, bool tick);
    // The wizard's button 1 (bottom), 2 or 3 (top).
    void ClickButton(int button, bool tick);

    // The installer window's picture as an 8-bit RGBA PNG.
    bool SavePicture(const std::filesystem::path& path) const;

private:
    SessionOptions m_options;
    bool m_launched = false;
};

// Helpers shared by the session and its callers, for any desktop of the installer.
// Pump passes without ticks.
void SettleDesktop(c_GUIB_Desktop& desktop, int passes);
// A left click at (x, y) of the desktop's window, handled by one pass.
void ClickDesktop(c_GUIB_Desktop& desktop, int32_t x, int32_t y);
// A click on the middle of a window (a control of the desktop).
void ClickWindow(c_GUIB_Desktop& desktop, c_GUIB_Window& window);
// What the desktop's window shows, width × height pixels, every one opaque: read back from the
// window where the system gives it (a real window), else the surface the window presents.
// Empty without a surface.
std::vector<uint32_t> DesktopPixels(const c_GUIB_Desktop& desktop, int32_t* width, int32_t* height);
// Those pixels as an 8-bit RGBA PNG.
bool SaveDesktopPicture(const c_GUIB_Desktop& desktop, const std::filesystem::path& path);

}
