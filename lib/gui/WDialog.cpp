#include "WDialog.h"

#include "WException.h"
#include "WSystem.h"
#include "WWindowProcedure.h"

namespace {

// Posted to the dialog on WM_DPICHANGED, so that onDialogDpiChanged runs
// after the system's own scaling of the dialog, which comes with the default
// processing of that message.
UINT dpiChangedMessage()
{
    static const UINT message = RegisterWindowMessageA("quarn2.WDialog.DpiChanged");
    return message;
}

} // namespace

WDialog::WDialog()
    : modal(false), templateId(0), dialogParent(nullptr), creationRecord{this, this},
      registeredWindow(nullptr)
{
}

WDialog::WDialog(WWindowContext* parent, unsigned long templateId)
    : modal(false), templateId(templateId), dialogParent(parent), creationRecord{this, this},
      registeredWindow(nullptr)
{
}

WDialog::~WDialog()
{
    // Destroyed here, while the dialog can still unregister itself.
    destroy();
}

void WDialog::init(WWindowContext* parent, unsigned long id)
{
    dialogParent = parent;
    templateId = id;
}

int WDialog::show(bool asModal)
{
    HWND owner = WSystem::getContextWindowHandle(dialogParent);
    if (asModal) {
        if (windowHandle != nullptr)
            throw WDialogException("Cannot create modal dialog.", -1);
        modal = true;
        INT_PTR result = DialogBoxParamA(WSystem::getInstance(), MAKEINTRESOURCEA(templateId),
                                         owner, WWindowProcedure::forDialog,
                                         reinterpret_cast<LPARAM>(&creationRecord));
        if (result == -1)
            throw WDialogException("Cannot create modal dialog.", -1);
        return static_cast<int>(result);
    }
    if (windowHandle == nullptr) {
        modal = false;
        HWND dialog = CreateDialogParamA(WSystem::getInstance(), MAKEINTRESOURCEA(templateId),
                                         owner, WWindowProcedure::forDialog,
                                         reinterpret_cast<LPARAM>(&creationRecord));
        if (dialog == nullptr)
            throw WDialogException("Cannot create non modal dialog.", -1);
    }
    ShowWindow(windowHandle, SW_SHOW);
    return 1;
}

void WDialog::close(int code)
{
    HWND dialog = windowHandle;
    if (dialog == nullptr)
        return;
    if (modal)
        EndDialog(dialog, code);
    else
        DestroyWindow(dialog);
    windowHandle = nullptr;
}

void WDialog::onWindowCreate()
{
    registeredWindow = windowHandle;
    WSystem::addDialogWindow(registeredWindow);
    onDialogInit();
}

void WDialog::onWindowClose()
{
    if (WSystem::isDialogWindow(windowHandle))
        onDialogClose();
}

void WDialog::onWindowDestroy()
{
    WSystem::removeDialogWindow(registeredWindow);
    registeredWindow = nullptr;
}

unsigned int WDialog::getDpi() const
{
    if (windowHandle != nullptr) {
        UINT dpi = GetDpiForWindow(windowHandle);
        if (dpi != 0)
            return dpi;
    }
    HDC screen = GetDC(nullptr);
    int dpi = screen != nullptr ? GetDeviceCaps(screen, LOGPIXELSY) : 96;
    if (screen != nullptr)
        ReleaseDC(nullptr, screen);
    return static_cast<unsigned int>(dpi);
}

void WDialog::onDialogDpiChanged(unsigned int) {}

LRESULT WDialog::onWindowMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_DPICHANGED)
        PostMessageA(hwnd, dpiChangedMessage(), 0, 0);
    else if (dpiChangedMessage() != 0 && message == dpiChangedMessage()) {
        onDialogDpiChanged(getDpi());
        return 1;
    }
    return WPanel::onWindowMessage(hwnd, message, wParam, lParam);
}
