#pragma once

#include <windows.h>

#include <stdexcept>
#include <string>
#include <vector>

#include "WException.h"
#include "WWindow.h"

// An event handler that writes every callback it gets into a list of
// short texts, and can be told to throw from some of them.
class RecordingHandler : public WWindow::EventHandler {
public:
    std::vector<std::string> events;
    WWindow* window = nullptr;
    bool handleKnownOnCreate = false;
    bool throwOnLeftDown = false;
    bool throwOnRightDown = false;
    bool throwOnClose = false;
    UINT throwOnMessage = 0;
    // onWindowMessage answers 1 (ends the processing) for every message.
    bool answerAll = false;
    void* userA = nullptr;
    void* userB = nullptr;
    DWORD userThread = 0;
    std::vector<WPARAM> commands;

    void onWindowCreate() override
    {
        handleKnownOnCreate = window != nullptr && window->getWindowHandle() != nullptr;
        add("create");
    }
    void onWindowMouseEnter() override { add("enter"); }
    void onWindowMouseLeave() override { add("leave"); }
    void onWindowMouseMove(int x, int y, void*) override { add("move", x, y); }
    void onWindowMouseLeftDown(int x, int y, void*) override
    {
        add("leftdown", x, y);
        if (throwOnLeftDown)
            throw WException("left down failed", -1);
    }
    void onWindowMouseRightDown(int x, int y, void*) override
    {
        add("rightdown", x, y);
        if (throwOnRightDown)
            throw std::runtime_error("right down failed");
    }
    void onWindowKeyPressed(int key) override { add("key", key); }
    void onWindowRestore() override { add("restore"); }
    void onWindowRestore(HDC, const RECT& area) override
    {
        add("paint", area.right - area.left, area.bottom - area.top);
    }
    void onWindowClose() override
    {
        add("close");
        if (throwOnClose)
            throw WException("close failed", -1);
    }
    void onWindowDestroy() override { add("destroy"); }
    void onWindowTimerTick() override { add("tick"); }
    void onWindowUserMessage(void* a, void* b) override
    {
        userA = a;
        userB = b;
        userThread = GetCurrentThreadId();
        add("user");
    }
    void onWindowResize(unsigned long width, unsigned long height) override
    {
        add("resize", static_cast<long>(width), static_cast<long>(height));
    }
    LRESULT onWindowMessage(HWND, UINT message, WPARAM wParam, LPARAM) override
    {
        if (message == WM_COMMAND)
            commands.push_back(wParam);
        if (throwOnMessage != 0 && message == throwOnMessage)
            throw WException("message failed", -1);
        return answerAll ? 1 : 0;
    }

    int count(const std::string& name) const
    {
        int n = 0;
        for (const std::string& e : events)
            n += e == name || e.rfind(name + " ", 0) == 0 ? 1 : 0;
        return n;
    }
    // Index of the first event that is name or starts with "name ", -1 if none.
    int indexOf(const std::string& name) const
    {
        for (size_t i = 0; i < events.size(); ++i) {
            if (events[i] == name || events[i].rfind(name + " ", 0) == 0)
                return static_cast<int>(i);
        }
        return -1;
    }

private:
    void add(const std::string& name) { events.push_back(name); }
    void add(const std::string& name, long a)
    {
        events.push_back(name + " " + std::to_string(a));
    }
    void add(const std::string& name, long a, long b)
    {
        events.push_back(name + " " + std::to_string(a) + " " + std::to_string(b));
    }
};
