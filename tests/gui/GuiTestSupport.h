#pragma once

#include <windows.h>

#include <atomic>
#include <functional>
#include <string>
#include <thread>

// Shared helpers of the window tests: message pumping, and a watcher that
// answers the message boxes and common dialogs a test opens, so no test
// ever waits for a person.

// Dispatches the thread's messages for ms milliseconds.
void pumpMessages(DWORD ms);
// Dispatches messages until done() holds or timeoutMs passed; done()'s last answer.
bool pumpUntil(const std::function<bool()>& done, DWORD timeoutMs);

// The window class name of a window.
std::string windowClassOf(HWND window);

// Watches the creating thread for a system dialog box (class "#32770" that
// is not one of the library's registered dialogs) from a helper thread,
// records its caption, its longest static text and its icon, and presses
// the given button (WM_COMMAND). Gives up after ten seconds.
class DialogAnswerer {
public:
    explicit DialogAnswerer(int button);
    DialogAnswerer(const DialogAnswerer&) = delete;
    DialogAnswerer& operator=(const DialogAnswerer&) = delete;
    ~DialogAnswerer();

    bool answered() const { return done; }
    std::string caption() const { return seenCaption; }
    std::string text() const { return seenText; }
    HICON icon() const { return seenIcon; }

private:
    void watch();
    bool answer(HWND dialog);

    int button;
    DWORD threadId;
    std::atomic<bool> stop;
    std::atomic<bool> done;
    std::string seenCaption;
    std::string seenText;
    HICON seenIcon;
    std::thread watcher;
};

// The windows of the calling thread, child windows included.
size_t threadWindowCount();

// Live GDI objects of the process and windows of the calling thread. Wine
// reports no counts through GetGuiResources, so the GDI objects are counted
// by probing every handle slot (Wine takes a handle without its generation
// word as the slot's current object).
struct GuiObjectCounts {
    size_t gdi;
    size_t user;
};
GuiObjectCounts guiObjectCounts();
