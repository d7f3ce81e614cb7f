#include "app/win32/ListenerHost.h"

#include "net/win32/WinsockApi.h"

namespace {

// How often a wait without the thread's handle looks at the ended flag.
constexpr DWORD kEndedFlagPoll = 10;

}  // namespace

CListenerHost::~CListenerHost()
{
    if (!m_bListenerEnded) {
        BeginStop();
        WakeListener();
    }
    FinishStop();
    if (m_hListenerThread != nullptr)
        ::CloseHandle(m_hListenerThread);
}

bool CListenerHost::Start(AFX_THREADPROC proc, LPVOID argument)
{
    // The thread counts as running from its creation on: should the window end before
    // the thread's first step, the stop must still wait for it.
    m_bListenerEnded = false;
    // Suspended until the run flag is set, so the thread's first look at it sees true.
    CWinThread* thread = AfxBeginThread(proc, argument, THREAD_PRIORITY_NORMAL, 0,
                                        CREATE_SUSPENDED, nullptr);
    if (thread == nullptr) {
        m_bListenerEnded = true;
        return false;
    }
    // Without a handle of its own the stop still waits, on the ended flag alone.
    if (!::DuplicateHandle(::GetCurrentProcess(), thread->m_hThread, ::GetCurrentProcess(),
                           &m_hListenerThread, SYNCHRONIZE, FALSE, 0))
        m_hListenerThread = nullptr;
    m_pListenerThread = thread;
    m_bRun = true;
    if (thread->ResumeThread() == static_cast<DWORD>(-1)) {
        // A thread that never ran holds nothing yet: it goes, and the window goes on without
        // a listener, as when no thread could be made.
        ::TerminateThread(thread->m_hThread, 0);
        delete thread;
        if (m_hListenerThread != nullptr)
            ::CloseHandle(m_hListenerThread);
        m_hListenerThread = nullptr;
        m_pListenerThread = nullptr;
        m_bRun = false;
        m_bListenerEnded = true;
        return false;
    }
    return true;
}

void CListenerHost::WakeListener()
{
    WinsockApi sockets;
    CloseSockets(sockets);
}

// Keeps the window answering while the listener winds down, and sleeps between messages
// until one comes or the thread is gone. A quit request met on the way is left for the
// loop it was meant for.
void CListenerHost::WaitForEnd(MSG& msg)
{
    bool quit = false;
    WPARAM quitCode = 0;
    while (!m_bListenerEnded) {
        while (::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (msg.message == WM_QUIT) {
                quit = true;
                quitCode = msg.wParam;
                continue;
            }
            ::TranslateMessage(&msg);
            ::DispatchMessageA(&msg);
        }
        if (m_bListenerEnded)
            break;
        if (m_hListenerThread != nullptr)
            ::MsgWaitForMultipleObjectsEx(1, &m_hListenerThread, INFINITE, QS_ALLINPUT,
                                          MWMO_INPUTAVAILABLE);
        else
            ::MsgWaitForMultipleObjectsEx(0, nullptr, kEndedFlagPoll, QS_ALLINPUT,
                                          MWMO_INPUTAVAILABLE);
    }
    FinishStop();
    if (quit)
        ::PostQuitMessage(static_cast<int>(quitCode));
}

// The listener touches nothing of the window's after its ended flag; its thread is let
// finish before the sockets library goes.
void CListenerHost::FinishStop()
{
    if (m_hListenerThread != nullptr) {
        ::WaitForSingleObject(m_hListenerThread, INFINITE);
    } else {
        while (!m_bListenerEnded)
            ::Sleep(kEndedFlagPoll);
    }
    WinsockApi sockets;
    ReleaseSocketsLibrary(sockets);
}
