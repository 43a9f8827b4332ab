#include <windows.h>

#include <gtest/gtest.h>

#include <atomic>
#include <string>

#include "ProgramIds.h"
#include "WThread.h"
#include "WWindow.h"
#include "WaitDialog.h"

namespace {

const char* const waitTitle = "Bitte waren ...";

// The open wait dialog of this process, or null.
HWND findWaitDialog()
{
    return FindWindowA(nullptr, waitTitle);
}

std::string itemText(HWND dialog, int id)
{
    char text[256] = {};
    GetDlgItemTextA(dialog, id, text, sizeof(text));
    return text;
}

// A worker that waits, reports and ends its run as the program's worker does.
class TestWorker : public WRunable {
public:
    explicit TestWorker(WaitDialog& dialog) : dialog(dialog) {}

    void run() override
    {
        dialog.setWaitText("Erstelle Karte ...");
        if (sendTo != nullptr)
            sendResult = SendMessageA(sendTo, WM_USER + 7, 0, 0);
        for (unsigned long i = 0; i < workMs; i += 10) {
            dialog.setProgress(i * 100 / workMs);
            Sleep(10);
            if (watchDialog && findWaitDialog() != nullptr) {
                HWND open = findWaitDialog();
                sawDialog = true;
                sawText = itemText(open, IDC_WAIT_TEXT);
                sawTopmost = (GetWindowLongA(open, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0;
            }
        }
        if (spinMicros > 0) {
            LARGE_INTEGER f, start, now;
            QueryPerformanceFrequency(&f);
            QueryPerformanceCounter(&start);
            do
                QueryPerformanceCounter(&now);
            while ((now.QuadPart - start.QuadPart) * 1000000 / f.QuadPart < spinMicros);
        }
        dialog.endRun();
    }

    WaitDialog& dialog;
    unsigned long workMs = 0;
    long long spinMicros = 0;
    bool watchDialog = false;
    HWND sendTo = nullptr;
    std::atomic<LRESULT> sendResult{0};
    std::atomic<bool> sawDialog{false};
    std::string sawText;
    bool sawTopmost = false;
};

// A plain top-level window as the dialog's parent.
class ParentWindow : public WWindow, public WWindow::EventHandler {
public:
    ParentWindow() { create(nullptr, "WaitDialogTest", this, STYLE_MAIN, 0, 0, 300, 200); }
    LRESULT onWindowMessage(HWND, UINT message, WPARAM, LPARAM) override
    {
        return message == WM_USER + 7 ? 42 : 0;
    }
};

void runOnce(WThread& thread, TestWorker& worker, unsigned long showDelayMs)
{
    worker.dialog.beginRun();
    ASSERT_TRUE(thread.start(&worker));
    worker.dialog.awaitRun(showDelayMs);
    ASSERT_TRUE(thread.join(10000)) << "the worker ends";
}

} // namespace

// The wait ends in every case: a worker that ends before the dialog's window
// exists, one that ends while it is being made, and one that ends while it is
// on the screen; no wait dialog stays open, and the same dialog object serves
// every run.
TEST(WaitDialogTest, EveryRunEndsTheWaitAndClosesTheDialog)
{
    ParentWindow parent;
    WaitDialog dialog(&parent);
    WThread thread;
    TestWorker worker(dialog);

    // Fast work: the dialog never appears. The worker looks for it while it
    // works, since after the run it is gone in any case. A run that a busy
    // machine slowed past the delay may rightly show it: runs are repeated
    // until one ends within the delay.
    worker.workMs = 100;
    worker.watchDialog = true;
    bool fastRun = false;
    for (int attempt = 0; attempt < 5 && !fastRun; ++attempt) {
        worker.sawDialog = false;
        DWORD start = GetTickCount();
        runOnce(thread, worker, WaitDialog::SHOW_DELAY_MS);
        fastRun = GetTickCount() - start < WaitDialog::SHOW_DELAY_MS;
        if (fastRun) {
            EXPECT_FALSE(worker.sawDialog) << "fast work showed the dialog";
        }
        EXPECT_TRUE(dialog.isRunEnded());
        EXPECT_EQ(nullptr, findWaitDialog());
    }
    EXPECT_TRUE(fastRun) << "no run ended within the delay";
    worker.workMs = 0;
    worker.watchDialog = false;

    // No delay, work ending at every moment around the dialog's creation.
    for (int i = 0; i < 60; ++i) {
        worker.spinMicros = (i % 20) * 400;
        DWORD start = GetTickCount();
        runOnce(thread, worker, 0);
        EXPECT_LT(GetTickCount() - start, 5000UL) << "run " << i;
        ASSERT_EQ(nullptr, findWaitDialog()) << "run " << i << " left its dialog open";
    }
    worker.spinMicros = 0;

    // Slow work: the dialog shows its text and is topmost, then closes.
    worker.workMs = 900;
    worker.watchDialog = true;
    runOnce(thread, worker, WaitDialog::SHOW_DELAY_MS);
    EXPECT_TRUE(worker.sawDialog) << "shown while the work goes on";
    EXPECT_EQ("Erstelle Karte ...", worker.sawText);
    EXPECT_TRUE(worker.sawTopmost);
    EXPECT_EQ(nullptr, findWaitDialog());

    // And again with the same object.
    worker.sawDialog = false;
    runOnce(thread, worker, 0);
    EXPECT_TRUE(worker.sawDialog);
    EXPECT_EQ(nullptr, findWaitDialog());
}

// While the window thread waits it still serves messages the worker sends it
// (a message box of the worker needs that), and it drops the key presses
// that reached the main window meanwhile, as the disabled window would.
TEST(WaitDialogTest, WaitServesSentMessagesAndDropsInput)
{
    ParentWindow parent;
    WaitDialog dialog(&parent);
    WThread thread;
    TestWorker worker(dialog);
    worker.sendTo = parent;
    worker.workMs = 50;
    PostMessageA(parent, WM_KEYDOWN, VK_RIGHT, 0);
    runOnce(thread, worker, WaitDialog::SHOW_DELAY_MS);
    EXPECT_EQ(42, worker.sendResult.load()) << "the sent message was answered";
    MSG message;
    EXPECT_FALSE(PeekMessageA(&message, nullptr, WM_KEYFIRST, WM_KEYLAST, PM_NOREMOVE));
}

// A close request (Alt+F4) ends the wait at once while the worker goes on;
// the worker's own end later finds no window and does nothing.
TEST(WaitDialogTest, CloseRequestEndsTheWaitButNotTheWork)
{
    ParentWindow parent;
    WaitDialog dialog(&parent);
    WThread thread;
    TestWorker worker(dialog);
    worker.workMs = 1500;

    dialog.beginRun();
    ASSERT_TRUE(thread.start(&worker));
    std::atomic<bool> stop{false};
    HANDLE closer = CreateThread(
        nullptr, 0,
        [](LPVOID flag) -> DWORD {
            auto* stopFlag = static_cast<std::atomic<bool>*>(flag);
            while (!*stopFlag) {
                HWND open = findWaitDialog();
                if (open != nullptr) {
                    PostMessageA(open, WM_CLOSE, 0, 0);
                    return 1;
                }
                Sleep(5);
            }
            return 0;
        },
        &stop, 0, nullptr);
    DWORD start = GetTickCount();
    dialog.awaitRun(0);
    EXPECT_LT(GetTickCount() - start, 1200UL) << "the wait ended before the work";
    EXPECT_FALSE(dialog.isRunEnded());
    stop = true;
    WaitForSingleObject(closer, 5000);
    CloseHandle(closer);
    ASSERT_TRUE(thread.join(10000));
    EXPECT_TRUE(dialog.isRunEnded());
    EXPECT_EQ(nullptr, findWaitDialog());
}
