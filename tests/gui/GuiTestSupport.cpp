#include "GuiTestSupport.h"

#include <vector>

#include "WSystem.h"

void pumpMessages(DWORD ms)
{
    pumpUntil([] { return false; }, ms);
}

bool pumpUntil(const std::function<bool()>& done, DWORD timeoutMs)
{
    DWORD start = GetTickCount();
    for (;;) {
        MSG message;
        while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&message);
            DispatchMessageA(&message);
        }
        if (done())
            return true;
        DWORD elapsed = GetTickCount() - start;
        if (elapsed >= timeoutMs)
            return done();
        MsgWaitForMultipleObjects(0, nullptr, FALSE, timeoutMs - elapsed < 20 ? timeoutMs - elapsed : 20,
                                  QS_ALLINPUT);
    }
}

std::string windowClassOf(HWND window)
{
    char name[64] = "";
    GetClassNameA(window, name, sizeof(name));
    return name;
}

namespace {
std::string windowText(HWND window)
{
    std::string text(static_cast<size_t>(GetWindowTextLengthA(window)) + 1, '\0');
    text.resize(static_cast<size_t>(GetWindowTextA(window, &text[0], static_cast<int>(text.size()))));
    return text;
}

struct DialogSearch {
    std::vector<HWND> found;
};

BOOL CALLBACK collectDialog(HWND window, LPARAM data)
{
    if (IsWindowVisible(window) && windowClassOf(window) == "#32770" &&
        !WSystem::isDialogWindow(window))
        reinterpret_cast<DialogSearch*>(data)->found.push_back(window);
    return TRUE;
}

BOOL CALLBACK collectChild(HWND window, LPARAM data)
{
    reinterpret_cast<std::vector<HWND>*>(data)->push_back(window);
    return TRUE;
}
}

DialogAnswerer::DialogAnswerer(int button)
    : button(button), threadId(GetCurrentThreadId()), stop(false), done(false), seenIcon(nullptr),
      watcher(&DialogAnswerer::watch, this)
{
}

DialogAnswerer::~DialogAnswerer()
{
    stop = true;
    watcher.join();
}

void DialogAnswerer::watch()
{
    for (int round = 0; round < 500 && !stop && !done; ++round) {
        DialogSearch search;
        EnumThreadWindows(threadId, collectDialog, reinterpret_cast<LPARAM>(&search));
        for (HWND dialog : search.found) {
            if (answer(dialog))
                return;
        }
        Sleep(20);
    }
}

bool DialogAnswerer::answer(HWND dialog)
{
    std::vector<HWND> children;
    EnumChildWindows(dialog, collectChild, reinterpret_cast<LPARAM>(&children));
    if (children.empty())
        return false; // not built yet
    std::string longest;
    HICON icon = nullptr;
    for (HWND child : children) {
        if (windowClassOf(child) != "Static")
            continue;
        if ((GetWindowLongA(child, GWL_STYLE) & SS_TYPEMASK) == SS_ICON) {
            icon = reinterpret_cast<HICON>(SendMessageA(child, STM_GETICON, 0, 0));
        } else {
            std::string text = windowText(child);
            if (text.size() > longest.size())
                longest = text;
        }
    }
    seenCaption = windowText(dialog);
    seenText = longest;
    seenIcon = icon;
    // Marked before the click: the dialog may close and its caller test
    // answered() before this thread runs again.
    done = true;
    PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED), 0);
    return true;
}

namespace {
BOOL CALLBACK countWindow(HWND window, LPARAM data)
{
    ++*reinterpret_cast<size_t*>(data);
    EnumChildWindows(window, countWindow, data);
    return TRUE;
}
}

size_t threadWindowCount()
{
    size_t count = 0;
    EnumThreadWindows(GetCurrentThreadId(), countWindow, reinterpret_cast<LPARAM>(&count));
    return count;
}

GuiObjectCounts guiObjectCounts()
{
    size_t gdi = 0;
    for (ULONG_PTR slot = 32; slot < 0x10000; ++slot)
        gdi += GetObjectType(reinterpret_cast<HGDIOBJ>(slot)) != 0 ? 1 : 0;
    return GuiObjectCounts{gdi, threadWindowCount()};
}
