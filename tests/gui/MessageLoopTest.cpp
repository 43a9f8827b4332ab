#include <windows.h>

#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "GuiTestResources.h"
#include "GuiTestSupport.h"
#include "RecordingHandler.h"
#include "TestDialogs.h"
#include "WSystem.h"
#include "WWindow.h"

namespace {
// Runs the library's message loop over what is queued now.
int runLoop(HWND mainWindow, unsigned long accelerators)
{
    WSystem::exit(0);
    return WSystem::messageLoop(mainWindow, accelerators);
}

HWND button(HWND parent, int id, int x)
{
    return CreateWindowExA(0, "BUTTON", "b", WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON, x,
                           5, 40, 20, parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                           GetModuleHandleA(nullptr), nullptr);
}

// Presses Tab in the focused first button of a dialog; true when the focus
// moved on to its second button.
bool tabMovesFocus(HWND mainWindow, HWND dialog)
{
    SetFocus(GetDlgItem(dialog, IDC_FIRST_BUTTON));
    PostMessageA(GetFocus(), WM_KEYDOWN, VK_TAB, 0);
    runLoop(mainWindow, 0);
    return GetFocus() == GetDlgItem(dialog, IDC_SECOND_BUTTON);
}
}

TEST(WSystemMessageLoopTest, AcceleratorsReachTheMainWindowAlsoFromADialog)
{
    RecordingHandler handler;
    WWindow window;
    window.create(nullptr, "Haupt", &handler, WWindow::STYLE_MAIN, 0, 0, 200, 100);
    window.showWindow();

    PostMessageA(window, WM_KEYDOWN, VK_F5, 0);
    EXPECT_EQ(0, runLoop(window, IDA_TEST_ACCELERATORS));
    ASSERT_EQ(1u, handler.commands.size()) << "F5 is translated into a command";
    EXPECT_EQ(IDM_ACCELERATED, LOWORD(handler.commands[0]));
    EXPECT_EQ(1, HIWORD(handler.commands[0])) << "marked as coming from an accelerator";

    TestDialog dialog(&window, IDD_KEYBOARD_DIALOG);
    dialog.show(false);
    SetFocus(GetDlgItem(dialog.getWindowHandle(), IDC_FIRST_BUTTON));
    PostMessageA(GetFocus(), WM_KEYDOWN, VK_F5, 0);
    runLoop(window, IDA_TEST_ACCELERATORS);
    ASSERT_EQ(2u, handler.commands.size()) << "the command goes to the main window";
    EXPECT_TRUE(dialog.commands.empty());
    dialog.close(0);

    PostMessageA(window, WM_KEYDOWN, VK_F5, 0);
    runLoop(window, 0);
    EXPECT_EQ(2u, handler.commands.size()) << "no accelerators without a table";
}

TEST(WSystemMessageLoopTest, TabNavigatesTheMainWindowAndTheFirst15Dialogs)
{
    WWindow window;
    window.create(nullptr, "Haupt", nullptr, WWindow::STYLE_MAIN, 0, 0, 200, 100);
    window.showWindow();
    HWND first = button(window, 1, 5);
    HWND second = button(window, 2, 60);
    SetFocus(first);
    PostMessageA(first, WM_KEYDOWN, VK_TAB, 0);
    runLoop(window, 0);
    EXPECT_EQ(second, GetFocus()) << "Tab moves between the main window's controls";

    std::vector<std::unique_ptr<TestDialog>> dialogs;
    for (int i = 0; i < 20; ++i) {
        dialogs.emplace_back(new TestDialog(&window, IDD_KEYBOARD_DIALOG));
        dialogs.back()->show(false);
        EXPECT_TRUE(dialogs.back()->registeredOnInit) << "registered before onDialogInit";
    }
    EXPECT_TRUE(tabMovesFocus(window, dialogs[0]->getWindowHandle()));
    EXPECT_TRUE(tabMovesFocus(window, dialogs[14]->getWindowHandle()))
        << "the 15th dialog after the main window is served";
    EXPECT_FALSE(tabMovesFocus(window, dialogs[15]->getWindowHandle()))
        << "the 16th dialog is beyond the 16 listed windows";

    dialogs[0]->close(0);
    dialogs.emplace_back(new TestDialog(&window, IDD_KEYBOARD_DIALOG));
    dialogs.back()->show(false);
    EXPECT_TRUE(tabMovesFocus(window, dialogs[15]->getWindowHandle()))
        << "after a listed dialog closed, the next one moves up";
    EXPECT_FALSE(tabMovesFocus(window, dialogs.back()->getWindowHandle()));

    dialogs.clear();
    EXPECT_FALSE(WSystem::isDialogWindow(nullptr));
}
