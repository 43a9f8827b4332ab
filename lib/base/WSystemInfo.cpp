#include "WSystemInfo.h"

#include "WSystem.h"

WSystemInfo& WSystem::getSystemInfo()
{
    static WSystemInfo info;
    return info;
}

HINSTANCE WSystem::getInstance()
{
    return getSystemInfo().getInstance();
}
