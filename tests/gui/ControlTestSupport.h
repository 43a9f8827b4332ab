#pragma once

// Resource ids of the control tests (Controls.rc, ids 2000-2999) and the
// dialog the tests attach their controls to.

#define IDD_CONTROLS 2000
#define IDC_CTL_EDIT 2001
#define IDC_CTL_SECOND_EDIT 2002
#define IDC_CTL_LISTBOX 2003
#define IDC_CTL_COMBOBOX 2004
#define IDC_CTL_PROGRESS 2005
#define IDC_CTL_STATIC 2006
#define IDC_CTL_RICHTEXT 2007
#define IDC_CTL_TRACKBAR 2008
#define IDC_CTL_LISTVIEW 2009
#define IDC_CTL_TAB 2010
#define IDC_CTL_CHECKBOX 2011
#define IDC_CTL_MISSING 2999

#ifndef RC_INVOKED

#include <windows.h>

#include <vector>

#include "WControl.h"
#include "WDialog.h"
#include "WSystem.h"

// The controls dialog, shown non-modal; it records the commands it gets and
// the Tab and Return keys its controls report, which it takes when told to.
class ControlsDialog : public WDialog {
public:
    explicit ControlsDialog(WWindowContext* parent = nullptr) : WDialog(parent, IDD_CONTROLS) {}

    std::vector<unsigned long> commandIds;
    std::vector<unsigned long> commandCodes;
    std::vector<WControl*> commandControls;
    std::vector<bool> focusKeys;
    bool takeReturn = false;

    void clearCommands()
    {
        commandIds.clear();
        commandCodes.clear();
        commandControls.clear();
    }
    void onDialogInit() override {}
    void onDialogClose() override { close(0); }
    void onPanelCommand(unsigned long id, unsigned long code, WControl* control) override
    {
        commandIds.push_back(id);
        commandCodes.push_back(code);
        commandControls.push_back(control);
    }
    bool setFocusNextControl(WControl&, bool isReturn) override
    {
        focusKeys.push_back(isReturn);
        return isReturn && takeReturn;
    }
};

// Runs the library's message loop (dialog keyboard handling included) over
// what is queued now.
inline void runQueuedMessages(HWND mainWindow)
{
    WSystem::exit(0);
    WSystem::messageLoop(mainWindow, 0);
}

#endif
