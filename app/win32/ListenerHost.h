#pragma once

#include <atomic>

#include "framework/Controls.h"
#include "framework/WinThread.h"
#include "net/ListenerLife.h"
#include "text/MessageListOutput.h"

// The window's half of the listener thread's life: starting the thread, handing its list
// changes over to the window's thread with the list's repaints paced for a reader, and
// stopping it in order, waiting while the window keeps answering.
class CListenerHost : public ListenerLife {
public:
    // The message that hands a list change over (lParam: the change). It is public: any
    // program may send the same number, with any parameters.
    static constexpr UINT kListChangeMessage = WM_APP + 1;

    // Made on the window's thread; `window` and `list` are only used once they exist.
    CListenerHost(CWnd& window, CListBox& list);
    // Waits for a listener that the window's end did not stop (the window is gone by
    // then, so the listener's list changes fail at once).
    ~CListenerHost();
    CListenerHost(const CListenerHost&) = delete;
    CListenerHost& operator=(const CListenerHost&) = delete;

    // Runs `proc(argument)` on a thread of its own, the run flag set before it runs; false
    // when no thread could be made.
    bool Start(AFX_THREADPROC proc, LPVOID argument);

    bool OnWindowThread() const { return ::GetCurrentThreadId() == m_windowThreadId; }
    // On the listener's thread: has the window's thread carry out `change`, and waits.
    void HandOver(const ListChange& change);
    // On the window's thread, for a list-change message: the change the listener waits
    // on, or null for any other (a stray message, or one that comes during the stop).
    const ListChange* TakeHandedOver(LPARAM lParam);

    // Before every list change on the window's thread.
    void PaceListRepaint();
    bool IsRepaintTimer(UINT_PTR id) const { return id == kListRepaintTimerId; }
    // On the repaint timer, and whenever the list changes as a whole.
    void RepaintHeldList();

    // The stop, around the window's own steps: the run flag down and no list change taken
    // any more; both sockets closed; the wait for the listener's end (dispatching the
    // window's messages meanwhile), then the sockets library released.
    void BeginStop();
    void WakeListener();
    void WaitForEnd(MSG& msg);

private:
    static constexpr UINT_PTR kListRepaintTimerId = 2;

    // Waits for the thread without dispatching anything, then releases the library.
    void FinishStop();

    CWnd& m_window;
    CListBox& m_list;
    const DWORD m_windowThreadId;
    HWND m_target = nullptr;  // the window the listener hands its changes to
    // The listener thread's own handle: the thread object deletes itself, and its handle
    // with it, when the thread ends. Null only when it could not be duplicated.
    HANDLE m_hListenerThread = nullptr;
    std::atomic<const ListChange*> m_handedOver{nullptr};
    std::atomic<bool> m_takingChanges{true};

    // While lines arrive in quick succession, the list repaints at a reader's pace.
    bool m_listRepaintHeld = false;
    DWORD m_lastListChange = 0;
};
