#pragma once

#include <windows.h>

#include "WExport.h"

// An unnamed system mutex; it may be entered again by the owning thread.
class QUARN2_API WMutex {
public:
    WMutex();
    explicit WMutex(bool initialOwner);
    WMutex(const WMutex&) = delete;
    WMutex& operator=(const WMutex&) = delete;
    ~WMutex();

    // Creates the mutex unless the object holds one already; true when it holds one.
    bool create(bool initialOwner);
    // Waits up to ms milliseconds, without limit for -1 (or any negative value).
    // True when acquired, also when the previous owner ended without leaving it.
    bool enter(int ms);
    bool leave();
    void close();

private:
    HANDLE handle;
};

// An unnamed counting semaphore (maximum count 2147483647).
class QUARN2_API WSemaphore {
public:
    WSemaphore();
    explicit WSemaphore(int initialCount);
    WSemaphore(const WSemaphore&) = delete;
    WSemaphore& operator=(const WSemaphore&) = delete;
    ~WSemaphore();

    // Replaces any previous semaphore; false when the system refuses.
    bool create(int initialCount);
    // ms below 1 waits without limit. False on time-out or without a semaphore.
    bool wait(int ms);
    // Adds 1 to the count.
    void signal();
    void close();

private:
    HANDLE handle;
};

// Holds one critical section or one WMutex until it goes out of scope.
class QUARN2_API WMutexLocker {
public:
    WMutexLocker();
    explicit WMutexLocker(CRITICAL_SECTION& section);
    explicit WMutexLocker(WMutex& mutex);
    WMutexLocker(const WMutexLocker&) = delete;
    WMutexLocker& operator=(const WMutexLocker&) = delete;
    ~WMutexLocker();

    // Each lock first gives up what the locker held, so no lock is ever left held.
    void lock(CRITICAL_SECTION& section);
    void lock(WMutex& mutex);

private:
    void release();

    CRITICAL_SECTION* section;
    WMutex* mutex;
};
