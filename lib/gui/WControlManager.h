#pragma once

#include <windows.h>

#include "WExport.h"

class WControl;

// The process-wide registry from a control's window handle to its WControl.
// Every operation holds the library's global critical section
// (WSystem::getGlobalMutex(), which may be entered again by its holder), so a
// control can store itself in its window's user data and here as one step:
//     WMutexLocker lock(WSystem::getGlobalMutex());
//     SetWindowLongPtrA(window, GWLP_USERDATA, ...);
//     WControlManager::addControl(window, this);
class QUARN2_API WControlManager {
public:
    // Registers control under window; an existing entry is replaced.
    static void addControl(HWND window, WControl* control);
    // Forgets window; nothing when it is not registered.
    static void removeControl(HWND window);
    // The control of window, or null.
    static WControl* getControl(HWND window);
    static unsigned long getControlCount();

    WControlManager() = delete;
};
