#include "ProgressTaskDialog.h"

#include <cstdint>
#include <exception>

namespace {

// Messages from the task thread to the dialog (onWindowUserMessage).
enum ThreadMessage { TASK_TOTAL = 1, TASK_PROGRESS = 2, TASK_FINISHED = 3 };

// The progress bar takes 16-bit positions; longer tasks are scaled down.
const unsigned long long progressLimit = 65535;
const unsigned long long progressUpdates = 100;

void* messageValue(unsigned long long value)
{
    return reinterpret_cast<void*>(static_cast<uintptr_t>(value));
}

} // namespace

ProgressTaskDialog::ProgressTaskDialog(WWindowContext* parent, unsigned long templateId)
    : WDialog(parent, templateId), running(false), completed(false), failed(false), cancel(false),
      threadTotal(0), threadReported(0), reportStep(1), progressTotal(0)
{
}

void ProgressTaskDialog::stopTask()
{
    if (running) {
        cancel = true;
        thread.join(INFINITE);
        running = false;
    }
}

void ProgressTaskDialog::createProgressBar(const char* name, unsigned long id)
{
    progressBar.create(this, name, id);
    progressBar.setRange(0, 100);
}

void ProgressTaskDialog::onDialogClose()
{
    // The thread and its progress messages must be over before the window
    // and the progress bar go.
    if (running) {
        cancel = true;
        finish();
    }
    close(0);
}

void ProgressTaskDialog::cancelPressed()
{
    if (running)
        cancel = true;
    else
        close(0);
}

void ProgressTaskDialog::startTask()
{
    if (running)
        return;
    completed = false;
    failed = false;
    cancel = false;
    progressTotal = 0;
    progressBar.setPos(0);
    running = true;
    try {
        thread.start(this);
    } catch (...) {
        running = false;
        throw;
    }
}

void ProgressTaskDialog::run()
{
    try {
        completed = runTask();
    } catch (const WException& e) {
        failed = true;
        failure = e;
    } catch (const std::exception& e) {
        failed = true;
        failure = WException(e.what());
    }
    createUserMessage(messageValue(TASK_FINISHED), nullptr);
}

void ProgressTaskDialog::reportTotal(unsigned long long steps)
{
    threadTotal = steps;
    threadReported = 0;
    reportStep = steps / progressUpdates > 0 ? steps / progressUpdates : 1;
    createUserMessage(messageValue(TASK_TOTAL), messageValue(steps));
}

void ProgressTaskDialog::reportProgress(unsigned long long done)
{
    // A task may report in leaps (the import does, a slice of months at a
    // time), so every leap past the next step is shown, not only multiples.
    if (done >= threadReported + reportStep || done == threadTotal) {
        threadReported = done;
        createUserMessage(messageValue(TASK_PROGRESS), messageValue(done));
    }
}

void ProgressTaskDialog::onWindowUserMessage(void* a, void* b)
{
    unsigned long long value = reinterpret_cast<uintptr_t>(b);
    switch (reinterpret_cast<uintptr_t>(a)) {
    case TASK_TOTAL:
        progressTotal = value;
        progressBar.setRange(
            0, static_cast<unsigned long>(value < progressLimit ? value : progressLimit));
        progressBar.setStepSize(1);
        progressBar.setPos(0);
        break;
    case TASK_PROGRESS: showProgress(value); break;
    case TASK_FINISHED:
        if (running)
            finish();
        break;
    }
}

void ProgressTaskDialog::showProgress(unsigned long long done)
{
    if (progressTotal > progressLimit)
        done = done * progressLimit / progressTotal;
    progressBar.setPos(static_cast<unsigned long>(done));
}

void ProgressTaskDialog::finish()
{
    thread.join(INFINITE);
    running = false;
    if (completed && !failed) {
        // Joined: the thread's total is settled.
        progressTotal = threadTotal;
        showProgress(threadTotal);
    }
    taskEnded();
}
