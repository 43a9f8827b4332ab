#include "WUnicode.h"

#include <windows.h>

bool WUnicode::toWide(const char* text, wchar_t* out, int capacity)
{
    int n = MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, text, -1, out, capacity);
    if (n == 0) {
        out[0] = 0;
        return false;
    }
    return true;
}

void WUnicode::toUtf8(const wchar_t* text, WString& out)
{
    int n = WideCharToMultiByte(CP_UTF8, 0, text, -1, nullptr, 0, nullptr, nullptr);
    if (n <= 1) {
        out = "";
        return;
    }
    WString converted(static_cast<unsigned long>(n - 1));
    WideCharToMultiByte(CP_UTF8, 0, text, -1, const_cast<char*>(static_cast<const char*>(converted)),
                        n, nullptr, nullptr);
    out.assign(static_cast<const char*>(converted), static_cast<unsigned long>(n - 1));
}
