// The system side of the desktop's top-level window: both backends define these. Windows makes
// a real window whose procedure hands messages to c_GUIB_Desktop::HandleSystemMessage; POSIX
// makes a headless window that keeps what is presented in memory and queues injected messages.
#pragma once

#include "guib/guib.h"

#include <cstdint>

namespace guib::os {

// Registers the class className (when not registered yet), creates the window centred on the
// screen so that its client area is width × height, sets the caption (wide first, then 8-bit),
// ties it to desktop, shows it without activating it and sets the icon. 0 when the class
// cannot be registered or the window not made.
uintptr_t CreateDesktopWindow(c_GUIB_Desktop* desktop, const char* className, int32_t width,
    int32_t height, const GUIB_WindowParams* params);
// Destroys the window and unregisters its class.
void DestroyDesktopWindow(uintptr_t window, const char* className);
// Unties the window from its desktop: no further message reaches the desktop.
void DetachDesktop(uintptr_t window);
// Copies r of the bitmap to the client area at (x, y).
void PresentBitmap(
    uintptr_t window, const c_GUIB_Bitmap& bitmap, int32_t x, int32_t y, const GUIB_Rect& r);
// The system's mouse capture, so that a drag leaving the window keeps reporting.
void CaptureMouse(uintptr_t window);
void ReleaseMouse();
// Converts a screen point to client coordinates (wheel messages carry screen points).
void ScreenToClient(uintptr_t window, int32_t* x, int32_t* y);
void ClientToScreen(uintptr_t window, int32_t* x, int32_t* y);
// Handles the messages waiting for the window, without waiting for more.
void PumpMessages(uintptr_t window);
// Queues a message for the window; false when the system refuses.
bool PostMessageTo(uintptr_t window, uint32_t message, uintptr_t wParam, intptr_t lParam);
// Reads width × height pixels of what the client area shows; false when they cannot be had.
bool ReadClient(uintptr_t window, uint32_t* pixels, int32_t width, int32_t height);

}
