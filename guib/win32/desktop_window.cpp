// The desktop's top-level window on Windows: a window class of its own whose procedure hands
// every message to the desktop, a back buffer copied in with GDI, and the system's capture.
#include <windows.h>

#include "guib/os_window.h"
#include "platform/platform.h"

#include <cstring>

static_assert(sizeof(wchar_t) == sizeof(char16_t), "wide captions go to the system unconverted");

namespace {

constexpr char16_t kDefaultCaption[] = u"KVX's GUI desktop";

// Messages posted while the loop runs are taken in the same pass, but one pass handles at most
// this many, so that a handler that posts on every message cannot hold the pump; the rest
// wait for the next pass.
constexpr int kMessagesPerPass = 1024;

HWND Handle(uintptr_t window)
{
    return reinterpret_cast<HWND>(window);
}

c_GUIB_Desktop* DesktopOf(HWND window)
{
    return reinterpret_cast<c_GUIB_Desktop*>(GetWindowLongPtrA(window, GWLP_USERDATA));
}

const wchar_t* Wide(const char16_t* text)
{
    return reinterpret_cast<const wchar_t*>(text);
}

// The 8-bit form of a wide caption, units above 0xFF as "?", for a system that refuses the
// wide one.
void SetNarrowedCaption(HWND window, const char16_t* caption)
{
    size_t capacity = SYS_WStrLen(caption) + 1;
    auto narrow = SYS_AllocArray<char>(capacity, "Window caption", SYS_TAG_GUIB);
    if (!narrow)
        return;
    SYS_WStrToStr(narrow.get(), capacity, caption);
    SetWindowTextA(window, narrow.get());
}

// The wide caption is preferred; an 8-bit caption is widened byte by byte and set in its own
// form only when the wide call fails.
void SetCaption(HWND window, const GUIB_WindowParams* params)
{
    if (!params) {
        if (!SetWindowTextW(window, Wide(kDefaultCaption)))
            SetNarrowedCaption(window, kDefaultCaption);
        return;
    }
    if (params->wideCaption) {
        if (!SetWindowTextW(window, Wide(params->wideCaption)))
            SetNarrowedCaption(window, params->wideCaption);
        return;
    }
    const char* caption = params->caption ? params->caption : "";
    size_t capacity = SYS_StrLen(caption) + 1;
    auto wide = SYS_AllocArray<char16_t>(capacity, "Window caption", SYS_TAG_GUIB);
    if (wide) {
        SYS_StrToWStr(wide.get(), capacity, caption);
        if (SetWindowTextW(window, Wide(wide.get())))
            return;
    }
    SetWindowTextA(window, caption);
}

// Makes the client area exactly width × height: the frame's share of the outer size is added
// and the window centred again.
void FitClientArea(
    HWND window, int32_t width, int32_t height, int32_t screenWidth, int32_t screenHeight)
{
    RECT client;
    if (!GetClientRect(window, &client))
        return;
    int32_t clientWidth = client.right - client.left;
    int32_t clientHeight = client.bottom - client.top;
    if (clientWidth == width && clientHeight == height)
        return;
    int32_t outerWidth = 2 * width - clientWidth;
    int32_t outerHeight = 2 * height - clientHeight;
    SetWindowPos(window, nullptr, (screenWidth - outerWidth) / 2, (screenHeight - outerHeight) / 2,
        outerWidth, outerHeight, 0);
}

// The back buffer is complete, so a paint only copies the exposed part of it; nothing is
// composed again.
void Paint(HWND window, c_GUIB_Desktop* desktop)
{
    RECT update;
    if (!GetUpdateRect(window, &update, FALSE))
        return;
    PAINTSTRUCT paint;
    BeginPaint(window, &paint);
    int32_t x = 0;
    int32_t y = 0;
    desktop->GetPosition(&x, &y);
    GUIB_Rect r { update.left - x, update.top - y, update.right - x, update.bottom - y };
    desktop->Present(&r);
    EndPaint(window, &paint);
}

LRESULT CALLBACK GUIB_DesktopWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    c_GUIB_Desktop* desktop = DesktopOf(window);
    if (!desktop)
        return DefWindowProcA(window, message, wParam, lParam);
    if (message == WM_PAINT) {
        Paint(window, desktop);
        return 1;
    }
    // Untied first, so that nothing the default procedure sends while destroying the window
    // reaches the desktop.
    if (message == WM_CLOSE)
        guib::os::DetachDesktop(reinterpret_cast<uintptr_t>(window));
    intptr_t answer = desktop->HandleSystemMessage(message, wParam, lParam);
    if (answer != 0)
        return answer;
    return DefWindowProcA(window, message, wParam, lParam);
}

}

uintptr_t guib::os::CreateDesktopWindow(c_GUIB_Desktop* desktop, const char* className,
    int32_t width, int32_t height, const GUIB_WindowParams* params)
{
    HINSTANCE instance = GetModuleHandleA(nullptr);
    int32_t screenWidth = GetSystemMetrics(SM_CXSCREEN);
    int32_t screenHeight = GetSystemMetrics(SM_CYSCREEN);
    DWORD style = params ? params->style : 0x00CA0000;
    DWORD exStyle = params ? params->exStyle : 0;

    WNDCLASSA windowClass {};
    windowClass.style = CS_VREDRAW | CS_HREDRAW | CS_DBLCLKS;
    windowClass.lpfnWndProc = GUIB_DesktopWndProc;
    windowClass.hInstance = instance;
    windowClass.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    windowClass.lpszClassName = className;
    if (!RegisterClassA(&windowClass) && GetLastError() != ERROR_CLASS_ALREADY_EXISTS)
        return 0;

    HWND window = CreateWindowExA(exStyle, className, nullptr, style, (screenWidth - width) / 2,
        (screenHeight - height) / 2, width, height, nullptr, nullptr, instance, nullptr);
    if (!window) {
        UnregisterClassA(className, instance);
        return 0;
    }
    SetCaption(window, params);
    FitClientArea(window, width, height, screenWidth, screenHeight);
    SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(desktop));
    EnableWindow(window, TRUE);
    ShowWindow(window, SW_SHOWNA);
    if (params && params->icon) {
        SendMessageA(window, WM_SETICON, ICON_SMALL, static_cast<LPARAM>(params->icon));
        SendMessageA(window, WM_SETICON, ICON_BIG, static_cast<LPARAM>(params->icon));
    }
    return reinterpret_cast<uintptr_t>(window);
}

void guib::os::DestroyDesktopWindow(uintptr_t window, const char* className)
{
    if (window)
        DestroyWindow(Handle(window));
    if (className)
        UnregisterClassA(className, GetModuleHandleA(nullptr));
}

void guib::os::DetachDesktop(uintptr_t window)
{
    SetWindowLongPtrA(Handle(window), GWLP_USERDATA, 0);
}

void guib::os::PresentBitmap(
    uintptr_t window, const c_GUIB_Bitmap& bitmap, int32_t x, int32_t y, const GUIB_Rect& r)
{
    HDC dc = GetDC(Handle(window));
    if (!dc)
        return;
    bitmap.PaintToDC(reinterpret_cast<uintptr_t>(dc), x, y, &r);
    ReleaseDC(Handle(window), dc);
}

void guib::os::CaptureMouse(uintptr_t window)
{
    SetCapture(Handle(window));
}

void guib::os::ReleaseMouse()
{
    ReleaseCapture();
}

void guib::os::ScreenToClient(uintptr_t window, int32_t* x, int32_t* y)
{
    POINT p { *x, *y };
    ::ScreenToClient(Handle(window), &p);
    *x = p.x;
    *y = p.y;
}

void guib::os::ClientToScreen(uintptr_t window, int32_t* x, int32_t* y)
{
    POINT p { *x, *y };
    ::ClientToScreen(Handle(window), &p);
    *x = p.x;
    *y = p.y;
}

void guib::os::PumpMessages(uintptr_t window)
{
    MSG message;
    for (int handled = 0;
         handled < kMessagesPerPass && PeekMessageA(&message, Handle(window), 0, 0, PM_REMOVE);
         ++handled) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
}

bool guib::os::PostMessageTo(uintptr_t window, uint32_t message, uintptr_t wParam, intptr_t lParam)
{
    return PostMessageA(Handle(window), message, wParam, lParam) != 0;
}

// The client area is copied from the window's device context into a top-down 32-bit DIB
// section. The screen keeps no alpha, so every pixel read is opaque.
bool guib::os::ReadClient(uintptr_t window, uint32_t* pixels, int32_t width, int32_t height)
{
    if (width <= 0 || height <= 0)
        return false;
    HDC windowDc = GetDC(Handle(window));
    if (!windowDc)
        return false;
    bool read = false;
    BITMAPINFO info {};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height; // top-down
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    HDC memoryDc = CreateCompatibleDC(windowDc);
    HBITMAP section = CreateDIBSection(windowDc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (memoryDc && section && bits) {
        HGDIOBJ old = SelectObject(memoryDc, section);
        if (BitBlt(memoryDc, 0, 0, width, height, windowDc, 0, 0, SRCCOPY)) {
            GdiFlush();
            const auto* from = static_cast<const uint32_t*>(bits);
            size_t count = size_t(width) * size_t(height);
            for (size_t i = 0; i < count; ++i)
                pixels[i] = from[i] | 0xFF000000u;
            read = true;
        }
        SelectObject(memoryDc, old);
    }
    if (section)
        DeleteObject(section);
    if (memoryDc)
        DeleteDC(memoryDc);
    ReleaseDC(Handle(window), windowDc);
    return read;
}
