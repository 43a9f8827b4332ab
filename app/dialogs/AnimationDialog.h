#pragma once

#include <memory>

#include "InputFieldSet.h"
#include "MapAnimation.h"
#include "ProgressTaskDialog.h"
#include "WString.h"

class OrvexMap;

// "Animation (GIF)": writes an animated GIF of a range of months, or of one
// year average per year, in the map's current view, on a thread of its own.
//
//     AnimationDialog dialog(&mainWindow, map);
//     dialog.show(true);   // always 0
//
// "Start ..." checks the range, also against the months of the data set,
// asks for the file in the save dialog and starts the animation. It renders
// from a map of its own with the view and data set of the caller's map as
// they were at that moment, so the caller's map is only read, on the window
// thread. While it runs, "Abbrechen" stops it: no file is left and one
// chosen to be overwritten stays as it was; the close box does the same and
// waits before the dialog goes. Each result is reported in a message box.
class AnimationDialog : public ProgressTaskDialog {
public:
    AnimationDialog(WWindowContext* parent, const OrvexMap& map);
    // Stops a running animation and waits for it.
    ~AnimationDialog() override;

    bool isRunning() const { return isTaskRunning(); }

    void onDialogInit() override;
    void onPanelCommand(unsigned long id, unsigned long code, WControl* control) override;

private:
    bool runTask() override;
    void taskEnded() override;

    void start();
    // Opens the animation's own map with the data set before it checks the
    // range against that.
    bool checkRange();
    bool chooseFile();
    void prepareMap();

    const OrvexMap& shownMap;
    InputFieldSet fields;
    unsigned int startYear;
    unsigned int startMonth;
    unsigned int stopYear;
    unsigned int stopMonth;
    bool yearAverage;
    unsigned int delay;

    // Set up by the window thread before the thread starts, read back after
    // it has been joined.
    std::unique_ptr<OrvexMap> map;
    AnimationRange range;
    WString fileName;
};
