#pragma once

#include <windows.h>

#include <string>

// File names arrive as UTF-8 (as the library's file functions take them)
// and go to the system's wide functions; empty when the text is no UTF-8.
inline std::wstring wideFileName(const char* utf8)
{
    if (utf8 == nullptr)
        return std::wstring();
    int n = MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, utf8, -1, nullptr, 0);
    if (n <= 1)
        return std::wstring();
    std::wstring wide(static_cast<size_t>(n), L'\0');
    MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, utf8, -1, &wide[0], n);
    wide.resize(static_cast<size_t>(n - 1));
    return wide;
}
