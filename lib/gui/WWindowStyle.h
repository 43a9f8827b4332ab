#pragma once

#include <windows.h>

#include "WExport.h"
#include "WString.h"

// A window class name with the window style and extended window style used
// to create a window of that class.
class QUARN2_API WWindowStyle {
public:
    WWindowStyle();
    WWindowStyle(const char* className, unsigned long style, unsigned long exStyle);
    WWindowStyle(const WWindowStyle& other) = default;
    WWindowStyle& operator=(const WWindowStyle& other) = default;
    ~WWindowStyle();

    void create(const char* className, unsigned long style, unsigned long exStyle);

    const WString& getClassName() const { return className; }
    DWORD getStyle() const { return style; }
    DWORD getStyleEx() const { return exStyle; }

private:
    WString className;
    DWORD style;
    DWORD exStyle;
};
