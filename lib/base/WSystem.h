#pragma once

#include <windows.h>

#include "WExport.h"
#include "WString.h"

class WException;
class WSystemInfo;
class WWindowContext;

// The library's process-wide services, all static: numbers, paths and times;
// critical sections; start-up, shut-down and message boxes; the message loop
// and the registry of open dialogs.
class QUARN2_API WSystem {
public:
    enum CursorType { CURSOR_NONE = 0, CURSOR_ARROW = 1, CURSOR_HAND = 2, CURSOR_MOVE = 3 };

    // Numbers. round() works half away from zero: the extra digit and the
    // added 5 come before truncation, so 2.345 rounds to 2.35.
    static double round(const double& value, int digits);
    static float round(const float& value, int digits);
    static int float2Int(float value);
    // Table-driven reflected CRC-32; the caller starts with 0xFFFFFFFF and inverts.
    static void calcCRC32(const unsigned char* data, unsigned long length, unsigned long& crc);

    // Paths and files; texts are UTF-8.
    static void extractPath(const char* path, WString& out, bool fileName);
    static void extractFileExtension(const char* path, WString& out);
    static void getCurrentDirectory(WString& out);
    static bool setCurrentDirectory(const char* path);
    static bool existsFile(const char* path, bool directory);
    static void windowsTime2CTime(const FILETIME& fileTime, unsigned long long& seconds);
    static void cTime2WindowsTime(const unsigned long long& seconds, FILETIME& fileTime);

    static unsigned long getSysErrCode();
    static void sleep(unsigned long seconds);
    static void sleepMs(unsigned long ms);
    static bool getPerformanceFrequency(long long& frequency);
    static bool getPerformanceCounter(long long& counter);
    static bool getPerformanceTimeScale(double& secondsPerTick);
    static void setLocale(const char* locale);

    // Critical sections.
    static void initMutex(CRITICAL_SECTION& section);
    static void enterMutex(CRITICAL_SECTION& section);
    static void leaveMutex(CRITICAL_SECTION& section);
    static void deleteMutex(CRITICAL_SECTION& section);
    // Never enters and always answers false; nothing may rely on it to lock.
    static bool tryEnterMutex(CRITICAL_SECTION& section);

    // Start-up, shut-down and the process-wide record.
    static void startup(const char* applicationName);
    static void startup(const char* applicationName, HINSTANCE instance, HINSTANCE previous,
                        char* commandLine, int show);
    static void startup(const char* applicationName, HINSTANCE instance, HINSTANCE previous,
                        char* commandLine, int show, UINT extraClassStyles);
    static void shutdown();
    static void exit(int code);
    static HINSTANCE getInstance();
    static WSystemInfo& getSystemInfo();
    // The library's global critical section (guards the control registry).
    static CRITICAL_SECTION& getGlobalMutex();

    // Message boxes; the owner is the context's window, none for null.
    static void showMessage(WWindowContext* owner, const char* text, const char* caption,
                            bool warning);
    static bool showQuestion(WWindowContext* owner, const char* text, const char* caption);
    static void showException(WWindowContext* owner, const WException& e);
    // The same with a sentence for the user above the exception's line.
    static void showException(WWindowContext* owner, const WException& e,
                              const char* explanation);

    // Cursor and contexts.
    static HWND getContextWindowHandle(WWindowContext* context);
    static HCURSOR setCurrentCursor(CursorType type);
    static void showCursor(bool show);
    static bool isCursorActive();

    // Message loop and dialog registry.
    static int messageLoop(HWND mainWindow, unsigned long acceleratorId);
    static void addDialogWindow(HWND dialog);
    static void removeDialogWindow(HWND dialog);
    static bool isDialogWindow(HWND window);
};
