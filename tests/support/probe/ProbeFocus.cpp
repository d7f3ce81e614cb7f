#include "ProbeCommands.h"
#include "ProbeWindows.h"

#include <cstdio>
#include <cstdlib>

namespace probe {

// Plays the program the user is typing in: a window with an edit field that has the
// foreground and the keyboard focus. After the given time it reports whether it still
// has both, so that a test can tell whether anything took them meanwhile.
int HoldFocus(const Arguments& args) {
    if (args.positional.size() != 1) {
        std::fprintf(stderr, "probe: usage: hold-focus MS\n");
        return kExitFailure;
    }
    const DWORD holdMs = static_cast<DWORD>(std::strtoul(args.positional[0].c_str(), nullptr, 10));
    const HWND window = CreateWindowExA(0, "STATIC", "probe typing", WS_OVERLAPPEDWINDOW | WS_VISIBLE,
                                        400, 300, 300, 120, nullptr, nullptr, nullptr, nullptr);
    const HWND edit = CreateWindowExA(0, "EDIT", "", WS_CHILD | WS_VISIBLE | WS_BORDER, 10, 10, 200,
                                      24, window, nullptr, nullptr, nullptr);
    if (window == nullptr || edit == nullptr) {
        std::fprintf(stderr, "probe: no window\n");
        return kExitFailure;
    }
    SetForegroundWindow(window);
    SetFocus(edit);
    PumpMessagesFor(200);
    std::printf("ready foreground=%d focus=%d\n", GetForegroundWindow() == window ? 1 : 0,
                GetFocus() == edit ? 1 : 0);
    std::fflush(stdout);
    PumpMessagesFor(holdMs);
    const HWND foreground = GetForegroundWindow();
    char title[128] = {};
    if (foreground != nullptr && foreground != window) GetWindowTextA(foreground, title, sizeof title);
    std::printf("foreground=%d focus=%d\n", foreground == window ? 1 : 0, GetFocus() == edit ? 1 : 0);
    if (foreground != window) std::fprintf(stderr, "probe: the foreground is %p \"%s\"\n",
                                          static_cast<void*>(foreground), title);
    DestroyWindow(window);
    return kExitOk;
}

}  // namespace probe
