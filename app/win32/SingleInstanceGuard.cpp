#include "app/win32/SingleInstanceGuard.h"

bool CSingleInstanceGuard::RefusedFor(const char* name)
{
    m_hMutex = ::OpenMutexA(MUTEX_ALL_ACCESS, FALSE, name);
    if (m_hMutex != nullptr)
        return true;
    // A failure leaves the program without the guard; everything else goes on.
    m_hMutex = ::CreateMutexA(nullptr, FALSE, name);
    m_created = true;
    return false;
}

// The handle stays open: the name lasts as long as this process.
void CSingleInstanceGuard::Release()
{
    if (m_created && m_hMutex != nullptr)
        ::ReleaseMutex(m_hMutex);
    m_created = false;
}
