#pragma once

#include <windows.h>

#include <string>

// File names are UTF-8 inside the program and its library; Win32's W
// functions take UTF-16 and the program shows Windows-1252. These are the
// conversions at those boundaries, the only ones the program uses.

// UTF-16 for the W functions; empty when the text is no UTF-8.
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

inline std::wstring wideFileName(const std::string& utf8)
{
    return wideFileName(utf8.c_str());
}

// What a W function gave, as UTF-8.
inline std::string utf8FileName(const wchar_t* wide)
{
    int n = WideCharToMultiByte(CP_UTF8, 0, wide, -1, nullptr, 0, nullptr, nullptr);
    if (n <= 1)
        return std::string();
    std::string utf8(static_cast<size_t>(n), '\0');
    WideCharToMultiByte(CP_UTF8, 0, wide, -1, &utf8[0], n, nullptr, nullptr);
    utf8.resize(static_cast<size_t>(n - 1));
    return utf8;
}

// The name for file system calls: absolute, and past MAX_PATH in the "\\?\"
// form, which Windows opens at any length. Empty when the text is no UTF-8.
inline std::wstring systemFileName(const std::string& utf8)
{
    std::wstring wide = wideFileName(utf8);
    if (wide.empty())
        return wide;
    DWORD n = GetFullPathNameW(wide.c_str(), 0, nullptr, nullptr);
    if (n == 0)
        return wide;
    std::wstring full(n, L'\0');
    n = GetFullPathNameW(wide.c_str(), n, &full[0], nullptr);
    if (n == 0 || n >= full.size())
        return wide;
    full.resize(n);
    if (full.size() < MAX_PATH || full.compare(0, 4, L"\\\\?\\") == 0 || full.compare(0, 4, L"\\\\.\\") == 0)
        return full;
    if (full.compare(0, 2, L"\\\\") == 0)
        return L"\\\\?\\UNC\\" + full.substr(2);
    return L"\\\\?\\" + full;
}

// UTF-8 text (a name, or a message quoting one) as the program shows it, in
// Windows-1252: characters that code page lacks, and bytes that are no
// UTF-8, become '?' rather than look-alikes, so that no other file seems meant.
inline std::string shownText(const std::string& utf8)
{
    if (utf8.empty())
        return utf8;
    int length = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
    std::wstring wide(static_cast<size_t>(length), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), &wide[0], length);
    int n = WideCharToMultiByte(1252, WC_NO_BEST_FIT_CHARS, wide.data(), length, nullptr, 0, "?", nullptr);
    std::string shown(static_cast<size_t>(n), '\0');
    WideCharToMultiByte(1252, WC_NO_BEST_FIT_CHARS, wide.data(), length, &shown[0], n, "?", nullptr);
    return shown;
}
