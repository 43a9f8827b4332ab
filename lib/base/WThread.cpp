#include "WThread.h"

#include <process.h>

#include "WException.h"

WRunable::WRunable() : active(false) {}

WRunable::WRunable(const WRunable& other) : active(other.active.load()) {}

WRunable& WRunable::operator=(const WRunable& other)
{
    active = other.active.load();
    return *this;
}

WRunable::~WRunable() = default;

WThread::WThread()
    : threadId(0), threadHandle(nullptr), runnable(nullptr), priority(PRIORITY_NORMAL),
      running(false)
{
}

WThread::~WThread()
{
    if (isActive()) {
        try {
            kill();
        } catch (const WException&) {
            // Nothing more can be done for a thread that will not die.
        }
    }
    closeThread();
}

unsigned __stdcall WThread::threadMain(void* thread)
{
    // The last access to the WThread: it may be gone once run() has begun.
    WThread* owner = static_cast<WThread*>(thread);
    WRunable* runnable = owner->runnable;
    owner->running = true;
    // An escaping exception would end the whole process and leave the run
    // marked active for ever.
    try {
        runnable->run();
    } catch (...) {
    }
    runnable->active = false;
    return 0;
}

void WThread::closeThread()
{
    if (threadHandle != nullptr)
        CloseHandle(threadHandle);
    threadHandle = nullptr;
    threadId = 0;
    runnable = nullptr;
}

bool WThread::start(WRunable* newRunnable)
{
    if (newRunnable == nullptr || isActive())
        return false;
    closeThread();
    if (!semaphore.create(0))
        throw WThreadException("Cannot create new thread.", -1);

    newRunnable->active = true;
    runnable = newRunnable;
    running = false;
    unsigned id = 0;
    // Created suspended so that the priority is in place before run() begins.
    uintptr_t handle = _beginthreadex(nullptr, 0, threadMain, this, CREATE_SUSPENDED, &id);
    if (handle == 0) {
        newRunnable->active = false;
        runnable = nullptr;
        throw WThreadException("Cannot create new thread.", -1);
    }
    threadHandle = reinterpret_cast<HANDLE>(handle);
    threadId = id;

    if (!SetThreadPriority(threadHandle, priority)) {
        WThreadException failure("Cannot set the priority of thread.", -2);
        ResumeThread(threadHandle);
        throw failure;
    }
    if (ResumeThread(threadHandle) == static_cast<DWORD>(-1)) {
        WThreadException failure("Cannot create new thread.", -1);
        TerminateThread(threadHandle, 0);
        WaitForSingleObject(threadHandle, INFINITE);
        newRunnable->active = false;
        closeThread();
        throw failure;
    }
    return true;
}

bool WThread::isActive() const
{
    // Once the thread has ended its runnable may be gone: do not read it.
    if (runnable == nullptr || WaitForSingleObject(threadHandle, 0) == WAIT_OBJECT_0)
        return false;
    return runnable->active;
}

bool WThread::join(unsigned long ms)
{
    return threadHandle != nullptr && WaitForSingleObject(threadHandle, ms) == WAIT_OBJECT_0;
}

bool WThread::wait(unsigned long ms)
{
    return semaphore.wait(static_cast<int>(ms));
}

void WThread::signal()
{
    semaphore.signal();
}

bool WThread::suspend()
{
    return threadHandle != nullptr && SuspendThread(threadHandle) != static_cast<DWORD>(-1);
}

bool WThread::resume()
{
    return threadHandle != nullptr && ResumeThread(threadHandle) != static_cast<DWORD>(-1);
}

bool WThread::kill()
{
    if (!isActive())
        return false;
    // A thread killed during its start-up may leave the loader lock held for
    // the whole process, so let it reach run() first, even if suspended.
    while (!running && WaitForSingleObject(threadHandle, 1) == WAIT_TIMEOUT)
        ResumeThread(threadHandle);
    // A thread that ended meanwhile counts as killed.
    if (!TerminateThread(threadHandle, 0) && WaitForSingleObject(threadHandle, 0) != WAIT_OBJECT_0)
        throw WThreadException("Cannot kill thread.", -3);
    // Termination is asynchronous; the runnable may be freed once we return.
    WaitForSingleObject(threadHandle, INFINITE);
    closeThread();
    semaphore.close();
    return true;
}

void WThread::setPriority(Priority newPriority)
{
    priority = newPriority;
    if (isActive() && !SetThreadPriority(threadHandle, newPriority))
        throw WThreadException("Cannot set the priority of thread.", -2);
}
