#pragma once

// Helpers of the tests that host the application object in the test process
// and play the user from a second thread.

#include <windows.h>

#include <string>

inline void writeFile(const char* name, const std::string& content)
{
    HANDLE h = CreateFileA(name, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    DWORD written = 0;
    WriteFile(h, content.data(), static_cast<DWORD>(content.size()), &written, nullptr);
    CloseHandle(h);
}

// The program's working folder: the test's own, with the pictures and the
// coastlines copied and the data set named by its full path.
inline void prepareFolder(const std::string& init, const std::string& positions)
{
    for (const char* name : {"weltkarte1.jpg", "weltkarte2.jpg", "weltkarte3.jpg", "worldmap.txt"})
        CopyFileA((std::string(ORVEX_RUN_DIR) + "/" + name).c_str(), name, FALSE);
    writeFile("init.txt",
              "DB_FILE=" + std::string(ORVEX_RUN_DIR) + "/data/cru/hadcrut3v.dat\r\n" + init);
    writeFile("positions.txt", positions);
}

// The first visible top-level window of the class and title, waited for up
// to ten seconds; null when none appears.
inline HWND waitForWindow(const char* className, const char* title)
{
    for (int waited = 0; waited < 10000; waited += 10) {
        HWND found = FindWindowA(className, title);
        if (found != nullptr && IsWindowVisible(found))
            return found;
        Sleep(10);
    }
    return nullptr;
}

inline HWND firstEdit(HWND dialog)
{
    HWND edit = nullptr;
    EnumChildWindows(
        dialog,
        [](HWND child, LPARAM data) -> BOOL {
            char name[32] = {};
            GetClassNameA(child, name, sizeof(name));
            if (lstrcmpiA(name, "Edit") != 0)
                return TRUE;
            *reinterpret_cast<HWND*>(data) = child;
            return FALSE;
        },
        reinterpret_cast<LPARAM>(&edit));
    return edit;
}

// The longest text among a dialog box's controls: a message box's message.
inline std::string longestChildText(HWND box)
{
    std::string longest;
    EnumChildWindows(
        box,
        [](HWND child, LPARAM data) -> BOOL {
            std::string text(static_cast<size_t>(GetWindowTextLengthA(child)) + 1, '\0');
            text.resize(static_cast<size_t>(
                GetWindowTextA(child, &text[0], static_cast<int>(text.size()))));
            std::string* best = reinterpret_cast<std::string*>(data);
            if (text.size() > best->size())
                *best = text;
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&longest));
    return longest;
}
