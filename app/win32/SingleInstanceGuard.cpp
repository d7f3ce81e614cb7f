#include "app/win32/SingleInstanceGuard.h"

bool CSingleInstanceGuard::RefusedFor(const char* name)
{
    HANDLE mutex = ::CreateMutexA(nullptr, FALSE, name);
    const DWORD error = ::GetLastError();
    if (mutex == nullptr)
        return error == ERROR_ACCESS_DENIED;
    if (error == ERROR_ALREADY_EXISTS) {
        ::CloseHandle(mutex);
        return true;
    }
    m_hMutex = mutex;
    return false;
}

// The name lasts as long as a handle to it is open: closing the only one frees it.
void CSingleInstanceGuard::Release()
{
    if (m_hMutex == nullptr)
        return;
    ::CloseHandle(m_hMutex);
    m_hMutex = nullptr;
}
