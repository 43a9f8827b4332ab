#pragma once

#include <windows.h>

#include <vector>

#include "GuiTestResources.h"
#include "WDialog.h"

// A dialog that counts its callbacks; commands are recorded and OK closes
// it with closeCode, a close request closes it with 2 when closeOnRequest.
class TestDialog : public WDialog {
public:
    TestDialog(WWindowContext* parent, unsigned long templateId) : WDialog(parent, templateId) {}

    int inits = 0;
    int closeRequests = 0;
    int closeCode = 5;
    bool closeOnRequest = false;
    UINT postOnInit = 0;
    HWND initWindow = nullptr;
    HWND ownerOnInit = nullptr;
    bool registeredOnInit = false;
    std::vector<unsigned long> commands;

    void onDialogInit() override
    {
        ++inits;
        initWindow = getWindowHandle();
        ownerOnInit = GetWindow(initWindow, GW_OWNER);
        registeredOnInit = isDialogWindow();
        if (postOnInit == WM_COMMAND)
            PostMessageA(initWindow, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
        else if (postOnInit != 0)
            PostMessageA(initWindow, postOnInit, 0, 0);
    }
    void onDialogClose() override
    {
        ++closeRequests;
        if (closeOnRequest)
            close(2);
    }
    void onPanelCommand(unsigned long id, unsigned long, WControl*) override
    {
        commands.push_back(id);
        if (id == IDOK)
            close(closeCode);
    }
};
