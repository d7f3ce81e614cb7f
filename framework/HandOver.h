#pragma once

#include <atomic>
#include <functional>

#include "framework/Afx.h"

// Carries pieces of work out on one thread with windows (the thread that opens it) for any
// other thread, one at a time, each caller waiting until its work is done. A thread that
// stops handling messages therefore holds every caller at its next piece of work. The work
// travels as a message to a message-only window of the hand-over's own, so no window class
// of the program has to know who hands work over.
//
// The message is public, like every window message: another program may send the same
// number with any parameters. Only the piece of work a caller waits on is ever run.
class CHandOver {
public:
    static constexpr UINT kWorkMessage = WM_APP + 1;

    CHandOver() = default;
    ~CHandOver();
    CHandOver(const CHandOver&) = delete;
    CHandOver& operator=(const CHandOver&) = delete;

    // On the thread that will carry the work out; false when its window could not be made.
    bool Open();
    // Runs `work` on the opening thread and returns once it has run there (at once when
    // called on that thread). False, without running it, when the hand-over is not open.
    bool Run(const std::function<void()>& work);
    // On the opening thread: from here on every call is refused at once, and a caller
    // still waiting is let go without its work being run.
    void Close();

    // The window the work travels to (null when not open).
    HWND Window() const { return m_window; }

private:
    struct Handed {
        const std::function<void()>* work;
        bool done;
    };

    static LRESULT CALLBACK WindowProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam);
    void Receive(LPARAM lParam);

    // Read by callers on other threads while the opening thread may close it.
    std::atomic<HWND> m_window{nullptr};
    DWORD m_threadId = 0;
    std::atomic<bool> m_open{false};
    // One caller at a time: the piece of work being handed over.
    SRWLOCK m_callers = SRWLOCK_INIT;
    std::atomic<Handed*> m_handed{nullptr};
};
