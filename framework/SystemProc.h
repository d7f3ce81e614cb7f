#pragma once

#include "framework/Afx.h"

// A system function looked up at run time, for one that not every system has (or that
// the program would rather not import): null when `module` has no `name`.
template <typename Proc>
Proc LookUpProc(HMODULE module, const char* name)
{
    if (module == nullptr)
        return nullptr;
    return reinterpret_cast<Proc>(reinterpret_cast<void*>(::GetProcAddress(module, name)));
}
