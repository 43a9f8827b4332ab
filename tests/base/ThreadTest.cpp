#include <gtest/gtest.h>

#include <atomic>
#include <cstring>
#include <functional>
#include <new>
#include <stdexcept>

#include "WException.h"
#include "WMutex.h"
#include "WSystem.h"
#include "WThread.h"

namespace {
// Generous bound for "the other thread gets there": only a broken build waits this long.
const unsigned long longWait = 10000;

class Job : public WRunable {
public:
    explicit Job(std::function<void()> body) : body(std::move(body)) {}
    void run() override
    {
        ++runs;
        body();
    }
    std::atomic<int> runs{0};

private:
    std::function<void()> body;
};

// A critical section for the length of one test.
struct Section {
    Section() { WSystem::initMutex(cs); }
    ~Section() { WSystem::deleteMutex(cs); }
    CRITICAL_SECTION cs;
};
}

TEST(ThreadTest, RunsAndFinishes)
{
    Job quick([] {});
    WThread thread;
    EXPECT_FALSE(thread.isActive()) << "fresh thread";
    EXPECT_FALSE(thread.wait(10)) << "wait without a semaphore";
    EXPECT_FALSE(thread.join(10)) << "join without a thread";
    EXPECT_FALSE(thread.kill()) << "kill without a thread";
    EXPECT_FALSE(thread.suspend());
    EXPECT_FALSE(thread.start(nullptr));

    ASSERT_TRUE(thread.start(&quick));
    ASSERT_TRUE(thread.join(longWait));
    EXPECT_FALSE(thread.isActive()) << "the flag is cleared before the thread ends";
    EXPECT_FALSE(thread.kill()) << "kill on a finished thread";
    EXPECT_EQ(1, quick.runs);

    ASSERT_TRUE(thread.start(&quick)) << "a finished run can be started again";
    ASSERT_TRUE(thread.join(longWait));
    EXPECT_EQ(2, quick.runs);

    Job throwing([] { throw std::runtime_error("escapes run"); });
    ASSERT_TRUE(thread.start(&throwing));
    ASSERT_TRUE(thread.join(longWait));
    EXPECT_FALSE(thread.isActive()) << "an exception out of run still ends the run";

    // Once the run is over its owner may destroy the runnable; the thread
    // object must not read it again (here its memory is reused at once).
    alignas(Job) unsigned char storage[sizeof(Job)];
    Job* temporary = new (storage) Job([] {});
    ASSERT_TRUE(thread.start(temporary));
    ASSERT_TRUE(thread.join(longWait));
    temporary->~Job();
    std::memset(storage, 0xFF, sizeof storage);
    EXPECT_FALSE(thread.isActive()) << "the destroyed runnable was read";
    EXPECT_TRUE(thread.start(&quick)) << "start refused after a destroyed runnable";
    ASSERT_TRUE(thread.join(longWait));
}

TEST(ThreadTest, RefusesSecondStartAndSignals)
{
    WSemaphore gate(0);
    WThread* owner = nullptr;
    Job blocked([&] {
        owner->signal(); // tell the starter we are running
        gate.wait(-1);
    });
    Job other([] {});
    WThread thread;
    owner = &thread;

    ASSERT_TRUE(thread.start(&blocked));
    ASSERT_TRUE(thread.wait(0)) << "the worker's signal reaches the starter";
    EXPECT_TRUE(thread.isActive());
    EXPECT_FALSE(thread.start(&other)) << "second start while active";
    EXPECT_FALSE(thread.start(&blocked)) << "same runnable again while active";
    EXPECT_EQ(0, other.runs);
    EXPECT_EQ(1, blocked.runs);

    thread.signal();
    EXPECT_TRUE(thread.wait(0)) << "one signal, one immediate wait";
    EXPECT_FALSE(thread.wait(10)) << "a second wait times out";

    gate.signal();
    ASSERT_TRUE(thread.join(longWait));
    EXPECT_FALSE(thread.isActive());
}

TEST(ThreadTest, KillsAndAppliesPriority)
{
    WSemaphore never(0);
    Job stuck([&] { never.wait(-1); });
    {
        WThread thread;
        ASSERT_TRUE(thread.start(&stuck));
        EXPECT_TRUE(thread.isActive());
        EXPECT_TRUE(thread.kill());
        EXPECT_FALSE(thread.isActive()) << "a killed thread is idle";
        EXPECT_FALSE(thread.wait(10)) << "the semaphore went with the kill";
        EXPECT_FALSE(thread.join(10)) << "the handle went with the kill";
        EXPECT_FALSE(thread.kill());

        ASSERT_TRUE(thread.start(&stuck)) << "start after kill";
        EXPECT_TRUE(thread.isActive());
    } // the destructor must kill the stuck thread rather than hang

    std::atomic<int> seen{THREAD_PRIORITY_ERROR_RETURN};
    Job probe([&] { seen = GetThreadPriority(GetCurrentThread()); });
    WSemaphore gate(0);
    Job waiting([&] { gate.wait(-1); });
    WThread thread;
    thread.setPriority(WThread::PRIORITY_BELOW_NORMAL);
    ASSERT_TRUE(thread.start(&probe));
    ASSERT_TRUE(thread.join(longWait));
    EXPECT_EQ(THREAD_PRIORITY_BELOW_NORMAL, seen) << "priority in place before run()";

    ASSERT_TRUE(thread.start(&waiting));
    try {
        thread.setPriority(static_cast<WThread::Priority>(99));
        ADD_FAILURE() << "invalid priority accepted";
    } catch (const WThreadException& e) {
        EXPECT_STREQ("Cannot set the priority of thread.", e.getMessage());
        EXPECT_EQ(-2, e.getId());
    }
    thread.setPriority(WThread::PRIORITY_NORMAL);
    gate.signal();
    ASSERT_TRUE(thread.join(longWait));
}

TEST(ThreadTest, MutexAndSemaphore)
{
    WMutex none;
    EXPECT_FALSE(none.enter(0)) << "no mutex yet";
    EXPECT_FALSE(none.leave());

    WMutex mutex(false);
    EXPECT_TRUE(mutex.enter(-1));
    EXPECT_TRUE(mutex.enter(0)) << "the owner may enter again";
    EXPECT_TRUE(mutex.leave());

    std::atomic<bool> othersGotIt{true};
    Job tryEnter([&] { othersGotIt = mutex.enter(0); });
    Job abandon([&] { mutex.enter(-1); });
    WThread thread;
    ASSERT_TRUE(thread.start(&tryEnter));
    ASSERT_TRUE(thread.join(longWait));
    EXPECT_FALSE(othersGotIt) << "held by this thread";
    EXPECT_TRUE(mutex.leave());
    EXPECT_FALSE(mutex.leave()) << "released twice";

    ASSERT_TRUE(thread.start(&abandon));
    ASSERT_TRUE(thread.join(longWait));
    EXPECT_TRUE(mutex.enter(static_cast<int>(longWait))) << "abandoned mutex is acquired";
    EXPECT_TRUE(mutex.leave());

    WSemaphore empty;
    EXPECT_FALSE(empty.wait(1));
    WSemaphore semaphore(2);
    EXPECT_TRUE(semaphore.wait(1));
    EXPECT_TRUE(semaphore.wait(1));
    EXPECT_FALSE(semaphore.wait(10));
    semaphore.signal();
    EXPECT_TRUE(semaphore.wait(1));
    ASSERT_TRUE(semaphore.create(1));
    EXPECT_TRUE(semaphore.wait(1));
    EXPECT_FALSE(semaphore.wait(10));
}

TEST(ThreadTest, LockerReleasesOnScopeExit)
{
    Section section;
    Section second;
    WMutex mutex(false);
    std::atomic<bool> entered{false};
    std::atomic<bool> othersGotIt{true};
    std::atomic<bool> firstFree{false};
    Job enterSection([&] {
        WMutexLocker locker(section.cs);
        entered = true;
    });
    Job tryEnter([&] {
        othersGotIt = mutex.enter(0);
        if (othersGotIt)
            mutex.leave();
    });
    Job tryFirst([&] {
        firstFree = TryEnterCriticalSection(&section.cs) != 0;
        if (firstFree)
            LeaveCriticalSection(&section.cs);
    });
    WThread thread;
    {
        WMutexLocker locker(section.cs);
        EXPECT_FALSE(WSystem::tryEnterMutex(section.cs)) << "tryEnterMutex never enters";
        ASSERT_TRUE(thread.start(&enterSection));
        EXPECT_FALSE(thread.join(50)) << "the worker must block while the section is held";
        EXPECT_FALSE(entered);
    }
    ASSERT_TRUE(thread.join(longWait)) << "the section was not released at scope exit";
    EXPECT_TRUE(entered);

    {
        WMutexLocker locker(mutex);
        ASSERT_TRUE(thread.start(&tryEnter));
        ASSERT_TRUE(thread.join(longWait));
        EXPECT_FALSE(othersGotIt) << "the locker holds the mutex";
    }
    ASSERT_TRUE(thread.start(&tryEnter));
    ASSERT_TRUE(thread.join(longWait));
    EXPECT_TRUE(othersGotIt) << "the locker released the mutex";

    // Locking again gives up the first lock instead of leaving it held.
    {
        WMutexLocker locker(section.cs);
        locker.lock(second.cs);
        ASSERT_TRUE(thread.start(&tryFirst));
        ASSERT_TRUE(thread.join(longWait));
        EXPECT_TRUE(firstFree);
    }
}
