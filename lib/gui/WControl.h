#pragma once

#include <windows.h>

#include "WExport.h"
#include "WString.h"
#include "WWindow.h"
#include "WWindowContext.h"
#include "WWindowStyle.h"

// One system control window tied to the context (dialog, panel, window) it
// belongs to. A control is either attached to an item that a dialog
// template made, by its item id, or created by code.
//
// An attached control's window is subclassed: its key, focus, paint and
// other traffic first reaches the owner's hooks (setFocusNextControl,
// onControlKeyPressed, onControlMessage; true consumes), then the control's
// own procedure. Every attached control is in the control registry
// (WControlManager) and in its window's user-data slot until its window is
// destroyed; the control then forgets the window. Failures to attach or
// create throw WControlException "Cannot create GUI control <name>" (id -1).
class QUARN2_API WControl : public WWindowContext {
public:
    WControl();
    WControl(const WControl&) = delete;
    WControl& operator=(const WControl&) = delete;
    // Destroys the control window when the control still has one.
    virtual ~WControl();

    // Attaches to the item itemId of the owner's window; nothing when the
    // control already has a window.
    void create(WWindowContext* owner, const char* name, unsigned long itemId);
    // Creates a child of the owner's window with the style's class, style
    // (WS_TABSTOP added) and extended style, and an empty text; nothing when
    // the control already has a window.
    void create(WWindowContext* owner, const char* name, const WWindowStyle& style, int x, int y,
                unsigned long width, unsigned long height);

    // Destroys the window (if any) and forgets window, owner, id, previous
    // procedure and arrange handler.
    virtual void destroy();
    // Whether focus loss runs formatText and whether an owner panel colours it.
    virtual bool isTextControl() const;
    // Window rectangle in screen coordinates and its size.
    virtual void getControlArea(RECT& area) const;
    virtual unsigned long getControlWidth() const;
    virtual unsigned long getControlHeight() const;

    const WString& getName() const { return name; }
    // The number of a "#<n>" name, 0 for names of any other form.
    unsigned long getNameId() const;
    // The dialog item id, 0 for controls created by code.
    unsigned long getControlId() const { return controlId; }
    // The owner, whose hooks receive this control's events.
    WWindowContext* getWindowContext() const { return owner; }
    WNDPROC getPrevWndProc() const { return prevWndProc; }
    // When set (not owned), the handler receives the control's mouse moves and
    // left clicks in the parent's coordinates, with the control as data, and
    // onWindowUserMessage(1, 0) before each paint; the control itself then
    // sees neither the mouse nor a cursor change.
    void setArangeHandler(WWindow::EventHandler* handler) { arrangeHandler = handler; }
    WWindow::EventHandler* getArangeHandler() const { return arrangeHandler; }
    // Adds or removes the sunken client edge.
    void setClientEdge(bool clientEdge);

protected:
    // Asked on focus loss (text controls only) for the text to put back;
    // true replaces the control's text by text.
    virtual bool formatText(WString& text) const;

    // Creates a child window of the owner's window in the module instance
    // and attaches to it; nothing when the control already has a window.
    // The library must have been started.
    void createWindow(WWindowContext* owner, const char* name, const char* className, DWORD style,
                      DWORD exStyle, int x, int y, unsigned long width, unsigned long height);
    // Sets the library's default font on the control.
    void setDefaultFont();
    // A height of 0 becomes the default font's point size + 16.
    static unsigned long defaultHeight(unsigned long height);
    // An index the system reports; its error values (negative) become -1
    // (as unsigned).
    static unsigned long toIndex(LRESULT result);

private:
    static LRESULT CALLBACK controlProcedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT handleMessage(UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT passOn(UINT message, WPARAM wParam, LPARAM lParam);
    // The registration step that ends every attach and creation.
    void attach(HWND window, WWindowContext* owner, const char* name, unsigned long itemId);
    // Stops the dispatching to this object and gives the window its own
    // procedure back; the window itself stays.
    void detach();
    void forget();

    WString name;
    unsigned long controlId;
    WNDPROC prevWndProc;
    WWindowContext* owner;
    WWindow::EventHandler* arrangeHandler;
    // Tab or Return whose key-down the owner took at the dialog-code query;
    // its character is then swallowed without asking the owner again.
    WPARAM takenFocusKey;
};
