#pragma once

// Timing helpers shared by the benchmark programs.

#include <windows.h>

#include <functional>

// Milliseconds on the performance counter.
inline double nowMs()
{
    static const LARGE_INTEGER frequency = [] {
        LARGE_INTEGER f;
        QueryPerformanceFrequency(&f);
        return f;
    }();
    LARGE_INTEGER counter;
    QueryPerformanceCounter(&counter);
    return counter.QuadPart * 1000.0 / frequency.QuadPart;
}

// Best time of one call over the given rounds, in milliseconds.
inline double bestOf(int rounds, const std::function<void()>& work)
{
    double best = 1e300;
    for (int i = 0; i < rounds; ++i) {
        double start = nowMs();
        work();
        double elapsed = nowMs() - start;
        if (elapsed < best)
            best = elapsed;
    }
    return best;
}
