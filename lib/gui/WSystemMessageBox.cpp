// Message boxes, the cursor and the window handle of a context.

#include "WException.h"
#include "WSystem.h"
#include "WSystemInfo.h"
#include "WWindowContext.h"

void WSystem::showMessage(WWindowContext* owner, const char* text, const char* caption,
                          bool warning)
{
    MessageBoxA(getContextWindowHandle(owner), text, caption,
                MB_OK | (warning ? MB_ICONEXCLAMATION : MB_ICONINFORMATION));
}

bool WSystem::showQuestion(WWindowContext* owner, const char* text, const char* caption)
{
    return MessageBoxA(getContextWindowHandle(owner), text, caption, MB_YESNO | MB_ICONQUESTION) ==
           IDYES;
}

void WSystem::showException(WWindowContext* owner, const WException& e)
{
    MessageBoxA(getContextWindowHandle(owner), e.toString(), "Error", MB_OK | MB_ICONEXCLAMATION);
}

void WSystem::showException(WWindowContext* owner, const WException& e, const char* explanation)
{
    WString text(explanation);
    text += "\r\n\r\n";
    text += e.toString();
    MessageBoxA(getContextWindowHandle(owner), text, "Error", MB_OK | MB_ICONEXCLAMATION);
}

HWND WSystem::getContextWindowHandle(WWindowContext* context)
{
    return context != nullptr ? context->getWindowHandle() : nullptr;
}

HCURSOR WSystem::setCurrentCursor(CursorType type)
{
    HCURSOR cursor = nullptr;
    switch (type) {
    case CURSOR_ARROW:
        cursor = LoadCursorA(nullptr, MAKEINTRESOURCEA(32512)); // IDC_ARROW
        break;
    case CURSOR_HAND:
        cursor = LoadCursorA(nullptr, MAKEINTRESOURCEA(32649)); // IDC_HAND
        break;
    case CURSOR_MOVE:
        cursor = LoadCursorA(nullptr, MAKEINTRESOURCEA(32646)); // IDC_SIZEALL
        break;
    default:
        break;
    }
    getSystemInfo().currentCursor = cursor;
    if (cursor != nullptr)
        SetCursor(cursor);
    return cursor;
}

void WSystem::showCursor(bool show)
{
    getSystemInfo().cursorShown = show;
    // The system keeps a display counter; bring it to exactly 0 (shown) or
    // -1 (hidden) so that one call always undoes the other.
    if (show) {
        int count = ShowCursor(TRUE);
        while (count < 0)
            count = ShowCursor(TRUE);
        while (count > 0)
            count = ShowCursor(FALSE);
    } else {
        int count = ShowCursor(FALSE);
        while (count >= 0)
            count = ShowCursor(FALSE);
        while (count < -1)
            count = ShowCursor(TRUE);
    }
}

bool WSystem::isCursorActive()
{
    return getSystemInfo().cursorShown;
}
