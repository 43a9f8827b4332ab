#pragma once

#include "WControlButton.h"
#include "WControlComboBox.h"
#include "WControlEdit.h"
#include "WControlListBox.h"
#include "WControlListView.h"
#include "WControlProgressBar.h"
#include "WControlRebar.h"
#include "WControlRichText.h"
#include "WControlStatic.h"
#include "WControlStatusbar.h"
#include "WControlTab.h"
#include "WControlToolbar.h"
#include "WControlTrackbar.h"
#include "WDialog.h"
#include "WImageList.h"
#include "WString.h"

// A dialog with one or more controls of every family: the template's items
// attached by id, the rebar, tool bar, status bar and tab pages made by code.
// With a close time it ends itself; with a ready file it writes that file
// once it has been shown for a moment (for screenshots).
class ControlsDemo : public WDialog {
public:
    ControlsDemo(unsigned long closeAfterMs, const char* readyFile);

    void onDialogInit() override;
    void onDialogClose() override;
    void onPanelCommand(unsigned long id, unsigned long code, WControl* control) override;
    void onWindowTimerTick() override;

private:
    void buildBars();
    void buildInputs();
    void buildPages();

    unsigned long closeAfterMs;
    WString readyFile;
    unsigned long elapsedMs;

    WImageList toolImages;
    WControlRebar rebar;
    WControlToolbar toolbar;
    WControlEdit search;
    WControlStatic nameLabel;
    WControlEdit name;
    WControlButton grid;
    WControlButton flat;
    WControlButton globe;
    WControlComboBox scale;
    WControlListBox datasets;
    WControlProgressBar progress;
    WControlTrackbar year;
    WControlTab tab;
    WControlListView positions;
    WControlRichText notes;
    WControlButton apply;
    WControlStatusbar status;
};
