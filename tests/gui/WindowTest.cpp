#include <windows.h>

#include <gtest/gtest.h>

#include <thread>

#include "GuiTestMain.h"
#include "GuiTestSupport.h"
#include "RecordingHandler.h"
#include "WException.h"
#include "WSystem.h"
#include "WWindow.h"

namespace {
RECT clientOf(HWND window)
{
    RECT r;
    GetClientRect(window, &r);
    return r;
}

std::string resizeEvent(HWND window)
{
    RECT r = clientOf(window);
    return "resize " + std::to_string(r.right) + " " + std::to_string(r.bottom);
}
}

TEST(WWindowTest, CreateResizePaintCloseAndDestroyReachTheHandler)
{
    RecordingHandler handler;
    WWindow window;
    handler.window = &window;
    window.create(nullptr, "Fenster", &handler, WWindow::STYLE_MAIN, 40, 40, 300, 200);
    HWND hwnd = window;
    ASSERT_NE(nullptr, hwnd);
    ASSERT_FALSE(handler.events.empty());
    EXPECT_EQ("create", handler.events.front()) << "onWindowCreate comes before create returns";
    EXPECT_TRUE(handler.handleKnownOnCreate) << "the window handle is set before onWindowCreate";
    EXPECT_EQ(nullptr, window.getWindowContext());
    EXPECT_EQ(WS_OVERLAPPEDWINDOW, GetWindowLongA(hwnd, GWL_STYLE) & WS_OVERLAPPEDWINDOW);
    EXPECT_EQ(testApplicationName, windowClassOf(hwnd));

    window.create(nullptr, "Zweites", &handler, WWindow::STYLE_MAIN, 0, 0, 10, 10);
    EXPECT_EQ(hwnd, static_cast<HWND>(window)) << "a second create is ignored";
    EXPECT_EQ(1, handler.count("create"));

    window.showWindow();
    pumpMessages(50);
    handler.events.clear();
    window.setWindowPos(50, 50, 320, 240, true);
    int restore = handler.indexOf("restore");
    ASSERT_GE(restore, 0) << "resizing to a normal size calls onWindowRestore()";
    ASSERT_LT(restore + 1, static_cast<int>(handler.events.size()));
    EXPECT_EQ(resizeEvent(hwnd), handler.events[restore + 1]) << "then onWindowResize";
    EXPECT_EQ(320u, window.getWindowWidth());
    EXPECT_EQ(240u, window.getWindowHeight());

    handler.events.clear();
    window.minimizeWindow();
    pumpMessages(50);
    EXPECT_GE(handler.count("resize"), 1) << "minimising reports the size";
    EXPECT_EQ(0, handler.count("restore")) << "minimising is no restore";
    handler.events.clear();
    window.restoreWindow();
    pumpMessages(50);
    EXPECT_GE(handler.count("restore"), 1);

    handler.events.clear();
    window.invalidateWindow();
    UpdateWindow(hwnd);
    RECT client = clientOf(hwnd);
    EXPECT_EQ(1, handler.count("paint"));
    EXPECT_EQ("paint " + std::to_string(client.right) + " " + std::to_string(client.bottom),
              handler.events[handler.indexOf("paint")])
        << "the whole invalidated client area is repainted";

    handler.events.clear();
    SendMessageA(hwnd, WM_CLOSE, 0, 0);
    EXPECT_EQ(1, handler.count("close"));
    EXPECT_TRUE(IsWindow(hwnd)) << "closing does not destroy the window";

    window.setWindowText("Neuer Titel");
    char title[64] = "";
    GetWindowTextA(hwnd, title, sizeof(title));
    EXPECT_STREQ("Neuer Titel", title);

    window.destroy();
    EXPECT_EQ(1, handler.count("destroy"));
    EXPECT_FALSE(IsWindow(hwnd));
    EXPECT_EQ(nullptr, static_cast<HWND>(window));
    EXPECT_FALSE(window.isWindowActive());
    size_t seen = handler.events.size();
    SendMessageA(hwnd, WM_CLOSE, 0, 0);
    EXPECT_EQ(seen, handler.events.size()) << "no callbacks after onWindowDestroy";
}

TEST(WWindowTest, ShortFormStylesAndChildWindows)
{
    WWindow popup;
    popup.create(nullptr, "", nullptr, WWindow::STYLE_POPUP, 0, 0, 100, 80);
    EXPECT_TRUE(GetWindowLongA(popup, GWL_STYLE) & WS_POPUP);
    EXPECT_TRUE(GetWindowLongA(popup, GWL_EXSTYLE) & WS_EX_CONTROLPARENT);

    {
        WWindow view(popup);
        EXPECT_EQ(static_cast<HWND>(popup), static_cast<HWND>(view));
    }
    EXPECT_TRUE(IsWindow(popup)) << "a copy does not own the window";

    RecordingHandler childHandler;
    WWindow child;
    child.create(&popup, "", &childHandler, WWindow::STYLE_CHILD, 5, 5, 20, 20);
    EXPECT_EQ(&popup, child.getWindowContext());
    EXPECT_EQ(static_cast<HWND>(popup), GetParent(child));
    HWND childWindow = child;

    // The system destroys the child with its parent: the child object
    // learns of it and forgets the handle.
    popup.destroy();
    EXPECT_FALSE(IsWindow(childWindow));
    EXPECT_EQ(1, childHandler.count("destroy"));
    EXPECT_FALSE(child.isWindowActive());

    WWindow orphan;
    try {
        orphan.create(nullptr, "", nullptr, WWindow::STYLE_CHILD, 0, 0, 10, 10);
        ADD_FAILURE() << "a child window without parent cannot be made";
    } catch (const WSystemException& e) {
        EXPECT_STREQ("Cannot create window.", e.getMessage());
        EXPECT_EQ(-4, e.getId());
    }
    try {
        orphan.create(nullptr, "", nullptr, WWindowStyle("NoSuchWindowClass", WS_POPUP, 0), 0, 0,
                      10, 10);
        ADD_FAILURE() << "an unknown window class cannot be used";
    } catch (const WSystemException& e) {
        EXPECT_EQ(-4, e.getId());
    }
}

TEST(WWindowTest, MouseEnterOnceMovesThenLeaveOnce)
{
    RecordingHandler handler;
    WWindow window;
    window.create(nullptr, "Maus", &handler, WWindow::STYLE_POPUP, 100, 100, 200, 150);
    window.showWindow();
    window.setForegroundWindow(false);
    SetCursorPos(20, 20);
    pumpMessages(100);
    handler.events.clear();

    SetCursorPos(150, 160);
    ASSERT_TRUE(pumpUntil([&] { return handler.count("move") >= 1; }, 2000))
        << "moving the pointer into the window reports a move";
    SetCursorPos(170, 180);
    ASSERT_TRUE(pumpUntil([&] { return handler.count("move") >= 2; }, 2000));
    EXPECT_EQ(1, handler.count("enter")) << "entering is reported once";
    EXPECT_LT(handler.indexOf("enter"), handler.indexOf("move")) << "enter comes before the move";
    EXPECT_EQ("move 50 60", handler.events[handler.indexOf("move")])
        << "client coordinates of the pointer";

    SetCursorPos(20, 20);
    ASSERT_TRUE(pumpUntil([&] { return handler.count("leave") >= 1; }, 3000))
        << "leaving the window is reported";
    pumpMessages(200);
    EXPECT_EQ(1, handler.count("leave"));
    EXPECT_EQ(1, handler.count("enter"));

    // Re-entering is a new enter.
    SetCursorPos(160, 170);
    ASSERT_TRUE(pumpUntil([&] { return handler.count("enter") >= 2; }, 2000));

    // A position left of and above a captured window arrives negative.
    handler.events.clear();
    SendMessageA(window, WM_MOUSEMOVE, 0, MAKELPARAM(-5, -7));
    SendMessageA(window, WM_LBUTTONDOWN, 0, MAKELPARAM(-3, 4));
    EXPECT_EQ("move -5 -7", handler.events[handler.indexOf("move")]);
    EXPECT_EQ("leftdown -3 4", handler.events[handler.indexOf("leftdown")]);
    SetCursorPos(20, 20);
    pumpMessages(50);
}

TEST(WWindowTest, UserMessageFromAWorkerArrivesOnTheWindowThreadLater)
{
    RecordingHandler handler;
    WWindow window;
    window.create(nullptr, "", &handler, WWindow::STYLE_POPUP, 0, 0, 50, 50);
    int a = 1;
    int b = 2;

    // Posted from a worker while the window thread is inside a callback: the
    // callback finishes first.
    struct KeyHandler : RecordingHandler {
        WWindow* target = nullptr;
        void* a = nullptr;
        void* b = nullptr;
        bool posted = false;
        void onWindowKeyPressed(int key) override
        {
            RecordingHandler::onWindowKeyPressed(key);
            std::thread worker([this] { posted = target->createUserMessage(a, b); });
            worker.join();
            events.push_back("key done");
        }
    } keyHandler;
    WWindow keyWindow;
    keyHandler.target = &keyWindow;
    keyHandler.a = &a;
    keyHandler.b = &b;
    keyWindow.create(nullptr, "", &keyHandler, WWindow::STYLE_POPUP, 0, 0, 50, 50);
    SendMessageA(keyWindow, WM_KEYDOWN, 'A', 0);
    EXPECT_TRUE(keyHandler.posted);
    EXPECT_EQ(0, keyHandler.count("user")) << "not delivered inside the running callback";
    ASSERT_TRUE(pumpUntil([&] { return keyHandler.count("user") == 1; }, 2000));
    EXPECT_LT(keyHandler.indexOf("key done"), keyHandler.indexOf("user"));
    EXPECT_EQ(&a, keyHandler.userA);
    EXPECT_EQ(&b, keyHandler.userB);
    EXPECT_EQ(GetCurrentThreadId(), keyHandler.userThread) << "runs on the window thread";

    // Null arguments pass through as they are.
    std::thread worker([&] { window.createUserMessage(nullptr, &b); });
    worker.join();
    ASSERT_TRUE(pumpUntil([&] { return handler.count("user") == 1; }, 2000));
    EXPECT_EQ(nullptr, handler.userA);
    EXPECT_EQ(&b, handler.userB);

    WWindow none;
    EXPECT_FALSE(none.createUserMessage(&a, &b)) << "nothing to post to";
}

TEST(WWindowTest, ExceptionsInCallbacksAreDiscardedAndTheLoopGoesOn)
{
    RecordingHandler handler;
    handler.throwOnLeftDown = true;
    handler.throwOnRightDown = true;
    handler.throwOnClose = true;
    handler.throwOnMessage = WM_SETTEXT;
    WWindow window;
    window.create(nullptr, "Alt", &handler, WWindow::STYLE_POPUP, 0, 0, 50, 50);

    PostMessageA(window, WM_LBUTTONDOWN, 0, MAKELPARAM(1, 2));
    PostMessageA(window, WM_RBUTTONDOWN, 0, MAKELPARAM(3, 4));
    window.createUserMessage(nullptr, nullptr);
    WSystem::exit(7);
    EXPECT_EQ(7, WSystem::messageLoop(window, 0)) << "the loop ends with the quit code only";
    EXPECT_EQ(1, handler.count("leftdown"));
    EXPECT_EQ(1, handler.count("rightdown")) << "other exceptions are discarded as well";
    EXPECT_EQ(1, handler.count("user")) << "messages after the throwing callback still arrive";

    SetWindowTextA(window, "Neu");
    char title[16] = "";
    GetWindowTextA(window, title, sizeof(title));
    EXPECT_STREQ("Neu", title) << "a throwing onWindowMessage leaves the default processing";

    SendMessageA(window, WM_CLOSE, 0, 0);
    EXPECT_EQ(1, handler.count("close"));
    EXPECT_TRUE(IsWindow(window)) << "a throwing onWindowClose does not destroy the window";

    // A handler that ends the processing of every message still learns of
    // its window's end, and the window object forgets the handle.
    RecordingHandler greedy;
    WWindow greedyWindow;
    greedyWindow.create(nullptr, "", &greedy, WWindow::STYLE_POPUP, 0, 0, 50, 50);
    greedy.answerAll = true;
    SendMessageA(greedyWindow, WM_CLOSE, 0, 0);
    EXPECT_EQ(0, greedy.count("close")) << "a non-zero onWindowMessage ends the processing";
    DestroyWindow(greedyWindow);
    EXPECT_EQ(1, greedy.count("destroy"));
    EXPECT_FALSE(greedyWindow.isWindowActive());
}

TEST(WWindowTest, TimerAndZOrder)
{
    RecordingHandler handler;
    WWindow window;
    window.create(nullptr, "", &handler, WWindow::STYLE_POPUP, 0, 0, 50, 50);
    window.setTimer(20);
    EXPECT_TRUE(pumpUntil([&] { return handler.count("tick") >= 2; }, 2000))
        << "the timer keeps ticking";
    window.setTimer(10000);
    pumpMessages(30);
    int ticks = handler.count("tick");
    pumpMessages(200);
    EXPECT_EQ(ticks, handler.count("tick")) << "setTimer restarts the one timer with the new period";

    window.setForegroundWindow(true);
    EXPECT_TRUE(GetWindowLongA(window, GWL_EXSTYLE) & WS_EX_TOPMOST);
    window.setBackgroundWindow();
    EXPECT_FALSE(GetWindowLongA(window, GWL_EXSTYLE) & WS_EX_TOPMOST);

    window.setExStyle(WS_EX_TOOLWINDOW, true);
    EXPECT_TRUE(GetWindowLongA(window, GWL_EXSTYLE) & WS_EX_TOOLWINDOW);
    window.setExStyle(WS_EX_TOOLWINDOW, false);
    EXPECT_FALSE(GetWindowLongA(window, GWL_EXSTYLE) & WS_EX_TOOLWINDOW);
}
