#pragma once

#include <windows.h>

#include <atomic>

#include "WExport.h"
#include "WMutex.h"

// The body of a background job: derive, implement run() and hand the object
// to WThread::start. It is active from the start of the thread until run()
// has returned; the flag is written by the worker and polled by the starter.
class QUARN2_API WRunable {
protected:
    WRunable();
    WRunable(const WRunable& other);
    WRunable& operator=(const WRunable& other);
    virtual ~WRunable();

public:
    // The work itself, executed on the new thread.
    virtual void run() = 0;

private:
    friend class WThread;

    std::atomic<bool> active;
};

// One operating-system thread running a WRunable at a time, and a counting
// semaphore through which starter and worker signal each other. A WThread is
// driven from one thread; only the runnable's active flag is shared.
class QUARN2_API WThread {
public:
    // System thread priority levels.
    enum Priority {
        PRIORITY_IDLE = THREAD_PRIORITY_IDLE,
        PRIORITY_LOWEST = THREAD_PRIORITY_LOWEST,
        PRIORITY_BELOW_NORMAL = THREAD_PRIORITY_BELOW_NORMAL,
        PRIORITY_NORMAL = THREAD_PRIORITY_NORMAL,
        PRIORITY_ABOVE_NORMAL = THREAD_PRIORITY_ABOVE_NORMAL,
        PRIORITY_HIGHEST = THREAD_PRIORITY_HIGHEST,
        PRIORITY_TIME_CRITICAL = THREAD_PRIORITY_TIME_CRITICAL
    };

    WThread();
    WThread(const WThread&) = delete;
    WThread& operator=(const WThread&) = delete;
    // Kills a thread that is still active, then releases the handles.
    ~WThread();

    // Runs runnable->run() on a new thread with a fresh semaphore. False at
    // once while the previously started runnable is still active. Throws
    // WThreadException "Cannot create new thread." (-1), the runnable then
    // inactive, or "Cannot set the priority of thread." (-2), the thread then
    // running at normal priority.
    bool start(WRunable* runnable);
    // True while the runnable last started is active and its thread has not
    // ended; a finished runnable may be destroyed before this object.
    bool isActive() const;
    // True when the thread ended within ms milliseconds (INFINITE waits on).
    bool join(unsigned long ms);
    // Waits for a signal; ms below 1 (also as a signed value) waits without
    // limit. False on time-out or when nothing was started.
    bool wait(unsigned long ms);
    void signal();
    bool suspend();
    bool resume();
    // Terminates an active thread without unwinding it (for shutdown only):
    // true, and the object is idle again. False when nothing is active.
    // Throws WThreadException "Cannot kill thread." (-3).
    bool kill();
    // Stored for every later start; applied at once to an active thread.
    void setPriority(Priority priority);

private:
    static unsigned __stdcall threadMain(void* thread);
    void closeThread();

    unsigned threadId;
    HANDLE threadHandle;
    WRunable* runnable;
    WSemaphore semaphore;
    Priority priority;
    // Set by the new thread once its start-up is done and run() is next.
    std::atomic<bool> running;
};
