#include "ProbeWindows.h"

#include "ProbeText.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>

namespace probe {

namespace {

BOOL CALLBACK CollectWindow(HWND window, LPARAM list) {
    reinterpret_cast<std::vector<HWND>*>(list)->push_back(window);
    return TRUE;
}

bool IsDialog(HWND window) { return ClassName(window) == "#32770"; }

bool IsMessageBox(HWND window) {
    if (!IsDialog(window) || !IsWindowVisible(window)) return false;
    const HWND text = ChildById(window, kMessageBoxTextId);
    if (text == nullptr || ClassName(text) != "Static") return false;
    // A dialog's icon static may carry the id -1 as well; a message box text is no icon.
    return (GetWindowLongPtrA(text, GWL_STYLE) & SS_TYPEMASK) != SS_ICON;
}

DWORD ProcessOf(HWND window) {
    DWORD process = 0;
    GetWindowThreadProcessId(window, &process);
    return process;
}

}  // namespace

std::vector<HWND> TopLevelWindows() {
    std::vector<HWND> windows;
    EnumWindows(CollectWindow, reinterpret_cast<LPARAM>(&windows));
    return windows;
}

std::vector<HWND> FindMainWindows() {
    std::vector<HWND> mains;
    for (HWND window : TopLevelWindows()) {
        if (IsDialog(window) && WindowText(window) == "Tidemark" &&
            ChildById(window, kMessageListId) != nullptr)
            mains.push_back(window);
    }
    return mains;
}

HWND FindMainWindow() {
    const std::vector<HWND> mains = FindMainWindows();
    return mains.empty() ? nullptr : mains.front();
}

HWND FindMessageBox() {
    const HWND main = FindMainWindow();
    HWND elsewhere = nullptr;
    for (HWND window : TopLevelWindows()) {
        if (window == main || !IsMessageBox(window)) continue;
        if (main == nullptr || ProcessOf(window) == ProcessOf(main)) return window;
        if (elsewhere == nullptr) elsewhere = window;
    }
    return elsewhere;
}

std::vector<HWND> FindWindowsByTitle(const std::string& title) {
    std::vector<HWND> matches;
    for (HWND window : TopLevelWindows()) {
        if (IsWindowVisible(window) && WindowText(window) == title) matches.push_back(window);
    }
    return matches;
}

bool WaitUntil(unsigned long timeoutMs, const std::function<bool()>& found) {
    const ULONGLONG deadline = GetTickCount64() + timeoutMs;
    for (;;) {
        if (found()) return true;
        if (GetTickCount64() >= deadline) return false;
        Sleep(50);
    }
}

std::vector<HWND> ChildWindows(HWND parent) {
    std::vector<HWND> children;
    for (HWND child = GetWindow(parent, GW_CHILD); child != nullptr;
         child = GetWindow(child, GW_HWNDNEXT))
        children.push_back(child);
    return children;
}

HWND ChildById(HWND parent, int id) {
    // GetDlgItem compares only 16 bits on some systems; compare the whole id here.
    for (HWND child : ChildWindows(parent)) {
        if (static_cast<int>(GetWindowLongPtrA(child, GWLP_ID)) == id) return child;
    }
    return nullptr;
}

std::string FormatHandle(HWND window) {
    char text[32];
    std::snprintf(text, sizeof text, "0x%llx",
                  static_cast<unsigned long long>(reinterpret_cast<std::uintptr_t>(window)));
    return text;
}

HWND ParseHandle(const std::string& text) {
    char* end = nullptr;
    const unsigned long long value = std::strtoull(text.c_str(), &end, 16);
    if (end == text.c_str() || *end != '\0') return nullptr;
    return reinterpret_cast<HWND>(static_cast<std::uintptr_t>(value));
}

void PumpMessagesFor(unsigned long ms) {
    const DWORD start = GetTickCount();
    MSG msg;
    while (GetTickCount() - start < ms) {
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
    }
}

}  // namespace probe
