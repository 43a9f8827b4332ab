#pragma once

#include <windows.h>

#include "WExport.h"

class WControl;

// What windows, dialogs, panels and controls have in common: the window
// handle (null while there is none), geometry and visibility, and the three
// hooks through which a context hears about the keyboard and message traffic
// of the controls it owns. A hook returning true consumes the key or message.
//
// Copies share the handle; a context itself never destroys its window.
class QUARN2_API WWindowContext {
public:
    WWindowContext();
    WWindowContext(const WWindowContext& other) = default;
    WWindowContext& operator=(const WWindowContext& other) = default;

    // Tab (isReturn false) or Return (isReturn true) pressed in one of this
    // context's controls; true when the context moved the focus itself.
    virtual bool setFocusNextControl(WControl& control, bool isReturn);
    // Every key-down in one of this context's controls; true consumes it.
    virtual bool onControlKeyPressed(WControl& control, int key);
    // Every other message of one of this context's controls, before the
    // control's own processing; true consumes it.
    virtual bool onControlMessage(WControl& control, UINT message, WPARAM wParam, LPARAM lParam);
    // Adds (set true) or removes the extended window style bits.
    virtual void setExStyle(unsigned long flags, bool set);
    // Virtual so that every window, dialog, panel and control can be deleted
    // through its context.
    virtual ~WWindowContext() = default;

    void setWindowHandle(HWND window) { windowHandle = window; }
    HWND getWindowHandle() const { return windowHandle; }
    bool isWindowActive() const { return windowHandle != nullptr; }

    // Client rectangle, origin (0, 0).
    void getClientArea(RECT& area) const;
    // Window rectangle in screen coordinates.
    void getWindowArea(RECT& area) const;
    // Size of the window rectangle, frame included.
    unsigned long getWindowWidth() const;
    unsigned long getWindowHeight() const;

    // Child windows are placed in their parent's client coordinates.
    void setWindowPos(int x, int y, unsigned long width, unsigned long height, bool repaint);
    // Keeps the top-left corner.
    void resizeWindow(unsigned long width, unsigned long height, bool repaint);
    // Focus to this window, or with next to the window after it in the
    // z-order; selectAll then selects the whole text (edit controls).
    void setFocusWindow(bool selectAll, bool next);
    void enableWindow(bool enable);
    bool isWindowEnabled() const;
    void showWindow();
    void hideWindow();
    // Marks the whole client area for repainting, without erasing.
    void invalidateWindow();
    // Whether this window is in the registry of open dialogs.
    bool isDialogWindow() const;

protected:
    HWND windowHandle;
};
