#include "WControlManager.h"

#include "WHashtable.h"
#include "WMutex.h"
#include "WSystem.h"

namespace {
WHashtable<HWND, WControl*, HWND, WControl*>& controls()
{
    static WHashtable<HWND, WControl*, HWND, WControl*> registry(10);
    return registry;
}
}

void WControlManager::addControl(HWND window, WControl* control)
{
    WMutexLocker lock(WSystem::getGlobalMutex());
    controls().put(window, control);
}

void WControlManager::removeControl(HWND window)
{
    WMutexLocker lock(WSystem::getGlobalMutex());
    controls().remove(window);
}

WControl* WControlManager::getControl(HWND window)
{
    if (window == nullptr)
        return nullptr;
    WMutexLocker lock(WSystem::getGlobalMutex());
    WControl** control = controls().find(window);
    return control != nullptr ? *control : nullptr;
}

unsigned long WControlManager::getControlCount()
{
    WMutexLocker lock(WSystem::getGlobalMutex());
    return controls().size();
}
