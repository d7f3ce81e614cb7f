// Text whose length is known only at run time, on the process heap. The actions' DLL does
// without the C++ library's strings: their exceptions, linked statically, would be most of
// its size.
#pragma once

#include <windows.h>

#include <cstddef>
#include <memory>

struct HeapFreer {
    void operator()(void* memory) const { HeapFree(GetProcessHeap(), 0, memory); }
};
using HeapText = std::unique_ptr<wchar_t, HeapFreer>;

// Room for `characters`, zeroed; null when there is no memory.
inline HeapText AllocateText(std::size_t characters)
{
    return HeapText(static_cast<wchar_t*>(
        HeapAlloc(GetProcessHeap(), HEAP_ZERO_MEMORY, characters * sizeof(wchar_t))));
}
