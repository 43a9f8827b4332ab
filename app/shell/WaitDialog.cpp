#include "WaitDialog.h"

#include <commctrl.h>

#include "ProgramIds.h"
#include "WException.h"
#include "WMutex.h"
#include "WSystem.h"

WaitDialog::WaitDialog(WWindowContext* parent)
    : WDialog(parent, IDD_WAIT), openWindow(nullptr), running(false),
      runEnded(CreateEventA(nullptr, TRUE, TRUE, nullptr))
{
    InitializeCriticalSection(&lock);
    if (runEnded == nullptr) {
        DeleteCriticalSection(&lock);
        throw WException("Cannot create event.", -2);
    }
}

WaitDialog::~WaitDialog()
{
    CloseHandle(runEnded);
    DeleteCriticalSection(&lock);
}

void WaitDialog::beginRun()
{
    WMutexLocker locked(lock);
    running = true;
    ResetEvent(runEnded);
}

bool WaitDialog::isRunEnded() const
{
    WMutexLocker locked(lock);
    return !running;
}

void WaitDialog::awaitRun(unsigned long showDelayMs)
{
    if (waitForRunEnd(showDelayMs)) {
        // Input that reached the main window meanwhile would have been
        // swallowed by the dialog; a held arrow key must not pile up.
        MSG message;
        while (PeekMessageA(&message, nullptr, WM_KEYFIRST, WM_KEYLAST, PM_REMOVE))
            ;
        while (PeekMessageA(&message, nullptr, WM_MOUSEFIRST, WM_MOUSELAST, PM_REMOVE))
            ;
        return;
    }
    // The dialog closes itself when the run ended before its window existed
    // (onDialogInit), and on the worker's message otherwise.
    show(true);
}

bool WaitDialog::waitForRunEnd(unsigned long ms)
{
    DWORD start = GetTickCount();
    for (;;) {
        DWORD elapsed = GetTickCount() - start;
        if (elapsed >= ms)
            return WaitForSingleObject(runEnded, 0) == WAIT_OBJECT_0;
        DWORD result = MsgWaitForMultipleObjects(1, &runEnded, FALSE, ms - elapsed, QS_SENDMESSAGE);
        if (result == WAIT_OBJECT_0)
            return true;
        if (result != WAIT_OBJECT_0 + 1)
            return WaitForSingleObject(runEnded, 0) == WAIT_OBJECT_0;
        // Serves the messages other threads sent to this one, nothing else.
        MSG message;
        PeekMessageA(&message, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
    }
}

void WaitDialog::setWaitText(const char* line)
{
    WMutexLocker locked(lock);
    textLine = line;
    if (openWindow != nullptr)
        PostMessageA(openWindow, TEXT_CHANGED_MESSAGE, 0, 0);
}

void WaitDialog::setProgress(unsigned long percent)
{
    WMutexLocker locked(lock);
    if (openWindow != nullptr) {
        HWND bar = GetDlgItem(openWindow, IDC_WAIT_PROGRESS);
        if (bar != nullptr)
            PostMessageA(bar, PBM_SETPOS, percent, 0);
    }
}

void WaitDialog::endRun()
{
    WMutexLocker locked(lock);
    running = false;
    SetEvent(runEnded);
    if (openWindow != nullptr)
        PostMessageA(openWindow, RUN_ENDED_MESSAGE, 0, 0);
}

void WaitDialog::onDialogInit()
{
    progressBar.create(this, "wait", IDC_WAIT_PROGRESS);
    progressBar.setRange(0, 100);
    progressBar.setStepSize(1);
    text.create(this, "waittext", IDC_WAIT_TEXT);
    WMutexLocker locked(lock);
    text.setText(textLine);
    openWindow = getWindowHandle();
    // A run that ended before the window existed closes it at once.
    if (!running)
        PostMessageA(openWindow, RUN_ENDED_MESSAGE, 0, 0);
}

void WaitDialog::onDialogClose()
{
    {
        WMutexLocker locked(lock);
        openWindow = nullptr;
    }
    close(0);
}

void WaitDialog::onPanelCommand(unsigned long, unsigned long, WControl*) {}

LRESULT WaitDialog::onWindowMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == RUN_ENDED_MESSAGE) {
        closeAfterRun();
        return 1;
    }
    if (message == TEXT_CHANGED_MESSAGE) {
        WMutexLocker locked(lock);
        text.setText(textLine);
        ShowWindow(text.getWindowHandle(), SW_SHOW);
        return 1;
    }
    return WDialog::onWindowMessage(hwnd, message, wParam, lParam);
}

void WaitDialog::closeAfterRun()
{
    {
        WMutexLocker locked(lock);
        if (openWindow == nullptr)
            return;
        openWindow = nullptr;
    }
    progressBar.destroy();
    text.destroy();
    close(0);
}
