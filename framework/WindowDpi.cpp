#include "framework/WindowDpi.h"

#include "framework/SystemProc.h"

namespace {

using GetDpiForWindowFunction = UINT(WINAPI*)(HWND);

}  // namespace

int GetWindowDpi(HWND window)
{
    static const auto getDpiForWindow = LookUpProc<GetDpiForWindowFunction>(
        ::GetModuleHandleA("user32.dll"), "GetDpiForWindow");
    if (getDpiForWindow != nullptr) {
        const UINT dpi = getDpiForWindow(window);
        if (dpi != 0)
            return static_cast<int>(dpi);
    }
    HDC screen = ::GetDC(nullptr);
    const int dpi = screen != nullptr ? ::GetDeviceCaps(screen, LOGPIXELSY) : 0;
    if (screen != nullptr)
        ::ReleaseDC(nullptr, screen);
    return dpi;
}
