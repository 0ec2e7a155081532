// The benchmarks' clock: seconds from the performance counter.
#pragma once
#include <windows.h>

inline double SecondsNow()
{
    LARGE_INTEGER count, frequency;
    QueryPerformanceCounter(&count);
    QueryPerformanceFrequency(&frequency);
    return static_cast<double>(count.QuadPart) / frequency.QuadPart;
}
