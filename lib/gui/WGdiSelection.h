#pragma once

#include <windows.h>

// Selects a GDI object into a device context for the length of a scope and
// puts the previous one back, so no selection can leak:
//     WGdiSelection font(dc, someFont);
class WGdiSelection {
public:
    WGdiSelection(HDC dc, HGDIOBJ object) : dc(dc), previous(SelectObject(dc, object)) {}
    WGdiSelection(const WGdiSelection&) = delete;
    WGdiSelection& operator=(const WGdiSelection&) = delete;
    ~WGdiSelection()
    {
        if (previous != nullptr && previous != HGDI_ERROR)
            SelectObject(dc, previous);
    }

private:
    HDC dc;
    HGDIOBJ previous;
};
