#pragma once

#include "framework/WinThread.h"
#include "net/ListenerLife.h"

// The window's half of the listener thread's life: starting the thread, and stopping it in
// order, waiting while the window keeps answering.
class CListenerHost : public ListenerLife {
public:
    CListenerHost() = default;
    // Waits for a listener that the window's end did not stop (its list output is closed
    // by then, so the listener's list changes are refused at once).
    ~CListenerHost();
    CListenerHost(const CListenerHost&) = delete;
    CListenerHost& operator=(const CListenerHost&) = delete;

    // Runs `proc(argument)` on a thread of its own, the run flag set before it runs; false
    // when no thread could be made.
    bool Start(AFX_THREADPROC proc, LPVOID argument);

    // The stop, around the window's own steps: the run flag down; both sockets closed;
    // the wait for the listener's end (dispatching the window's messages meanwhile), then
    // the sockets library released.
    void BeginStop() { ClearRunFlag(); }
    void WakeListener();
    void WaitForEnd(MSG& msg);

private:
    // Waits for the thread without dispatching anything, then releases the library.
    void FinishStop();

    // The listener thread's own handle: the thread object deletes itself, and its handle
    // with it, when the thread ends. Null only when it could not be duplicated.
    HANDLE m_hListenerThread = nullptr;
};
