#pragma once

// Helpers shared by the framework tests: a plain window whose own procedure records what
// reaches it, and a message pump with a safety limit.

#include <vector>

#include "framework/Afx.h"

namespace fwtest {

// What reached a window's own procedure (the procedure a framework object replaces).
struct OwnProcLog {
    std::vector<MSG> messages;

    int Count(UINT message) const
    {
        int count = 0;
        for (const MSG& msg : messages)
            count += msg.message == message ? 1 : 0;
        return count;
    }
    const MSG* Last(UINT message) const
    {
        for (auto it = messages.rbegin(); it != messages.rend(); ++it)
            if (it->message == message)
                return &*it;
        return nullptr;
    }
};

// A message the own procedure answers itself, so a test can tell its answer came back.
constexpr UINT kOwnProcQuestion = WM_APP + 40;
constexpr LRESULT kOwnProcAnswer = 0x7357;

inline LRESULT CALLBACK RecordingProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    auto* log = reinterpret_cast<OwnProcLog*>(::GetWindowLongPtrA(hWnd, GWLP_USERDATA));
    if (log != nullptr) {
        MSG msg{};
        msg.hwnd = hWnd;
        msg.message = message;
        msg.wParam = wParam;
        msg.lParam = lParam;
        log->messages.push_back(msg);
    }
    if (message == kOwnProcQuestion)
        return kOwnProcAnswer;
    return ::DefWindowProcA(hWnd, message, wParam, lParam);
}

inline const char* RecordingClassName()
{
    static const char name[] = "TidemarkFrameworkTestWindow";
    static const bool registered = [] {
        WNDCLASSA wc{};
        wc.lpfnWndProc = &RecordingProc;
        wc.hInstance = ::GetModuleHandleA(nullptr);
        wc.lpszClassName = name;
        wc.hCursor = ::LoadCursorA(nullptr, MAKEINTRESOURCEA(32512) /*IDC_ARROW*/);
        return ::RegisterClassA(&wc) != 0;
    }();
    (void)registered;
    return name;
}

// A borderless pop-up (client area = window area) that logs into `log` (may be null).
inline HWND CreateRecordingWindow(OwnProcLog* log, DWORD style = WS_POPUP, HWND owner = nullptr)
{
    HWND hWnd = ::CreateWindowExA(0, RecordingClassName(), "framework test", style, 10, 10, 200,
                                  100, owner, nullptr, ::GetModuleHandleA(nullptr), nullptr);
    if (hWnd != nullptr)
        ::SetWindowLongPtrA(hWnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(log));
    return hWnd;
}

// Destroys a window at the end of a scope unless it has gone already.
class ScopedWindow {
public:
    explicit ScopedWindow(HWND hWnd) : m_hWnd(hWnd) {}
    ~ScopedWindow()
    {
        if (m_hWnd != nullptr && ::IsWindow(m_hWnd))
            ::DestroyWindow(m_hWnd);
    }
    ScopedWindow(const ScopedWindow&) = delete;
    ScopedWindow& operator=(const ScopedWindow&) = delete;
    HWND get() const { return m_hWnd; }

private:
    HWND m_hWnd;
};

// Dispatches this thread's messages until `done()` holds. The limit is only a safety net
// against a hanging test, never a measure of speed.
template <typename Done>
bool PumpUntil(Done done, DWORD safetyLimitMs = 10000)
{
    const DWORD start = ::GetTickCount();
    while (!done()) {
        if (::GetTickCount() - start > safetyLimitMs)
            return false;
        MSG msg;
        if (::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            ::TranslateMessage(&msg);
            ::DispatchMessageA(&msg);
        } else {
            ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 50, QS_ALLINPUT);
        }
    }
    return true;
}

}  // namespace fwtest
