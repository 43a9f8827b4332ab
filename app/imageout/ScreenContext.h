#pragma once

#include <windows.h>

// The screen's device context for a scope: the reference a metafile is
// made against.
struct ScreenContext {
    ScreenContext() : dc(GetDC(nullptr)) {}
    ScreenContext(const ScreenContext&) = delete;
    ScreenContext& operator=(const ScreenContext&) = delete;
    ~ScreenContext() { ReleaseDC(nullptr, dc); }
    HDC dc;
};
