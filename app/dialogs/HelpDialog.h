#pragma once

#include "WControlRichText.h"
#include "WDialog.h"

// "Hilfe": the help text Information.rtf of the current directory in a
// read-only rich-text control whose web addresses are links.
//
//     HelpDialog dialog(&mainWindow);
//     dialog.show(true);   // always 0
//
// "Hilfe schließen", Escape and the close box close it. A help file that
// cannot be read is reported in a message box; the dialog then stays open,
// empty.
class HelpDialog : public WDialog {
public:
    explicit HelpDialog(WWindowContext* parent);

    const WControlRichText& getTextControl() const { return text; }

    void onDialogInit() override;
    void onDialogClose() override;
    void onPanelCommand(unsigned long id, unsigned long code, WControl* control) override;
    void onWindowUserMessage(void* a, void* b) override;

private:
    WControlRichText text;
};
