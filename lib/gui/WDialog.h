#pragma once

#include <windows.h>

#include "WExport.h"
#include "WPanel.h"

// A panel made from a dialog template resource of the module, shown modal or
// non-modal. An open dialog is in the registry of open dialogs, which gives
// it keyboard handling in WSystem::messageLoop.
class QUARN2_API WDialog : public WPanel {
public:
    WDialog();
    // Remembers parent and template; nothing is created yet.
    WDialog(WWindowContext* parent, unsigned long templateId);
    WDialog(const WDialog&) = delete;
    WDialog& operator=(const WDialog&) = delete;
    ~WDialog() override;

    void init(WWindowContext* parent, unsigned long templateId);
    // Modal: runs the dialog and returns the code given to close; failure
    // throws WDialogException "Cannot create modal dialog." (id -1).
    // Non-modal: creates and shows the dialog window and returns 1 at once;
    // failure throws WDialogException "Cannot create non modal dialog."
    // (id -1). A dialog that is already open is not made a second time: a
    // non-modal show then just shows it, a modal show throws.
    int show(bool modal);
    // Nothing without a dialog window. Modal: ends the dialog with code;
    // non-modal: destroys the window. The handle is forgotten.
    void close(int code);
    bool isModal() const { return modal; }
    unsigned long getTemplateId() const { return templateId; }

    // The resolution the dialog window is drawn at, in dots per inch (96 at
    // 100 % scaling); the screen's while there is no window.
    unsigned int getDpi() const;

    // The dialog window exists and is registered: the place to attach controls.
    virtual void onDialogInit() = 0;
    // A close request (close box, Alt+F4); the dialog stays open unless
    // this calls close. Escape arrives as command IDCANCEL (onPanelCommand).
    virtual void onDialogClose() = 0;
    // The dialog moved to a screen of another resolution and the system has
    // scaled its template: the place to re-make what was made in pixels for
    // the old one (fonts, image lists, column widths). Nothing by default.
    virtual void onDialogDpiChanged(unsigned int dpi);

    void onWindowCreate() override;
    void onWindowClose() override;
    void onWindowDestroy() override;
    LRESULT onWindowMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    bool modal;
    unsigned long templateId;
    WWindowContext* dialogParent;
    CreationRecord creationRecord;
    HWND registeredWindow;
};
