#pragma once

#include <atomic>

#include "WControlProgressBar.h"
#include "WDialog.h"
#include "WException.h"
#include "WThread.h"

// A modal dialog that runs one long task at a time on a thread of its own
// while it stays open: a progress bar shows how far the task got, the
// dialog's cancel button stops it, and the window thread reports the result
// once the thread has been joined.
//
// A derived dialog creates the bar in onDialogInit (createProgressBar),
// starts with startTask, hands its cancel button to cancelPressed, does the
// work in runTask and reports in taskEnded. Its destructor calls stopTask
// first: the thread runs the derived dialog's code.
//
// The thread only posts to the dialog and never waits for a window, so the
// window thread can always join it. The close box cancels a running task
// and waits for it before the dialog goes.
class ProgressTaskDialog : public WDialog, public WRunable {
public:
    // From startTask until taskEnded has been called.
    bool isTaskRunning() const { return running; }

    void onDialogClose() override;
    void onWindowUserMessage(void* a, void* b) override;

    // The thread's body: runTask, its failure kept for taskEnded.
    void run() final;

protected:
    ProgressTaskDialog(WWindowContext* parent, unsigned long templateId);

    // The task itself, on the thread. True when it completed, false when it
    // stopped because cancelRequested() was set; a WException (or any
    // standard exception) is its failure.
    virtual bool runTask() = 0;
    // The result, on the window thread, once the thread has ended.
    virtual void taskEnded() = 0;

    // --- Window thread -----------------------------------------------------
    void createProgressBar(const char* name, unsigned long id);
    // Starts the thread (nothing happens while a task runs). Throws
    // WThreadException when no thread can be made.
    void startTask();
    // The cancel button: stops a running task, closes the dialog otherwise.
    void cancelPressed();
    // Cancels a running task and waits for it.
    void stopTask();
    bool taskCompleted() const { return completed; }
    bool taskFailed() const { return failed; }
    const WException& taskFailure() const { return failure; }

    // --- Task thread --------------------------------------------------------
    // The task's size in steps; the bar's range follows.
    void reportTotal(unsigned long long steps);
    // Steps done so far, in steps of one or in leaps; the bar moves once a
    // hundredth more is done, since a message and a repaint per step may
    // cost more than the step.
    void reportProgress(unsigned long long done);
    const std::atomic<bool>& cancelRequested() const { return cancel; }

private:
    void finish();
    void showProgress(unsigned long long done);

    WControlProgressBar progressBar;
    WThread thread;
    bool running;
    // Written by the thread, read after it has been joined.
    bool completed;
    bool failed;
    WException failure;
    std::atomic<bool> cancel;
    // The thread's: steps in all, the last reported, and every how many it
    // reports.
    unsigned long long threadTotal;
    unsigned long long threadReported;
    unsigned long long reportStep;
    // The window thread's: the steps the bar shows.
    unsigned long long progressTotal;
};
