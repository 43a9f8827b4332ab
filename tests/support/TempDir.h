#pragma once

#include <windows.h>

#include <string>

// A fresh directory under the system's temp path for one test, removed with
// everything in it when the test ends. path() is UTF-8, as the library wants.
class TempDir {
public:
    TempDir()
    {
        static unsigned counter = 0;
        wchar_t base[MAX_PATH + 1];
        GetTempPathW(MAX_PATH + 1, base);
        wide = base;
        wide += L"orvextest_" + std::to_wstring(GetCurrentProcessId()) + L"_" +
                std::to_wstring(GetTickCount()) + L"_" + std::to_wstring(++counter);
        CreateDirectoryW(wide.c_str(), nullptr);
        utf8 = toUtf8(wide);
    }
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    ~TempDir() { removeTree(wide); }

    const std::string& path() const { return utf8; }
    const std::wstring& widePath() const { return wide; }
    // UTF-8 name of an entry in the directory.
    std::string file(const std::string& name) const { return utf8 + "\\" + name; }

    static std::string toUtf8(const std::wstring& text)
    {
        int n = WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, nullptr, 0, nullptr, nullptr);
        std::string out(n > 0 ? n - 1 : 0, '\0');
        if (n > 1)
            WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, &out[0], n, nullptr, nullptr);
        return out;
    }

    static std::wstring toWide(const std::string& utf8)
    {
        int n = MultiByteToWideChar(CP_UTF8, 0, utf8.c_str(), -1, nullptr, 0);
        std::wstring out(n > 0 ? n - 1 : 0, L'\0');
        if (n > 1)
            MultiByteToWideChar(CP_UTF8, 0, utf8.c_str(), -1, &out[0], n);
        return out;
    }

private:
    static void removeTree(const std::wstring& dir)
    {
        WIN32_FIND_DATAW data;
        HANDLE search = FindFirstFileW((dir + L"\\*").c_str(), &data);
        if (search != INVALID_HANDLE_VALUE) {
            do {
                std::wstring name = data.cFileName;
                if (name == L"." || name == L"..")
                    continue;
                std::wstring full = dir + L"\\" + name;
                if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
                    removeTree(full);
                else
                    DeleteFileW(full.c_str());
            } while (FindNextFileW(search, &data));
            FindClose(search);
        }
        RemoveDirectoryW(dir.c_str());
    }

    std::wstring wide;
    std::string utf8;
};
