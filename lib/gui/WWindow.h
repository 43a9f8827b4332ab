#pragma once

// Windows and their event handlers.
//
// Every window and dialog of the library runs one shared window procedure
// that calls the callbacks of the window's WWindow::EventHandler. The
// convention for callback results:
//   - onWindowMessage sees every message first; a non-zero result ends the
//     processing and is the message's result (for a dialog it becomes the
//     dialog's message result). 0 lets the procedure go on.
//   - onWindowEraseBackground returning true means the background is done and
//     the default erase is skipped.
//   - all other callbacks return nothing; the procedure then gives the
//     message its default processing where the system needs it.
// An exception thrown by a callback never leaves the procedure: it is
// discarded and the message gets default processing. Callbacks that must
// report a failure catch it themselves (WSystem::showException).
//
// Message parameters and results are full width (WPARAM, LPARAM, LRESULT),
// so no pointer or handle is ever cut.

#include <windows.h>

#include "WExport.h"
#include "WWindowContext.h"
#include "WWindowStyle.h"

class QUARN2_API WWindow : public WWindowContext {
public:
    // One virtual callback per event; the base versions do nothing and
    // return false or 0. Mouse positions are client coordinates; data is
    // null for window events (a control reports to its arrange handler with
    // itself as data). A handler must outlive the window it is attached to.
    class QUARN2_API EventHandler {
    public:
        // Once, when the handler is attached to the new window.
        virtual void onWindowCreate();
        // First mouse move after the pointer entered the window.
        virtual void onWindowMouseEnter();
        virtual void onWindowMouseLeave();
        virtual void onWindowMouseMove(int x, int y, void* data);
        virtual void onWindowMouseLeftDown(int x, int y, void* data);
        virtual void onWindowMouseLeftDoubleClick(int x, int y, void* data);
        virtual void onWindowMouseLeftUp(int x, int y, void* data);
        virtual void onWindowMouseRightDown(int x, int y, void* data);
        virtual void onWindowMouseRightUp(int x, int y, void* data);
        // Virtual-key code.
        virtual void onWindowKeyPressed(int key);
        // Resized to a normal (not minimised or maximised) size.
        virtual void onWindowRestore();
        // Paint: dc is the paint context, area the rectangle to repaint.
        virtual void onWindowRestore(HDC dc, const RECT& area);
        virtual bool onWindowEraseBackground(HDC dc);
        // The non-client area is about to be painted; dc covers the whole window.
        virtual void onWindowRestoreNoClient(HDC dc);
        // Close box, Alt+F4, system menu. The window stays unless the handler
        // destroys it.
        virtual void onWindowClose();
        virtual void onWindowDestroy();
        virtual void onWindowTimerTick();
        // A message posted with WWindow::createUserMessage(a, b).
        virtual void onWindowUserMessage(void* a, void* b);
        // New client size.
        virtual void onWindowResize(unsigned long width, unsigned long height);
        virtual LRESULT onWindowMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

    protected:
        ~EventHandler() = default;
    };

    // Values of the short creation form; any value other than the first
    // three gives an application main window.
    enum Style { STYLE_PLAIN = 1, STYLE_POPUP = 2, STYLE_CHILD = 4, STYLE_MAIN = 8 };

    // What a dialog hands to the system when it is made: the window
    // procedure attaches the handler when the dialog initialises.
    struct CreationRecord {
        WWindowContext* context;
        EventHandler* handler;
    };

    // Private messages: a user message posted by createUserMessage, and the
    // attachment of the handler sent by create.
    static const UINT USER_MESSAGE = 2024;
    static const UINT ATTACH_MESSAGE = 2025;

    WWindow();
    // A copy refers to the same window but does not own it.
    WWindow(const WWindow& other);
    WWindow& operator=(const WWindow&) = delete;
    // Stops dispatching to the handler, then destroys the window it owns:
    // onWindowDestroy is delivered by destroy() only, because the handler
    // may be a part of this object that is already gone.
    ~WWindow() override;

    // Does nothing when a window exists. The handler gets onWindowCreate
    // before create returns. Failure: WSystemException "Cannot create
    // window." (id -4).
    void create(WWindowContext* parent, const char* title, EventHandler* handler,
                const WWindowStyle& style, int x, int y, unsigned long width,
                unsigned long height);
    // The same with the application's window class and a style of the type.
    void create(WWindowContext* parent, const char* title, EventHandler* handler, Style type,
                int x, int y, unsigned long width, unsigned long height);
    // The owner destroys the system window (delivering onWindowDestroy);
    // the handle and the parent become null.
    void destroy();

    // The icon resource id of the module as the window's large icon.
    void setIcon(unsigned long id);
    void setMenu(HMENU menu);
    void redrawMenu();
    void setWindowText(const char* text);
    void maximizeWindow();
    void minimizeWindow();
    void restoreWindow();
    // Top of the z-order; topMost puts it into the always-on-top group.
    void setForegroundWindow(bool topMost);
    // Out of the always-on-top group.
    void setBackgroundWindow();
    // Starts or restarts the window's one timer.
    void setTimer(unsigned long ms);
    void killTimer();
    // Posts USER_MESSAGE; the handler gets onWindowUserMessage(a, b) later on
    // the window's thread. Any thread may call it. False when the message
    // could not be posted.
    bool createUserMessage(void* a, void* b);

    WWindowContext* getWindowContext() const { return parent; }
    operator HWND() const { return windowHandle; }

private:
    WWindowContext* parent;
    bool ownsWindow;
};
