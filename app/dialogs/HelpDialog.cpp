#include "HelpDialog.h"

#include "DialogIds.h"
#include "WException.h"
#include "WSystem.h"

HelpDialog::HelpDialog(WWindowContext* parent) : WDialog(parent, IDD_HELP) {}

void HelpDialog::onDialogInit()
{
    // The system's dialog colours for the panel and its labels alike.
    setColor(GetSysColor(COLOR_WINDOWTEXT), GetSysColor(COLOR_BTNFACE));
    text.create(this, "RTFControl", IDC_HELP_TEXT);
    text.hideSelection(true);
    text.setURLDetection(true);
    try {
        text.loadFile("Information.rtf", true);
    } catch (const WException& e) {
        // The window procedure would swallow it and leave the user with an
        // empty window and no reason.
        WSystem::showException(this, e);
    }
    // The dialog manager gives the text the focus after this, selecting all
    // of it, which scrolls to the end: back to the top once that is done.
    createUserMessage(nullptr, nullptr);
}

void HelpDialog::onWindowUserMessage(void*, void*)
{
    text.setSelection(0, 0);
    SendMessageA(text.getWindowHandle(), WM_VSCROLL, SB_TOP, 0);
}

void HelpDialog::onDialogClose()
{
    close(0);
}

void HelpDialog::onPanelCommand(unsigned long id, unsigned long, WControl*)
{
    try {
        if (id == IDCANCEL || id == IDC_HELP_CLOSE)
            close(0);
    } catch (const WException& e) {
        WSystem::showException(this, e);
    }
}
