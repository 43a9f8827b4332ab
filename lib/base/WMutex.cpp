#include "WMutex.h"

#include "WSystem.h"

namespace {
const LONG maximumCount = 2147483647;

void closeHandle(HANDLE& handle)
{
    if (handle != nullptr) {
        CloseHandle(handle);
        handle = nullptr;
    }
}
}

WMutex::WMutex() : handle(nullptr) {}

WMutex::WMutex(bool initialOwner) : handle(nullptr)
{
    create(initialOwner);
}

WMutex::~WMutex()
{
    close();
}

bool WMutex::create(bool initialOwner)
{
    if (handle == nullptr)
        handle = CreateMutexA(nullptr, initialOwner ? TRUE : FALSE, nullptr);
    return handle != nullptr;
}

bool WMutex::enter(int ms)
{
    if (handle == nullptr)
        return false;
    DWORD result = WaitForSingleObject(handle, ms < 0 ? INFINITE : static_cast<DWORD>(ms));
    return result == WAIT_OBJECT_0 || result == WAIT_ABANDONED;
}

bool WMutex::leave()
{
    return handle != nullptr && ReleaseMutex(handle) != 0;
}

void WMutex::close()
{
    closeHandle(handle);
}

WSemaphore::WSemaphore() : handle(nullptr) {}

WSemaphore::WSemaphore(int initialCount) : handle(nullptr)
{
    create(initialCount);
}

WSemaphore::~WSemaphore()
{
    close();
}

bool WSemaphore::create(int initialCount)
{
    close();
    handle = CreateSemaphoreA(nullptr, initialCount, maximumCount, nullptr);
    return handle != nullptr;
}

bool WSemaphore::wait(int ms)
{
    if (handle == nullptr)
        return false;
    return WaitForSingleObject(handle, ms < 1 ? INFINITE : static_cast<DWORD>(ms))
           == WAIT_OBJECT_0;
}

void WSemaphore::signal()
{
    if (handle != nullptr)
        ReleaseSemaphore(handle, 1, nullptr);
}

void WSemaphore::close()
{
    closeHandle(handle);
}

WMutexLocker::WMutexLocker() : section(nullptr), mutex(nullptr) {}

WMutexLocker::WMutexLocker(CRITICAL_SECTION& section) : section(nullptr), mutex(nullptr)
{
    lock(section);
}

WMutexLocker::WMutexLocker(WMutex& mutex) : section(nullptr), mutex(nullptr)
{
    lock(mutex);
}

WMutexLocker::~WMutexLocker()
{
    release();
}

void WMutexLocker::lock(CRITICAL_SECTION& section)
{
    release();
    WSystem::enterMutex(section);
    this->section = &section;
}

void WMutexLocker::lock(WMutex& mutex)
{
    release();
    if (mutex.enter(-1))
        this->mutex = &mutex;
}

void WMutexLocker::release()
{
    if (section != nullptr)
        WSystem::leaveMutex(*section);
    if (mutex != nullptr)
        mutex->leave();
    section = nullptr;
    mutex = nullptr;
}
