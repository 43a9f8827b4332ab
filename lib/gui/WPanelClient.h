#pragma once

#include <windows.h>

#include "WExport.h"
#include "WPanel.h"

// A panel with scroll bars for content larger than its window. The content
// size is told with setContentSize; scrolling moves the window's contents and
// child windows and keeps the offsets.
class QUARN2_API WPanelClient : public WPanel {
public:
    WPanelClient();
    WPanelClient(const WPanelClient&) = delete;
    WPanelClient& operator=(const WPanelClient&) = delete;

    // A child window filling the parent's client area, light grey. The
    // scrolling works when the handler is the panel itself (null means the
    // panel).
    void create(WWindowContext* parent, WWindow::EventHandler* handler);
    // A child window at (0, 0) of the given size, with a vertical scroll bar.
    void create(WWindowContext* parent, WWindow::EventHandler* handler, unsigned long width,
                unsigned long height);

    void setContentSize(unsigned long width, unsigned long height);
    unsigned long getContentWidth() const { return contentWidth; }
    unsigned long getContentHeight() const { return contentHeight; }
    long getScrollX() const { return scrollX; }
    long getScrollY() const { return scrollY; }

    void onWindowResize(unsigned long width, unsigned long height) override;
    LRESULT onWindowMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    void createChild(WWindowContext* parent, WWindow::EventHandler* handler, DWORD style, int x,
                     int y, unsigned long width, unsigned long height);
    // One direction: shows or hides the bar and keeps the offset inside the content.
    void fitScrollBar(int bar, unsigned long content, unsigned long window, long& offset);
    void scroll(int bar, UINT request);

    SCROLLINFO scrollInfo;
    unsigned long contentWidth;
    unsigned long contentHeight;
    unsigned long windowWidth;
    unsigned long windowHeight;
    long scrollX;
    long scrollY;
    bool fitting;
};
