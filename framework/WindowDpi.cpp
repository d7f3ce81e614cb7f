#include "framework/WindowDpi.h"

namespace {

using GetDpiForWindowFunction = UINT(WINAPI*)(HWND);

GetDpiForWindowFunction LookUpGetDpiForWindow()
{
    const HMODULE user32 = ::GetModuleHandleA("user32.dll");
    if (user32 == nullptr)
        return nullptr;
    return reinterpret_cast<GetDpiForWindowFunction>(
        reinterpret_cast<void (*)()>(::GetProcAddress(user32, "GetDpiForWindow")));
}

}  // namespace

int GetWindowDpi(HWND window)
{
    static const GetDpiForWindowFunction getDpiForWindow = LookUpGetDpiForWindow();
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
