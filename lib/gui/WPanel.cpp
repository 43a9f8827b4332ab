#include "WPanel.h"

#include <richedit.h>
#include <shellapi.h>

#include <commctrl.h>

#include <vector>

#include "WBitmap.h"
#include "WControl.h"
#include "WControlEdit.h"
#include "WControlManager.h"
#include "WControlTab.h"

WPanel::WPanel()
    : backgroundBrush(nullptr), textColor(0), backgroundPicture(nullptr),
      backgroundMode(BKMODE_CENTER), eraseBackground(true), tabControl(nullptr)
{
}

WPanel::WPanel(const WPanel& other)
    : WWindow(other), WWindow::EventHandler(other), backgroundBrush(nullptr),
      textColor(other.textColor), backgroundPicture(other.backgroundPicture),
      backgroundMode(other.backgroundMode), eraseBackground(other.eraseBackground),
      tabControl(other.tabControl)
{
    LOGBRUSH brush;
    if (other.backgroundBrush != nullptr &&
        GetObjectA(other.backgroundBrush, sizeof(brush), &brush) == sizeof(brush))
        backgroundBrush = CreateBrushIndirect(&brush);
}

WPanel::~WPanel()
{
    destroy();
    replaceBrush(nullptr);
}

void WPanel::onPanelCommand(unsigned long, unsigned long, WControl*) {}

LRESULT WPanel::onPanelNotify(unsigned long, unsigned long, WControl*, const NMHDR*)
{
    return 0;
}

void WPanel::replaceBrush(HBRUSH brush)
{
    if (backgroundBrush != nullptr)
        DeleteObject(backgroundBrush);
    backgroundBrush = brush;
}

void WPanel::setColor(unsigned long textColour, unsigned long backColour)
{
    replaceBrush(CreateSolidBrush(backColour));
    textColor = textColour;
    eraseBackground = true;
}

void WPanel::setBackgroundImage(const WBitmap& picture, BkMode mode, bool erase)
{
    backgroundMode = mode;
    eraseBackground = erase;
    if (mode == BKMODE_TILE) {
        replaceBrush(CreatePatternBrush(picture.getBitmapHandle()));
        backgroundPicture = nullptr;
    } else {
        backgroundPicture = &picture;
    }
}

void WPanel::setTabControl(WControlTab& tab)
{
    tabControl = &tab;
}

void WPanel::onWindowRestore(HDC dc, const RECT& area)
{
    if (backgroundPicture == nullptr)
        return;
    long pictureWidth = static_cast<long>(backgroundPicture->getWidth());
    long pictureHeight = static_cast<long>(backgroundPicture->getHeight());
    if (backgroundMode == BKMODE_NORMAL) {
        RECT picture = {0, 0, pictureWidth, pictureHeight};
        RECT part;
        if (IntersectRect(&part, &area, &picture))
            backgroundPicture->toDevice(dc, part, part);
    } else if (backgroundMode == BKMODE_CENTER) {
        // Signed halving: a picture larger than the window is centred too.
        long left = (static_cast<long>(getWindowWidth()) - pictureWidth) / 2;
        long top = (static_cast<long>(getWindowHeight()) - pictureHeight) / 2;
        backgroundPicture->toDevice(dc, left, top);
    }
}

void WPanel::onWindowResize(unsigned long width, unsigned long height)
{
    if (tabControl == nullptr || tabControl->getWindowHandle() == nullptr)
        return;
    HWND tab = tabControl->getWindowHandle();
    RECT display = {0, 0, static_cast<LONG>(width), static_cast<LONG>(height)};
    TabCtrl_AdjustRect(tab, FALSE, &display);
    HWND page = tabControl->getContentWindow(tabControl->getPage());
    // Two separate moves: the page is usually a child of the tab control, and
    // one deferred step may only move windows of the same parent.
    SetWindowPos(tab, nullptr, 0, 0, static_cast<int>(width), static_cast<int>(height),
                 SWP_NOZORDER | SWP_NOACTIVATE);
    if (page != nullptr)
        SetWindowPos(page, nullptr, display.left, display.top, display.right - display.left,
                     display.bottom - display.top, SWP_NOZORDER | SWP_NOACTIVATE);
}

LRESULT WPanel::onWindowMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_ERASEBKGND: {
        if (!eraseBackground)
            return 0;
        RECT client;
        GetClientRect(hwnd, &client);
        HBRUSH brush = backgroundBrush != nullptr
                           ? backgroundBrush
                           : static_cast<HBRUSH>(GetStockObject(LTGRAY_BRUSH));
        FillRect(reinterpret_cast<HDC>(wParam), &client, brush);
        return 1;
    }
    case WM_COMMAND: {
        WControl* control = WControlManager::getControl(reinterpret_cast<HWND>(lParam));
        unsigned long id = LOWORD(wParam);
        if (id == 0 && control != nullptr)
            id = control->getNameId();
        onPanelCommand(id, HIWORD(wParam), control);
        return 1;
    }
    case WM_NOTIFY:
        return onNotify(reinterpret_cast<const NMHDR*>(lParam));
    case WM_CTLCOLOREDIT: {
        WControl* control = WControlManager::getControl(reinterpret_cast<HWND>(lParam));
        WControlEdit* edit = control != nullptr && control->isTextControl()
                                 ? dynamic_cast<WControlEdit*>(control)
                                 : nullptr;
        if (edit == nullptr || edit->getBackColorBrush() == nullptr)
            return 0;
        HDC dc = reinterpret_cast<HDC>(wParam);
        SetBkMode(dc, TRANSPARENT);
        SetTextColor(dc, edit->getTextColor());
        return reinterpret_cast<LRESULT>(edit->getBackColorBrush());
    }
    case WM_CTLCOLORDLG:
        return reinterpret_cast<LRESULT>(backgroundBrush);
    case WM_CTLCOLORSTATIC: {
        if (backgroundBrush == nullptr)
            return 0;
        HDC dc = reinterpret_cast<HDC>(wParam);
        SetBkMode(dc, TRANSPARENT);
        SetTextColor(dc, textColor);
        return reinterpret_cast<LRESULT>(backgroundBrush);
    }
    default:
        return 0;
    }
}

LRESULT WPanel::onNotify(const NMHDR* header)
{
    if (header == nullptr)
        return 0;
    WControl* control = WControlManager::getControl(header->hwndFrom);
    unsigned long id = static_cast<unsigned long>(header->idFrom);
    if (id == 0 && control != nullptr)
        id = control->getNameId();
    if (header->code == static_cast<UINT>(TCN_SELCHANGE) && tabControl != nullptr &&
        header->hwndFrom == tabControl->getWindowHandle()) {
        tabControl->setFocusPage(
            static_cast<unsigned long>(SendMessageA(header->hwndFrom, TCM_GETCURSEL, 0, 0)));
        return 1;
    }
    if (header->code == static_cast<UINT>(EN_LINK)) {
        if (reinterpret_cast<const ENLINK*>(header)->msg != WM_LBUTTONDOWN)
            return 0;
        openLink(header);
        return 1;
    }
    return onPanelNotify(id, header->code, control, header);
}

// Opens the text of a clicked rich-text link with the shell.
void WPanel::openLink(const NMHDR* header)
{
    const ENLINK* link = reinterpret_cast<const ENLINK*>(header);
    LONG length = link->chrg.cpMax - link->chrg.cpMin;
    if (link->chrg.cpMin < 0 || length <= 0)
        return;
    std::vector<char> text(static_cast<size_t>(length) + 1);
    TEXTRANGEA range;
    range.chrg = link->chrg;
    range.lpstrText = text.data();
    if (SendMessageA(header->hwndFrom, EM_GETTEXTRANGE, 0, reinterpret_cast<LPARAM>(&range)) <= 0)
        return;
    // The control's text is in the code page it shows; the shell takes UTF-16.
    std::vector<wchar_t> wide(text.size());
    if (MultiByteToWideChar(CP_ACP, 0, range.lpstrText, -1, wide.data(), static_cast<int>(wide.size())) > 0)
        ShellExecuteW(windowHandle, L"open", wide.data(), nullptr, nullptr, SW_SHOWNORMAL);
}
