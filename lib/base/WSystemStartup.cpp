// Library start-up and shut-down, and the registration of the application's
// window class.

#include <winsock2.h>
#include <windows.h>
#include <commctrl.h>
#include <ole2.h>

#include "WException.h"
#include "WSystem.h"
#include "WSystemInfo.h"
#include "WUnicode.h"
#include "WImageCodecs.h"
#include "WWindowProcedure.h"

namespace {
// What start-up began and shut-down must end.
bool oleStarted = false;
bool socketsStarted = false;

// The full path of the executable and its directory.
void recordProgramFile(WString& filename, WString& directory)
{
    wchar_t path[MAX_PATH + 1];
    DWORD n = GetModuleFileNameW(nullptr, path, MAX_PATH + 1);
    if (n == 0 || n > MAX_PATH) {
        filename = "";
        directory = "";
        return;
    }
    path[n] = 0;
    WUnicode::toUtf8(path, filename);
    WSystem::extractPath(filename, directory, false);
}
}

CRITICAL_SECTION& WSystem::getGlobalMutex()
{
    // Made on first use, so the control registry can never meet an
    // uninitialised section.
    struct GlobalSection {
        CRITICAL_SECTION section;
        GlobalSection() { WSystem::initMutex(section); }
    };
    static GlobalSection global;
    return global.section;
}

void WSystem::startup(const char* applicationName)
{
    WSystemInfo& info = getSystemInfo();
    getGlobalMutex();
    info.programName = applicationName != nullptr ? applicationName : "";
    info.defaultFont.create("MS Sans Serif", 8, 0, 400, 0);
    recordProgramFile(info.programFilename, info.programDirectory);
    showCursor(true);

    if (!oleStarted) {
        HRESULT result = OleInitialize(nullptr);
        oleStarted = result == S_OK || result == S_FALSE;
    }
    INITCOMMONCONTROLSEX controls = {sizeof(controls),
                                     ICC_WIN95_CLASSES | ICC_BAR_CLASSES | ICC_TAB_CLASSES |
                                         ICC_PROGRESS_CLASS | ICC_LISTVIEW_CLASSES |
                                         ICC_COOL_CLASSES | ICC_STANDARD_CLASSES};
    InitCommonControlsEx(&controls);

    if (LoadLibraryA("RichEd20.dll") == nullptr)
        throw WSystemException("Cannot load RichEd20.dll", -1);
    WImageCodecs::startup();

    if (!socketsStarted) {
        WSADATA data;
        if (WSAStartup(MAKEWORD(2, 2), &data) != 0)
            throw WSocketException("This is a wrong WinSock-Version (1.0 or higher required)");
        socketsStarted = true;
        if (LOBYTE(data.wVersion) < 1)
            throw WSocketException("This is a wrong WinSock-Version (1.0 or higher required)");
    }

    TIME_ZONE_INFORMATION zone;
    if (GetTimeZoneInformation(&zone) != TIME_ZONE_ID_INVALID)
        info.localTimeZone = WTimeZone(zone);

    info.displayDevices.removeAll();
    info.primaryDisplayDevice = WDisplayDevice();
    bool primaryFound = false;
    DISPLAY_DEVICEA device;
    device.cb = sizeof(device);
    for (DWORD i = 0; EnumDisplayDevicesA(nullptr, i, &device, 0); ++i) {
        WDisplayDevice record(device.DeviceName, device.DeviceString, device.StateFlags);
        info.displayDevices.put(device.DeviceName, record);
        if (!primaryFound && record.isPrimary()) {
            info.primaryDisplayDevice = record;
            primaryFound = true;
        }
        device.cb = sizeof(device);
    }
    if (!primaryFound)
        info.primaryDisplayDevice =
            WDisplayDevice("display", "Primary Display", DISPLAY_DEVICE_PRIMARY_DEVICE);
}

void WSystem::startup(const char* applicationName, HINSTANCE instance, HINSTANCE previous,
                      char* commandLine, int show)
{
    startup(applicationName, instance, previous, commandLine, show, 0);
}

void WSystem::startup(const char* applicationName, HINSTANCE instance, HINSTANCE, char* commandLine,
                      int, UINT extraClassStyles)
{
    startup(applicationName);
    WSystemInfo& info = getSystemInfo();
    info.instance = instance;
    info.commandLine = commandLine != nullptr ? commandLine : "";

    WNDCLASSEXA windowClass = {};
    windowClass.cbSize = sizeof(windowClass);
    windowClass.style = CS_HREDRAW | CS_VREDRAW | CS_DBLCLKS | extraClassStyles;
    windowClass.lpfnWndProc = WWindowProcedure::forWindow;
    windowClass.hInstance = instance;
    windowClass.hIcon = LoadIconA(nullptr, MAKEINTRESOURCEA(32512)); // IDI_APPLICATION
    windowClass.hCursor = LoadCursorA(nullptr, MAKEINTRESOURCEA(32512)); // IDC_ARROW
    windowClass.lpszClassName = info.programName;
    if (RegisterClassExA(&windowClass) == 0)
        throw WSystemException("Cannot create window class.");
}

void WSystem::shutdown()
{
    WImageCodecs::shutdown();
    if (socketsStarted) {
        WSACleanup();
        socketsStarted = false;
    }
    if (oleStarted) {
        OleUninitialize();
        oleStarted = false;
    }
}

void WSystem::exit(int code)
{
    PostQuitMessage(code);
}
