#include "WWindowProcedure.h"

#include <windowsx.h>

#include "WSystem.h"
#include "WSystemInfo.h"
#include "WWindow.h"

namespace {

// What a window carries in its user-data slot once a handler is attached.
struct HandlerRecord {
    WWindow::EventHandler* handler;
    // The object whose handle is cleared when the window is destroyed.
    WWindowContext* context;
    bool mouseInside;
};

struct Reply {
    bool handled;
    LRESULT result;
};

const Reply notHandled = {false, 0};

Reply handled(LRESULT result)
{
    return Reply{true, result};
}

HandlerRecord* recordOf(HWND hwnd)
{
    return reinterpret_cast<HandlerRecord*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
}

void attach(HWND hwnd, const WWindow::CreationRecord& creation)
{
    HandlerRecord* record = new HandlerRecord{creation.handler, creation.context, false};
    SetWindowLongPtrA(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(record));
}

void release(HWND hwnd, HandlerRecord* record)
{
    SetWindowLongPtrA(hwnd, GWLP_USERDATA, 0);
    delete record;
}

// Runs one callback; no exception (WException or other) crosses the window
// procedure. False when the callback threw.
template <class Call>
bool guarded(Call call)
{
    try {
        call();
        return true;
    } catch (...) {
        return false;
    }
}

// The pointer left the window: tell a parent window, in its own client
// coordinates, so that it notices the pointer.
void noticeParent(HWND hwnd)
{
    if ((GetWindowLongPtrA(hwnd, GWL_STYLE) & WS_CHILD) == 0)
        return;
    HWND parent = GetParent(hwnd);
    POINT point;
    if (parent == nullptr || !GetCursorPos(&point) || !ScreenToClient(parent, &point))
        return;
    SendMessageA(parent, WM_MOUSEMOVE, 0, MAKELPARAM(point.x, point.y));
}

Reply dispatch(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, HandlerRecord* record)
{
    WWindow::EventHandler* handler = record->handler;
    // A callback may destroy the window; nothing of the record is used after that.
    auto attached = [hwnd, record]() { return recordOf(hwnd) == record; };

    LRESULT early = 0;
    bool answered = handler != nullptr && guarded([&] {
        early = handler->onWindowMessage(hwnd, message, wParam, lParam);
    });

    // onWindowDestroy carries cleanup (a dialog leaves the registry), so it
    // comes whatever onWindowMessage answered; then the record goes.
    if (message == WM_DESTROY) {
        if (handler != nullptr)
            guarded([&] { handler->onWindowDestroy(); });
        if (record->context != nullptr && record->context->getWindowHandle() == hwnd)
            record->context->setWindowHandle(nullptr);
        release(hwnd, record);
        return handled(answered && early != 0 ? early : 1);
    }
    if (!answered)
        return notHandled;
    if (early != 0)
        return handled(early);
    if (!attached())
        return notHandled;

    int x = GET_X_LPARAM(lParam);
    int y = GET_Y_LPARAM(lParam);
    switch (message) {
    case WM_SIZE:
        if (wParam == SIZE_RESTORED && !guarded([&] { handler->onWindowRestore(); }))
            return notHandled;
        if (attached())
            guarded([&] { handler->onWindowResize(LOWORD(lParam), HIWORD(lParam)); });
        return notHandled;
    case WM_PAINT: {
        PAINTSTRUCT paint;
        HDC dc = BeginPaint(hwnd, &paint);
        if (dc != nullptr) {
            guarded([&] { handler->onWindowRestore(dc, paint.rcPaint); });
            EndPaint(hwnd, &paint);
        }
        return handled(0);
    }
    case WM_CLOSE:
        // Handled even when the callback throws: closing never destroys by default.
        guarded([&] { handler->onWindowClose(); });
        return handled(1);
    case WM_ERASEBKGND: {
        bool done = false;
        guarded([&] { done = handler->onWindowEraseBackground(reinterpret_cast<HDC>(wParam)); });
        return done ? handled(1) : notHandled;
    }
    case WM_SETCURSOR: {
        HCURSOR cursor = WSystem::getSystemInfo().getCurrentCursorHandle();
        if (cursor == nullptr)
            return notHandled;
        SetCursor(cursor);
        return handled(0);
    }
    case WM_NCPAINT: {
        HDC dc = GetWindowDC(hwnd);
        if (dc != nullptr) {
            guarded([&] { handler->onWindowRestoreNoClient(dc); });
            ReleaseDC(hwnd, dc);
        }
        return notHandled;
    }
    case WM_KEYDOWN:
        guarded([&] { handler->onWindowKeyPressed(static_cast<int>(wParam)); });
        return notHandled;
    case WM_TIMER:
        guarded([&] { handler->onWindowTimerTick(); });
        return notHandled;
    case WM_MOUSEMOVE:
        if (!record->mouseInside) {
            TRACKMOUSEEVENT track = {sizeof(track), TME_LEAVE, hwnd, 0};
            TrackMouseEvent(&track);
            record->mouseInside = true;
            if (!guarded([&] { handler->onWindowMouseEnter(); }) || !attached())
                return notHandled;
        }
        guarded([&] { handler->onWindowMouseMove(x, y, nullptr); });
        return notHandled;
    case WM_LBUTTONDOWN:
        guarded([&] { handler->onWindowMouseLeftDown(x, y, nullptr); });
        return notHandled;
    case WM_LBUTTONUP:
        guarded([&] { handler->onWindowMouseLeftUp(x, y, nullptr); });
        return notHandled;
    case WM_LBUTTONDBLCLK:
        guarded([&] { handler->onWindowMouseLeftDoubleClick(x, y, nullptr); });
        return notHandled;
    case WM_RBUTTONDOWN:
        guarded([&] { handler->onWindowMouseRightDown(x, y, nullptr); });
        return notHandled;
    case WM_RBUTTONUP:
        guarded([&] { handler->onWindowMouseRightUp(x, y, nullptr); });
        return notHandled;
    case WM_MOUSELEAVE:
        if (record->mouseInside) {
            record->mouseInside = false;
            if (guarded([&] { handler->onWindowMouseLeave(); }) && IsWindow(hwnd))
                noticeParent(hwnd);
        }
        return notHandled;
    case WWindow::USER_MESSAGE:
        guarded([&] {
            handler->onWindowUserMessage(reinterpret_cast<void*>(wParam),
                                         reinterpret_cast<void*>(lParam));
        });
        return handled(0);
    default:
        return notHandled;
    }
}

// Dialog messages whose result is the dialog procedure's return value
// itself rather than the dialog's message result.
bool returnsDirectly(UINT message)
{
    switch (message) {
    case WM_CTLCOLORMSGBOX:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLORDLG:
    case WM_CTLCOLORSCROLLBAR:
    case WM_CTLCOLORSTATIC:
    case WM_COMPAREITEM:
    case WM_VKEYTOITEM:
    case WM_CHARTOITEM:
    case WM_QUERYDRAGICON:
    case WM_INITDIALOG:
        return true;
    default:
        return false;
    }
}

}

LRESULT CALLBACK WWindowProcedure::forWindow(HWND hwnd, UINT message, WPARAM wParam,
                                             LPARAM lParam)
{
    HandlerRecord* record = recordOf(hwnd);
    if (record == nullptr) {
        if (message == WWindow::ATTACH_MESSAGE && lParam != 0) {
            const WWindow::CreationRecord& creation =
                *reinterpret_cast<const WWindow::CreationRecord*>(lParam);
            attach(hwnd, creation);
            if (creation.handler != nullptr)
                guarded([&] { creation.handler->onWindowCreate(); });
            return 1;
        }
        return DefWindowProcA(hwnd, message, wParam, lParam);
    }
    Reply reply = dispatch(hwnd, message, wParam, lParam, record);
    return reply.handled ? reply.result : DefWindowProcA(hwnd, message, wParam, lParam);
}

INT_PTR CALLBACK WWindowProcedure::forDialog(HWND hwnd, UINT message, WPARAM wParam,
                                             LPARAM lParam)
{
    HandlerRecord* record = recordOf(hwnd);
    if (record == nullptr) {
        if (message == WM_INITDIALOG && lParam != 0) {
            const WWindow::CreationRecord& creation =
                *reinterpret_cast<const WWindow::CreationRecord*>(lParam);
            attach(hwnd, creation);
            if (creation.context != nullptr)
                creation.context->setWindowHandle(hwnd);
            if (creation.handler != nullptr)
                guarded([&] { creation.handler->onWindowCreate(); });
            return TRUE;
        }
        return FALSE;
    }
    Reply reply = dispatch(hwnd, message, wParam, lParam, record);
    if (!reply.handled)
        return FALSE;
    if (returnsDirectly(message))
        return static_cast<INT_PTR>(reply.result);
    if (IsWindow(hwnd))
        SetWindowLongPtrA(hwnd, DWLP_MSGRESULT, reply.result);
    return TRUE;
}

void WWindowProcedure::detach(HWND hwnd)
{
    HandlerRecord* record = recordOf(hwnd);
    if (record != nullptr)
        release(hwnd, record);
}
