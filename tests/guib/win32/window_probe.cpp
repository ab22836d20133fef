// window_probe FRAME.ppm [close]: a toolkit desktop in a real window for the screen test
// (window_screen_test.sh). It shows three coloured windows, writes its back buffer to FRAME.ppm
// once the first pass presented it, prints "ready X Y" (the client area's screen origin),
// reports the left press and release that reach the window at (60, 150) as "down X Y" and
// "up X Y" in that window's coordinates, and ends with "closed" and status 0 once Pump reports
// the window closed. With "close", it posts WM_CLOSE itself after the release instead of
// waiting for one from outside. Status 2 when nothing closes it within 20 seconds.
#include <windows.h>

#include "guib/guib.h"

#include <cstdio>
#include <string_view>

namespace {

class ColouredWindow : public c_GUIB_Window {
public:
    ColouredWindow(const GUIB_WindowCreate& create, uint32_t colour)
        : c_GUIB_Window(&create)
        , m_colour(colour)
    {
        MarkDirty();
    }

    void Draw() override
    {
        m_surface->SetColour(m_colour);
        m_surface->FillRect(&m_rect);
        // A marker in the corner, so that a shifted screen shows.
        m_surface->SetColour(0xFFFFFFFF);
        GUIB_Rect corner { 0, 0, 3, 2 };
        m_surface->FillRect(&corner);
        Invalidate(&m_rect);
    }

    void OnMouse(uint32_t event, const GUIB_Point* at, uint32_t, const GUIB_Rect*) override
    {
        if (event == GUIB_MOUSE_LDOWN || event == GUIB_MOUSE_LUP) {
            std::printf(
                "%s %d %d\n", event == GUIB_MOUSE_LDOWN ? "down" : "up", int(at->x), int(at->y));
            std::fflush(stdout);
        }
        if (event == GUIB_MOUSE_LUP)
            released = true;
    }

    bool released = false;

private:
    uint32_t m_colour;
};

ColouredWindow* AddWindow(c_GUIB_Desktop* desktop, GUIB_Rect at, uint32_t colour)
{
    GUIB_WindowCreate create {};
    create.x = at.left;
    create.y = at.top;
    create.width = at.right - at.left;
    create.height = at.bottom - at.top;
    create.parent = desktop;
    create.environment = desktop->GetEnvironment();
    return new ColouredWindow(create, colour);
}

bool WriteFrame(const char* path, const c_GUIB_Bitmap* surface)
{
    int32_t width = 0;
    int32_t height = 0;
    surface->GetSize(&width, &height);
    FILE* file = std::fopen(path, "wb");
    if (!file)
        return false;
    std::fprintf(file, "P6\n%d %d\n255\n", int(width), int(height));
    const uint32_t* pixels = surface->GetPixels();
    for (int32_t i = 0; i < width * height; ++i) {
        unsigned char rgb[3] = { static_cast<unsigned char>(pixels[i] >> 16),
            static_cast<unsigned char>(pixels[i] >> 8), static_cast<unsigned char>(pixels[i]) };
        std::fwrite(rgb, 1, 3, file);
    }
    return std::fclose(file) == 0;
}

}

int main(int argc, char** argv)
{
    if (argc < 2)
        return 64;
    bool closeItself = argc > 2 && std::string_view(argv[2]) == "close";
    const GUIB_Options options { 0 };
    c_GUIB_Environment* environment = nullptr;
    if (GUI_Init(&options, &environment) != SYS_OK)
        return 3;
    GUIB_WindowCreate create {};
    create.width = 437;
    create.height = 320;
    create.environment = environment;
    auto* desktop = new c_GUIB_Desktop(&create);
    const GUIB_WindowParams params { 0x80880000, 0, "GUIB_Probe_Class", nullptr, u"probe", 0 };
    if (desktop->SetWindowMode(1, &params) != SYS_OK)
        return 4;
    AddWindow(desktop, { 20, 20, 140, 110 }, 0xFFC03020);
    AddWindow(desktop, { 200, 40, 300, 140 }, 0xFF30A040);
    ColouredWindow* target = AddWindow(desktop, { 60, 150, 260, 270 }, 0xFF2050D0);

    int status = 2;
    bool ready = false;
    bool closePosted = false;
    HWND window = reinterpret_cast<HWND>(desktop->GetWindowHandle());
    for (DWORD start = GetTickCount(); GetTickCount() - start < 20000;) {
        MsgWaitForMultipleObjectsEx(0, nullptr, 1, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
        if (desktop->Pump() == 0) {
            std::printf("closed\n");
            status = 0;
            break;
        }
        if (!ready) {
            if (!WriteFrame(argv[1], desktop->GetSurface()))
                return 5;
            GUIB_Point origin { 0, 0 };
            desktop->ClientToScreen(&origin);
            std::printf("ready %d %d\n", int(origin.x), int(origin.y));
            std::fflush(stdout);
            ready = true;
        }
        if (closeItself && target->released && !closePosted) {
            PostMessageA(window, WM_CLOSE, 0, 0);
            closePosted = true;
        }
    }
    desktop->Drop();
    GUI_Done();
    return status;
}
