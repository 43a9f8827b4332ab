#include "WWindowContext.h"

#include "WSystem.h"

WWindowContext::WWindowContext() : windowHandle(nullptr) {}

bool WWindowContext::setFocusNextControl(WControl&, bool)
{
    return false;
}

bool WWindowContext::onControlKeyPressed(WControl&, int)
{
    return false;
}

bool WWindowContext::onControlMessage(WControl&, UINT, WPARAM, LPARAM)
{
    return false;
}

void WWindowContext::setExStyle(unsigned long flags, bool set)
{
    if (windowHandle == nullptr)
        return;
    LONG_PTR exStyle = GetWindowLongPtrA(windowHandle, GWL_EXSTYLE);
    exStyle = set ? (exStyle | static_cast<LONG_PTR>(flags)) : (exStyle & ~static_cast<LONG_PTR>(flags));
    SetWindowLongPtrA(windowHandle, GWL_EXSTYLE, exStyle);
    // Frame styles take effect only when the frame is recomputed.
    SetWindowPos(windowHandle, nullptr, 0, 0, 0, 0,
                 SWP_FRAMECHANGED | SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void WWindowContext::getClientArea(RECT& area) const
{
    if (windowHandle == nullptr || !GetClientRect(windowHandle, &area))
        SetRectEmpty(&area);
}

void WWindowContext::getWindowArea(RECT& area) const
{
    if (windowHandle == nullptr || !GetWindowRect(windowHandle, &area))
        SetRectEmpty(&area);
}

unsigned long WWindowContext::getWindowWidth() const
{
    RECT area;
    getWindowArea(area);
    return static_cast<unsigned long>(area.right - area.left);
}

unsigned long WWindowContext::getWindowHeight() const
{
    RECT area;
    getWindowArea(area);
    return static_cast<unsigned long>(area.bottom - area.top);
}

void WWindowContext::setWindowPos(int x, int y, unsigned long width, unsigned long height,
                                  bool repaint)
{
    if (windowHandle != nullptr)
        MoveWindow(windowHandle, x, y, static_cast<int>(width), static_cast<int>(height), repaint);
}

void WWindowContext::resizeWindow(unsigned long width, unsigned long height, bool repaint)
{
    if (windowHandle == nullptr)
        return;
    UINT flags = SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE | (repaint ? 0 : SWP_NOREDRAW);
    SetWindowPos(windowHandle, nullptr, 0, 0, static_cast<int>(width), static_cast<int>(height),
                 flags);
}

void WWindowContext::setFocusWindow(bool selectAll, bool next)
{
    if (windowHandle == nullptr)
        return;
    HWND target = next ? GetWindow(windowHandle, GW_HWNDNEXT) : windowHandle;
    if (target == nullptr)
        return;
    SetFocus(target);
    if (selectAll) {
        SendMessageA(target, EM_SETSEL, 0, -1);
        SendMessageA(target, EM_SCROLLCARET, 0, 0);
    }
}

void WWindowContext::enableWindow(bool enable)
{
    if (windowHandle != nullptr)
        EnableWindow(windowHandle, enable);
}

bool WWindowContext::isWindowEnabled() const
{
    return windowHandle != nullptr && IsWindowEnabled(windowHandle);
}

void WWindowContext::showWindow()
{
    if (windowHandle != nullptr)
        ShowWindow(windowHandle, SW_SHOW);
}

void WWindowContext::hideWindow()
{
    if (windowHandle != nullptr)
        ShowWindow(windowHandle, SW_HIDE);
}

void WWindowContext::invalidateWindow()
{
    if (windowHandle != nullptr)
        InvalidateRect(windowHandle, nullptr, FALSE);
}

bool WWindowContext::isDialogWindow() const
{
    return windowHandle != nullptr && WSystem::isDialogWindow(windowHandle);
}
