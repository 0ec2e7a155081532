// The program's few heap blocks (Signs, picture pixels and runs). The Windows program links
// no C runtime, so it takes them from the process heap; the native build uses the C library.
#pragma once
#include <cstddef>
#ifdef _WIN32
#include <windows.h>

inline void* HeapMemory(size_t size)
{
    return HeapAlloc(GetProcessHeap(), 0, size);
}

inline void FreeHeapMemory(void* block)
{
    if (block != nullptr)
        HeapFree(GetProcessHeap(), 0, block);
}
#else
#include <cstdlib>

inline void* HeapMemory(size_t size)
{
    return malloc(size);
}

inline void FreeHeapMemory(void* block)
{
    free(block);
}
#endif
