#include "WSystem.h"

void WSystem::initMutex(CRITICAL_SECTION& section)
{
    InitializeCriticalSection(&section);
}

void WSystem::enterMutex(CRITICAL_SECTION& section)
{
    EnterCriticalSection(&section);
}

void WSystem::leaveMutex(CRITICAL_SECTION& section)
{
    LeaveCriticalSection(&section);
}

void WSystem::deleteMutex(CRITICAL_SECTION& section)
{
    DeleteCriticalSection(&section);
}

// Does not try: it never enters the section and always answers false, so
// nothing may rely on it to lock.
bool WSystem::tryEnterMutex(CRITICAL_SECTION&)
{
    return false;
}
