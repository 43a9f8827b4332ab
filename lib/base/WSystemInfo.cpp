#include "WSystemInfo.h"

#include "WSystem.h"

WDisplayDevice::WDisplayDevice() : stateFlags(0) {}

WDisplayDevice::WDisplayDevice(const char* name, const char* description,
                               unsigned long stateFlags)
    : name(name), description(description), stateFlags(stateFlags)
{
}

WSystemInfo::WSystemInfo()
    : instance(nullptr), displayDevices(10), currentCursor(nullptr), cursorShown(true)
{
}

WSystemInfo& WSystem::getSystemInfo()
{
    static WSystemInfo info;
    return info;
}

HINSTANCE WSystem::getInstance()
{
    return getSystemInfo().getInstance();
}
