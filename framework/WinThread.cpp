#include "framework/WinThread.h"

#include <process.h>

namespace {

thread_local CWinThread* t_currentThread = nullptr;

}  // namespace

CWinThread::CWinThread(AFX_THREADPROC proc, LPVOID parameter)
    : m_pfnThreadProc(proc), m_pThreadParams(parameter)
{
}

CWinThread::~CWinThread()
{
    if (m_hThread != nullptr)
        ::CloseHandle(m_hThread);
}

bool CWinThread::CreateThread(DWORD flags, UINT stackSize, LPSECURITY_ATTRIBUTES security)
{
    // Always start suspended, so that the handle and id are stored before the thread runs.
    unsigned id = 0;
    const uintptr_t handle = ::_beginthreadex(security, stackSize, &CWinThread::Start, this,
                                              CREATE_SUSPENDED, &id);
    if (handle == 0)
        return false;
    m_hThread = reinterpret_cast<HANDLE>(handle);
    m_nThreadID = id;
    if ((flags & CREATE_SUSPENDED) == 0)
        ResumeThread();
    return true;
}

DWORD CWinThread::ResumeThread() const
{
    return ::ResumeThread(m_hThread);
}

BOOL CWinThread::SetThreadPriority(int priority) const
{
    return ::SetThreadPriority(m_hThread, priority);
}

unsigned __stdcall CWinThread::Start(void* self)
{
    auto* thread = static_cast<CWinThread*>(self);
    t_currentThread = thread;
    AfxEndThread(thread->m_pfnThreadProc(thread->m_pThreadParams));
}

CWinThread* AfxBeginThread(AFX_THREADPROC proc, LPVOID parameter, int priority, UINT stackSize,
                           DWORD createFlags, LPSECURITY_ATTRIBUTES security)
{
    auto* thread = new CWinThread(proc, parameter);
    if (!thread->CreateThread(createFlags | CREATE_SUSPENDED, stackSize, security)) {
        delete thread;
        return nullptr;
    }
    thread->SetThreadPriority(priority);
    if ((createFlags & CREATE_SUSPENDED) == 0)
        thread->ResumeThread();
    return thread;
}

void AfxEndThread(UINT exitCode)
{
    CWinThread* thread = t_currentThread;
    t_currentThread = nullptr;
    if (thread != nullptr && thread->m_bAutoDelete)
        delete thread;
    ::_endthreadex(exitCode);
    ::ExitThread(exitCode);  // not reached: _endthreadex ends the thread
}
