// The desktop's window without a display: what is presented lands in an in-memory frame of the
// client area's size, and input arrives as system messages posted into a queue that the pump
// hands to the desktop the way a window procedure would. The handle is the object's address.
#include "guib/os_window.h"

#include <deque>
#include <new>
#include <vector>

namespace {

// Messages a handler posts while the queue drains are taken in the same pass, as the system's
// message loop takes them, but one pass handles at most this many, so that a handler that
// posts on every message cannot hold the pump; the rest wait for the next pass.
constexpr size_t kMessagesPerPass = 1024;

struct QueuedMessage {
    uint32_t message;
    uintptr_t wParam;
    intptr_t lParam;
};

struct HeadlessWindow {
    c_GUIB_Desktop* desktop; // null once untied
    std::vector<uint32_t> pixels;
    GUIB_Frame frame;
    std::deque<QueuedMessage> queue;
};

HeadlessWindow* Headless(uintptr_t window)
{
    return reinterpret_cast<HeadlessWindow*>(window);
}

}

uintptr_t guib::os::CreateDesktopWindow(
    c_GUIB_Desktop* desktop, const char*, int32_t width, int32_t height, const GUIB_WindowParams*)
{
    if (width < 0 || height < 0)
        return 0;
    try {
        auto* window = new HeadlessWindow { desktop, {}, {}, {} };
        window->pixels.assign(size_t(width) * size_t(height), 0);
        window->frame = GUIB_Frame { window->pixels.data(), width, height };
        return reinterpret_cast<uintptr_t>(window);
    } catch (const std::bad_alloc&) {
        return 0;
    }
}

void guib::os::DestroyDesktopWindow(uintptr_t window, const char*)
{
    delete Headless(window);
}

void guib::os::DetachDesktop(uintptr_t window)
{
    if (HeadlessWindow* headless = Headless(window)) {
        headless->desktop = nullptr;
        headless->queue.clear();
    }
}

void guib::os::PresentBitmap(
    uintptr_t window, const c_GUIB_Bitmap& bitmap, int32_t x, int32_t y, const GUIB_Rect& r)
{
    if (HeadlessWindow* headless = Headless(window))
        bitmap.PaintToDC(reinterpret_cast<uintptr_t>(&headless->frame), x, y, &r);
}

// Without a display there is no pointer to hold.
void guib::os::CaptureMouse(uintptr_t)
{
}

void guib::os::ReleaseMouse()
{
}

// The headless screen's origin is the client area's.
void guib::os::ScreenToClient(uintptr_t, int32_t*, int32_t*)
{
}

void guib::os::ClientToScreen(uintptr_t, int32_t*, int32_t*)
{
}

void guib::os::PumpMessages(uintptr_t window)
{
    HeadlessWindow* headless = Headless(window);
    if (!headless)
        return;
    size_t budget = kMessagesPerPass;
    while (budget > 0 && headless->desktop && !headless->queue.empty()) {
        QueuedMessage next = headless->queue.front();
        headless->queue.pop_front();
        --budget;
        // A close unties the window before the desktop hears of it, as the window procedure
        // does: nothing after it reaches the desktop.
        c_GUIB_Desktop* desktop = headless->desktop;
        if (next.message == GUIB_WM_CLOSE)
            DetachDesktop(window);
        desktop->HandleSystemMessage(next.message, next.wParam, next.lParam);
    }
}

bool guib::os::PostMessageTo(uintptr_t window, uint32_t message, uintptr_t wParam, intptr_t lParam)
{
    HeadlessWindow* headless = Headless(window);
    if (!headless || !headless->desktop)
        return false;
    try {
        headless->queue.push_back(QueuedMessage { message, wParam, lParam });
        return true;
    } catch (const std::bad_alloc&) {
        return false;
    }
}

// The frame as the screen shows it: opaque, whatever alpha the presented bitmap carried.
bool guib::os::ReadClient(uintptr_t window, uint32_t* pixels, int32_t width, int32_t height)
{
    HeadlessWindow* headless = Headless(window);
    if (!headless || width != headless->frame.width || height != headless->frame.height)
        return false;
    for (size_t i = 0; i < headless->pixels.size(); ++i)
        pixels[i] = headless->pixels[i] | 0xFF000000u;
    return true;
}
