#pragma once

#include "WControlRichText.h"
#include "WDialog.h"

// "Hilfe": the help text Information.rtf of the current directory in a
// read-only rich-text control whose web addresses are links.
//
//     HelpDialog dialog(&mainWindow);
//     dialog.show(true);   // always 0
//
// "Hilfe schließen", Escape and the close box close it. A help file that is
// missing, cannot be read, is larger than maxHelpTextBytes, has a paragraph
// longer than maxParagraphBytes or is nested deeper than the control can
// take is reported in a message box that says so in German above the
// exception's line; the dialog then stays open, empty.
class HelpDialog : public WDialog {
public:
    // Far above any help text, far below what freezes the window: the
    // control needs about a hundred times the file's size in memory and
    // seconds per megabyte.
    static constexpr unsigned long maxHelpTextBytes = 1024 * 1024;
    // The most bytes from one paragraph mark (\par) to the next. The
    // control takes time in the square of a paragraph's length: one of 64 KB
    // keeps the window frozen for most of a minute.
    static constexpr unsigned long maxParagraphBytes = 8 * 1024;

    explicit HelpDialog(WWindowContext* parent);

    const WControlRichText& getTextControl() const { return text; }

    void onDialogInit() override;
    void onDialogClose() override;
    void onPanelCommand(unsigned long id, unsigned long code, WControl* control) override;
    void onWindowUserMessage(void* a, void* b) override;

private:
    // Reports every failure itself: the window procedure would swallow it and
    // leave the user with an empty window and no reason.
    void loadHelpText();

    WControlRichText text;
};
