#include "WWindow.h"

#include "WException.h"
#include "WSystem.h"
#include "WSystemInfo.h"
#include "WWindowProcedure.h"

void WWindow::EventHandler::onWindowCreate() {}
void WWindow::EventHandler::onWindowMouseEnter() {}
void WWindow::EventHandler::onWindowMouseLeave() {}
void WWindow::EventHandler::onWindowMouseMove(int, int, void*) {}
void WWindow::EventHandler::onWindowMouseLeftDown(int, int, void*) {}
void WWindow::EventHandler::onWindowMouseLeftDoubleClick(int, int, void*) {}
void WWindow::EventHandler::onWindowMouseLeftUp(int, int, void*) {}
void WWindow::EventHandler::onWindowMouseRightDown(int, int, void*) {}
void WWindow::EventHandler::onWindowMouseRightUp(int, int, void*) {}
void WWindow::EventHandler::onWindowKeyPressed(int) {}
void WWindow::EventHandler::onWindowRestore() {}
void WWindow::EventHandler::onWindowRestore(HDC, const RECT&) {}

bool WWindow::EventHandler::onWindowEraseBackground(HDC)
{
    return false;
}

void WWindow::EventHandler::onWindowRestoreNoClient(HDC) {}
void WWindow::EventHandler::onWindowClose() {}
void WWindow::EventHandler::onWindowDestroy() {}
void WWindow::EventHandler::onWindowTimerTick() {}
void WWindow::EventHandler::onWindowUserMessage(void*, void*) {}
void WWindow::EventHandler::onWindowResize(unsigned long, unsigned long) {}

LRESULT WWindow::EventHandler::onWindowMessage(HWND, UINT, WPARAM, LPARAM)
{
    return 0;
}

namespace {
const UINT_PTR windowTimerId = 1;
}

WWindow::WWindow() : parent(nullptr), ownsWindow(true) {}

WWindow::WWindow(const WWindow& other)
    : WWindowContext(other), parent(other.parent), ownsWindow(false)
{
}

WWindow::~WWindow()
{
    if (ownsWindow && windowHandle != nullptr && IsWindow(windowHandle)) {
        WWindowProcedure::detach(windowHandle);
        DestroyWindow(windowHandle);
    }
}

void WWindow::create(WWindowContext* parentContext, const char* title, EventHandler* handler,
                     const WWindowStyle& style, int x, int y, unsigned long width,
                     unsigned long height)
{
    if (windowHandle != nullptr)
        return;
    HWND window = CreateWindowExA(style.getStyleEx(), style.getClassName(), title,
                                  style.getStyle(), x, y, static_cast<int>(width),
                                  static_cast<int>(height),
                                  WSystem::getContextWindowHandle(parentContext), nullptr,
                                  WSystem::getInstance(), nullptr);
    if (window == nullptr)
        throw WSystemException("Cannot create window.", -4);
    windowHandle = window;
    parent = parentContext;
    ownsWindow = true;
    CreationRecord creation = {this, handler};
    SendMessageA(window, ATTACH_MESSAGE, 0, reinterpret_cast<LPARAM>(&creation));
}

void WWindow::create(WWindowContext* parentContext, const char* title, EventHandler* handler,
                     Style type, int x, int y, unsigned long width, unsigned long height)
{
    DWORD style = WS_OVERLAPPEDWINDOW;
    DWORD exStyle = WS_EX_APPWINDOW;
    switch (type) {
    case STYLE_PLAIN:
        style = WS_OVERLAPPED;
        exStyle = 0;
        break;
    case STYLE_POPUP:
        style = WS_POPUP;
        exStyle = WS_EX_CONTROLPARENT;
        break;
    case STYLE_CHILD:
        style = WS_CHILD;
        exStyle = 0;
        break;
    default:
        break;
    }
    WWindowStyle windowStyle(WSystem::getSystemInfo().getProgramName(), style, exStyle);
    create(parentContext, title, handler, windowStyle, x, y, width, height);
}

void WWindow::destroy()
{
    if (ownsWindow && windowHandle != nullptr && IsWindow(windowHandle))
        DestroyWindow(windowHandle);
    windowHandle = nullptr;
    parent = nullptr;
}

void WWindow::setIcon(unsigned long id)
{
    if (windowHandle == nullptr)
        return;
    HICON icon = LoadIconA(WSystem::getInstance(), MAKEINTRESOURCEA(id));
    SendMessageA(windowHandle, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icon));
}

void WWindow::setMenu(HMENU menu)
{
    if (windowHandle != nullptr)
        SetMenu(windowHandle, menu);
}

void WWindow::redrawMenu()
{
    if (windowHandle != nullptr)
        DrawMenuBar(windowHandle);
}

void WWindow::setWindowText(const char* text)
{
    if (windowHandle != nullptr)
        SetWindowTextA(windowHandle, text);
}

void WWindow::maximizeWindow()
{
    if (windowHandle != nullptr)
        ShowWindow(windowHandle, SW_MAXIMIZE);
}

void WWindow::minimizeWindow()
{
    if (windowHandle != nullptr)
        ShowWindow(windowHandle, SW_MINIMIZE);
}

void WWindow::restoreWindow()
{
    if (windowHandle != nullptr)
        ShowWindow(windowHandle, SW_RESTORE);
}

void WWindow::setForegroundWindow(bool topMost)
{
    if (windowHandle != nullptr)
        SetWindowPos(windowHandle, topMost ? HWND_TOPMOST : HWND_TOP, 0, 0, 0, 0,
                     SWP_NOMOVE | SWP_NOSIZE);
}

void WWindow::setBackgroundWindow()
{
    if (windowHandle != nullptr)
        SetWindowPos(windowHandle, HWND_NOTOPMOST, 0, 0, 0, 0,
                     SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

void WWindow::setTimer(unsigned long ms)
{
    if (windowHandle != nullptr)
        SetTimer(windowHandle, windowTimerId, ms, nullptr);
}

void WWindow::killTimer()
{
    if (windowHandle != nullptr)
        KillTimer(windowHandle, windowTimerId);
}

bool WWindow::createUserMessage(void* a, void* b)
{
    HWND window = windowHandle;
    return window != nullptr && PostMessageA(window, USER_MESSAGE, reinterpret_cast<WPARAM>(a),
                                             reinterpret_cast<LPARAM>(b));
}
