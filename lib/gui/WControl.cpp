#include "WControl.h"

#include <cstdio>

#include "WControlManager.h"
#include "WException.h"
#include "WMutex.h"
#include "WSystem.h"
#include "WSystemInfo.h"

namespace {
// Runs one hook of the owner or the arrange handler; no exception crosses the
// window procedure, and a hook that throws has consumed nothing.
template <class Call>
bool hookSays(Call call)
{
    try {
        return call();
    } catch (...) {
        return false;
    }
}
}

WControl::WControl()
    : controlId(0), prevWndProc(nullptr), owner(nullptr), arrangeHandler(nullptr), takenFocusKey(0)
{
}

WControl::~WControl()
{
    WControl::destroy();
}

void WControl::create(WWindowContext* owner, const char* name, unsigned long itemId)
{
    if (windowHandle != nullptr)
        return;
    HWND parent = WSystem::getContextWindowHandle(owner);
    HWND item = parent != nullptr ? GetDlgItem(parent, static_cast<int>(itemId)) : nullptr;
    attach(item, owner, name, itemId);
}

void WControl::create(WWindowContext* owner, const char* name, const WWindowStyle& style, int x,
                      int y, unsigned long width, unsigned long height)
{
    createWindow(owner, name, style.getClassName(), style.getStyle() | WS_TABSTOP,
                 style.getStyleEx(), x, y, width, height);
}

void WControl::createWindow(WWindowContext* owner, const char* name, const char* className,
                            DWORD style, DWORD exStyle, int x, int y, unsigned long width,
                            unsigned long height)
{
    if (windowHandle != nullptr)
        return;
    HWND window = nullptr;
    // Before start-up there is no default font, no rich-edit library and no
    // module instance: nothing is created then.
    if (static_cast<HFONT>(WSystem::getSystemInfo().getDefaultFont()) != nullptr) {
        window = CreateWindowExA(exStyle, className, "", style, x, y, static_cast<int>(width),
                                 static_cast<int>(height), WSystem::getContextWindowHandle(owner),
                                 nullptr, WSystem::getInstance(), nullptr);
    }
    attach(window, owner, name, 0);
}

void WControl::attach(HWND window, WWindowContext* newOwner, const char* newName,
                      unsigned long itemId)
{
    // A window that already belongs to a control would otherwise end up
    // calling itself as its own previous procedure.
    if (window == nullptr || WControlManager::getControl(window) != nullptr)
        throw WControlException(
            WFormattedString("Cannot create GUI control %s", newName != nullptr ? newName : ""),
            -1);
    owner = newOwner;
    name = newName != nullptr ? newName : "";
    controlId = itemId;
    windowHandle = window;
    takenFocusKey = 0;
    WMutexLocker lock(WSystem::getGlobalMutex());
    // The control is found before the first message reaches its procedure.
    SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    WControlManager::addControl(window, this);
    prevWndProc = reinterpret_cast<WNDPROC>(SetWindowLongPtrA(
        window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&WControl::controlProcedure)));
}

void WControl::detach()
{
    if (windowHandle == nullptr)
        return;
    WMutexLocker lock(WSystem::getGlobalMutex());
    WControlManager::removeControl(windowHandle);
    SetWindowLongPtrA(windowHandle, GWLP_USERDATA, 0);
    if (prevWndProc != nullptr)
        SetWindowLongPtrA(windowHandle, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(prevWndProc));
}

void WControl::forget()
{
    windowHandle = nullptr;
    owner = nullptr;
    controlId = 0;
    prevWndProc = nullptr;
    arrangeHandler = nullptr;
    takenFocusKey = 0;
}

void WControl::destroy()
{
    HWND window = windowHandle;
    detach();
    forget();
    if (window != nullptr)
        DestroyWindow(window);
}

bool WControl::isTextControl() const
{
    return false;
}

bool WControl::formatText(WString&) const
{
    return false;
}

void WControl::getControlArea(RECT& area) const
{
    getWindowArea(area);
}

unsigned long WControl::getControlWidth() const
{
    return getWindowWidth();
}

unsigned long WControl::getControlHeight() const
{
    return getWindowHeight();
}

unsigned long WControl::getNameId() const
{
    unsigned int id = 0;
    if (std::sscanf(name, "#%u", &id) != 1)
        return 0;
    return id;
}

void WControl::setClientEdge(bool clientEdge)
{
    setExStyle(WS_EX_CLIENTEDGE, clientEdge);
}

void WControl::setDefaultFont()
{
    HFONT font = WSystem::getSystemInfo().getDefaultFont();
    SendMessageA(windowHandle, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
}

unsigned long WControl::defaultHeight(unsigned long height)
{
    return height != 0 ? height : WSystem::getSystemInfo().getDefaultFont().getHeight() + 16;
}

unsigned long WControl::toIndex(LRESULT result)
{
    return result < 0 ? static_cast<unsigned long>(-1) : static_cast<unsigned long>(result);
}

LRESULT CALLBACK WControl::controlProcedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    WControl* control = reinterpret_cast<WControl*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
    if (control == nullptr || control->windowHandle != hwnd)
        return DefWindowProcA(hwnd, message, wParam, lParam);
    return control->handleMessage(message, wParam, lParam);
}

LRESULT WControl::handleMessage(UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_DESTROY: {
        WNDPROC previous = prevWndProc;
        HWND window = windowHandle;
        // The window goes with its dialog or parent: the object forgets it
        // now, so that it never holds a handle the system may give again.
        detach();
        forget();
        return CallWindowProcA(previous, window, message, wParam, lParam);
    }
    case WM_KILLFOCUS:
        if (isTextControl()) {
            WString text(1024UL);
            if (hookSays([&] { return formatText(text); }))
                SetWindowTextA(windowHandle, text);
        }
        break;
    case WM_PAINT:
        if (arrangeHandler != nullptr)
            hookSays([&] {
                arrangeHandler->onWindowUserMessage(reinterpret_cast<void*>(1), nullptr);
                return true;
            });
        break;
    case WM_SETCURSOR:
        if (arrangeHandler != nullptr)
            return 0;
        break;
    case WM_KEYDOWN:
        if (wParam != takenFocusKey)
            takenFocusKey = 0;
        if (owner != nullptr &&
            hookSays([&] { return owner->onControlKeyPressed(*this, static_cast<int>(wParam)); }))
            return 1;
        break;
    case WM_GETDLGCODE: {
        const MSG* query = reinterpret_cast<const MSG*>(lParam);
        if (owner != nullptr && query != nullptr && query->message == WM_KEYDOWN &&
            (query->wParam == VK_TAB || query->wParam == VK_RETURN)) {
            bool isReturn = query->wParam == VK_RETURN;
            takenFocusKey = 0;
            if (hookSays([&] { return owner->setFocusNextControl(*this, isReturn); })) {
                takenFocusKey = query->wParam;
                return DLGC_WANTALLKEYS;
            }
        }
        break;
    }
    case WM_CHAR:
        if (wParam == '\t' || wParam == '\r') {
            WPARAM key = wParam == '\t' ? VK_TAB : VK_RETURN;
            if (takenFocusKey == key) {
                // The owner took this key at the dialog-code query already.
                takenFocusKey = 0;
                return 1;
            }
            bool isReturn = key == VK_RETURN;
            if (owner != nullptr &&
                hookSays([&] { return owner->setFocusNextControl(*this, isReturn); }))
                return 1;
        }
        break;
    case WM_MOUSEMOVE:
    case WM_LBUTTONDOWN:
        if (arrangeHandler != nullptr) {
            RECT own;
            RECT parent;
            GetWindowRect(windowHandle, &own);
            GetWindowRect(GetParent(windowHandle), &parent);
            int x = static_cast<short>(static_cast<short>(LOWORD(lParam)) + own.left - parent.left);
            int y = static_cast<short>(static_cast<short>(HIWORD(lParam)) + own.top - parent.top);
            WWindow::EventHandler* handler = arrangeHandler;
            hookSays([&] {
                if (message == WM_MOUSEMOVE)
                    handler->onWindowMouseMove(x, y, this);
                else
                    handler->onWindowMouseLeftDown(x, y, this);
                return true;
            });
            return 0;
        }
        break;
    default: break;
    }
    if (owner != nullptr &&
        hookSays([&] { return owner->onControlMessage(*this, message, wParam, lParam); }))
        return 1;
    return passOn(message, wParam, lParam);
}

LRESULT WControl::passOn(UINT message, WPARAM wParam, LPARAM lParam)
{
    // A hook may have destroyed the window: its own procedure is gone then too.
    if (windowHandle == nullptr)
        return 0;
    return CallWindowProcA(prevWndProc, windowHandle, message, wParam, lParam);
}
