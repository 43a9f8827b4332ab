#pragma once

#include <windows.h>

#include "WControlProgressBar.h"
#include "WControlStatic.h"
#include "WDialog.h"
#include "WString.h"

// The small modal "Bitte waren ..." dialog with a text line and a progress
// bar that the window thread shows while the worker thread renders or saves
// the map, and the hand-over between the two threads.
//
// One run: the window thread calls beginRun, starts the worker and calls
// awaitRun; the worker reports with setWaitText and setProgress and ends with
// endRun. Everything the worker does reaches the dialog as a posted message,
// so the worker never waits for the window thread. awaitRun returns once the
// run has ended, also when it ended before the dialog's window existed, and
// shows the dialog only when the run takes longer than a short delay, so that
// fast rebuilds do not flicker. During the delay the window thread serves
// messages sent to it (a message box of the worker) and drops the user's key
// and mouse input, as the disabled main window would behind the dialog.
class WaitDialog : public WDialog {
public:
    static const unsigned long SHOW_DELAY_MS = 300;

    explicit WaitDialog(WWindowContext* parent);
    ~WaitDialog() override;

    // Window thread.
    void beginRun();
    // Returns when the run has ended, or earlier when the user closed the
    // dialog (Alt+F4); the run then goes on, and isRunEnded tells.
    void awaitRun(unsigned long showDelayMs = SHOW_DELAY_MS);
    bool isRunEnded() const;

    // Any thread.
    void setWaitText(const char* text);
    // Percent of the work done; values above 100 fill the bar.
    void setProgress(unsigned long percent);
    // The worker's last call of a run: ends the wait, closes the dialog.
    void endRun();

    // The bar the renderers move; without a window while the dialog is hidden.
    WControlProgressBar& getProgressBar() { return progressBar; }

    void onDialogInit() override;
    void onDialogClose() override;
    void onPanelCommand(unsigned long id, unsigned long code, WControl* control) override;
    LRESULT onWindowMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    // Posted to the dialog window by other threads.
    static const UINT RUN_ENDED_MESSAGE = WM_APP + 1;
    static const UINT TEXT_CHANGED_MESSAGE = WM_APP + 2;

    // Waits for the end of the run up to ms milliseconds, serving sent messages.
    bool waitForRunEnd(unsigned long ms);
    void closeAfterRun();
    void post(UINT message, WPARAM wParam);

    WControlProgressBar progressBar;
    WControlStatic text;
    // Guards textLine, openWindow and running across the two threads.
    mutable CRITICAL_SECTION lock;
    WString textLine;
    // The dialog's window while it is open, for posting from the worker.
    HWND openWindow;
    bool running;
    // Manual-reset event, set while no run is going on.
    HANDLE runEnded;
};
