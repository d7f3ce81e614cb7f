#pragma once

#include "framework/Afx.h"

// One instance at a time: a running instance holds a named mutex, which the system frees
// when that process ends.
class CSingleInstanceGuard {
public:
    // True when another instance holds the name; otherwise this instance takes it.
    bool RefusedFor(const char* name);
    // Lets go of the name taken by RefusedFor, if this instance took it.
    void Release();

private:
    HANDLE m_hMutex = nullptr;
    bool m_created = false;
};
