#pragma once

#include <windows.h>

#include "WExport.h"
#include "WWindow.h"

class WBitmap;
class WControl;
class WControlTab;

// A window that is its own event handler. It turns the command and notify
// messages of its child controls into onPanelCommand and onPanelNotify,
// paints a background colour or picture, keeps an optional tab control
// filling it and colours its edit and static controls.
//
// Routing: a command or notification of a control names the control
// registered for the sender window (WControlManager, null for menus,
// accelerators and unregistered windows) and the item id, or, when that id
// is 0, the number of the control's "#<n>" name (WControl::getNameId).
class QUARN2_API WPanel : public WWindow, public WWindow::EventHandler {
public:
    // 1: picture drawn 1:1 under the repaint area; 2: picture centred;
    // 3: picture as a tiled background brush.
    enum BkMode { BKMODE_NORMAL = 1, BKMODE_CENTER = 2, BKMODE_TILE = 3 };

    WPanel();
    // Refers to the same window without owning it; colours, picture, mode
    // and tab control are taken over, the background brush is duplicated.
    WPanel(const WPanel& other);
    WPanel& operator=(const WPanel&) = delete;
    // Destroys the window while the panel can still handle its destruction.
    ~WPanel() override;

    // A command of a control, menu or accelerator; code is the notification
    // code (high word of wParam).
    virtual void onPanelCommand(unsigned long id, unsigned long code, WControl* control);
    // A notification other than those the panel handles itself (tab selection
    // change of its tab control, link clicks in rich text); the result is the
    // message's result, 0 = not handled.
    virtual LRESULT onPanelNotify(unsigned long id, unsigned long code, WControl* control,
                                  const NMHDR* header);

    // Solid background of backColour, text colour for static and edit
    // texts; turns the background erase on.
    void setColor(unsigned long textColour, unsigned long backColour);
    // The picture is not owned and must outlive its use by the panel.
    void setBackgroundImage(const WBitmap& picture, BkMode mode, bool eraseBackground);
    // The tab control (not owned) is kept filling the panel on resize and
    // switches its pages on selection changes.
    void setTabControl(WControlTab& tab);

    HBRUSH getBackgroundBrush() const { return backgroundBrush; }
    unsigned long getTextColor() const { return textColor; }

    using WWindow::EventHandler::onWindowRestore;
    void onWindowRestore(HDC dc, const RECT& area) override;
    void onWindowResize(unsigned long width, unsigned long height) override;
    LRESULT onWindowMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    LRESULT onNotify(const NMHDR* header);
    void openLink(const NMHDR* header);
    void replaceBrush(HBRUSH brush);

    HBRUSH backgroundBrush;
    unsigned long textColor;
    const WBitmap* backgroundPicture;
    BkMode backgroundMode;
    bool eraseBackground;
    WControlTab* tabControl;
};
