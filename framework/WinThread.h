#pragma once

#include "framework/Afx.h"

using AFX_THREADPROC = UINT (*)(LPVOID parameter);

// A worker thread. AfxBeginThread creates it (suspended when asked), the thread ends
// with AfxEndThread or by returning from its function, and the object deletes itself
// when the thread ends.
class CWinThread {
public:
    CWinThread(AFX_THREADPROC proc, LPVOID parameter);
    virtual ~CWinThread();
    CWinThread(const CWinThread&) = delete;
    CWinThread& operator=(const CWinThread&) = delete;

    bool CreateThread(DWORD flags, UINT stackSize, LPSECURITY_ATTRIBUTES security);
    DWORD ResumeThread() const;
    BOOL SetThreadPriority(int priority) const;

    HANDLE m_hThread = nullptr;
    DWORD m_nThreadID = 0;
    bool m_bAutoDelete = true;

private:
    static unsigned __stdcall Start(void* self);

    AFX_THREADPROC m_pfnThreadProc;
    LPVOID m_pThreadParams;
};

CWinThread* AfxBeginThread(AFX_THREADPROC proc, LPVOID parameter,
                           int priority = THREAD_PRIORITY_NORMAL, UINT stackSize = 0,
                           DWORD createFlags = 0, LPSECURITY_ATTRIBUTES security = nullptr);
// Ends the calling thread with `exitCode`, deleting its thread object; does not return.
[[noreturn]] void AfxEndThread(UINT exitCode);
