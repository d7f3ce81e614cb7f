#pragma once

#include "framework/Afx.h"

// One instance at a time: a running instance holds a named mutex. The claim is one call,
// so that two starts at the same moment cannot both win, and a refused start keeps no
// handle to the name: once the running instance ends, the next start runs, even while a
// refused start still shows its box.
class CSingleInstanceGuard {
public:
    CSingleInstanceGuard() = default;
    ~CSingleInstanceGuard() { Release(); }
    CSingleInstanceGuard(const CSingleInstanceGuard&) = delete;
    CSingleInstanceGuard& operator=(const CSingleInstanceGuard&) = delete;

    // True when another instance holds the name (in this session or, where the name is
    // not ours to open, in another); otherwise this instance now holds it. A mutex that
    // cannot be made at all leaves the program without the guard.
    bool RefusedFor(const char* name);
    // Lets go of the name taken by RefusedFor, if this instance took it.
    void Release();

private:
    HANDLE m_hMutex = nullptr;
};
