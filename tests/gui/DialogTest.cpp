#include <windows.h>

#include <gtest/gtest.h>

#include <thread>
#include <vector>

#include "GuiTestResources.h"
#include "GuiTestSupport.h"
#include "TestDialogs.h"
#include "WException.h"
#include "WSystem.h"
#include "WWindow.h"

TEST(WDialogTest, ModalDialogReturnsTheCodeGivenToClose)
{
    WWindow owner;
    owner.create(nullptr, "Besitzer", nullptr, WWindow::STYLE_MAIN, 0, 0, 200, 100);
    TestDialog dialog(&owner, IDD_TEST_DIALOG);
    dialog.postOnInit = WM_COMMAND;

    EXPECT_EQ(5, dialog.show(true)) << "close(5) in the command handler ends show with 5";
    EXPECT_TRUE(dialog.isModal());
    EXPECT_EQ(1, dialog.inits);
    EXPECT_TRUE(dialog.registeredOnInit);
    ASSERT_EQ(1u, dialog.commands.size());
    EXPECT_EQ(static_cast<unsigned long>(IDOK), dialog.commands[0]);
    EXPECT_EQ(static_cast<HWND>(owner), dialog.ownerOnInit) << "owned by the parent's window";
    EXPECT_FALSE(IsWindow(dialog.initWindow));
    EXPECT_FALSE(WSystem::isDialogWindow(dialog.initWindow)) << "unregistered when destroyed";
    EXPECT_FALSE(dialog.isWindowActive());

    // Shown again, the same object makes a new window.
    dialog.closeCode = 9;
    EXPECT_EQ(9, dialog.show(true));
    EXPECT_EQ(2, dialog.inits);

    // A close request of a modal dialog goes to onDialogClose.
    TestDialog closing(&owner, IDD_TEST_DIALOG);
    closing.postOnInit = WM_CLOSE;
    closing.closeOnRequest = true;
    EXPECT_EQ(2, closing.show(true));
    EXPECT_EQ(1, closing.closeRequests);
}

TEST(WDialogTest, AWorkerThreadEndsAModalDialog)
{
    // The wait-dialog pattern: the window thread sits in the modal loop
    // until a worker closes the dialog.
    struct WorkerClosedDialog : TestDialog {
        WorkerClosedDialog() : TestDialog(nullptr, IDD_TEST_DIALOG) {}
        std::thread worker;
        void onDialogInit() override
        {
            TestDialog::onDialogInit();
            worker = std::thread([this] {
                Sleep(50);
                close(7);
            });
        }
    } dialog;
    EXPECT_EQ(7, dialog.show(true));
    dialog.worker.join();
    EXPECT_FALSE(IsWindow(dialog.initWindow));
    EXPECT_FALSE(WSystem::isDialogWindow(dialog.initWindow));
}

TEST(WDialogTest, CloseRequestsAndClosingNonModalDialogs)
{
    TestDialog never(nullptr, IDD_TEST_DIALOG);
    never.close(3);
    EXPECT_FALSE(never.isWindowActive()) << "close on a dialog never shown does nothing";

    TestDialog dialog(nullptr, IDD_TEST_DIALOG);
    EXPECT_EQ(1, dialog.show(false));
    HWND window = dialog.getWindowHandle();
    ASSERT_NE(nullptr, window);
    EXPECT_FALSE(dialog.isModal());
    EXPECT_TRUE(IsWindowVisible(window));
    EXPECT_TRUE(dialog.isDialogWindow());

    EXPECT_EQ(1, dialog.show(false));
    EXPECT_EQ(window, dialog.getWindowHandle()) << "an open dialog is not made twice";
    EXPECT_EQ(1, dialog.inits);
    EXPECT_THROW(dialog.show(true), WDialogException);

    SendMessageA(window, WM_CLOSE, 0, 0);
    EXPECT_EQ(1, dialog.closeRequests) << "the close box calls onDialogClose";
    EXPECT_TRUE(IsWindow(window)) << "a dialog whose onDialogClose does nothing stays open";
    SendMessageA(window, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
    EXPECT_TRUE(IsWindow(window));

    dialog.close(0);
    EXPECT_FALSE(IsWindow(window));
    EXPECT_FALSE(dialog.isWindowActive());
    EXPECT_FALSE(WSystem::isDialogWindow(window));
    dialog.close(0);

    // The destructor closes a dialog that is still open.
    HWND open;
    {
        TestDialog scoped(nullptr, IDD_TEST_DIALOG);
        scoped.show(false);
        open = scoped.getWindowHandle();
    }
    EXPECT_FALSE(IsWindow(open));
    EXPECT_FALSE(WSystem::isDialogWindow(open));
}

TEST(WDialogTest, MissingTemplatesThrowAndLeaveNothingBehind)
{
    TestDialog dialog(nullptr, IDD_MISSING);
    try {
        dialog.show(true);
        ADD_FAILURE() << "no template 4242";
    } catch (const WDialogException& e) {
        EXPECT_STREQ("Cannot create modal dialog.", e.getMessage());
        EXPECT_EQ(-1, e.getId());
    }
    try {
        dialog.show(false);
        ADD_FAILURE() << "no template 4242";
    } catch (const WDialogException& e) {
        EXPECT_STREQ("Cannot create non modal dialog.", e.getMessage());
        EXPECT_EQ(-1, e.getId());
    }
    EXPECT_EQ(0, dialog.inits);
    EXPECT_FALSE(dialog.isWindowActive());
}

TEST(WDialogTest, RoundTripsLeaveNoWindowsOrGdiObjects)
{
    WWindow owner;
    owner.create(nullptr, "Besitzer", nullptr, WWindow::STYLE_MAIN, 0, 0, 200, 100);
    std::vector<HBRUSH> brushes;
    auto roundTrip = [&] {
        TestDialog modal(&owner, IDD_KEYBOARD_DIALOG);
        modal.postOnInit = WM_COMMAND;
        modal.show(true);
        TestDialog nonModal(&owner, IDD_KEYBOARD_DIALOG);
        nonModal.show(false);
        nonModal.setColor(0, RGB(1, 2, 3));
        brushes.push_back(nonModal.getBackgroundBrush());
        nonModal.close(0);
    };
    // The first round loads what the system keeps for all later dialogs.
    roundTrip();
    pumpMessages(50);
    GuiObjectCounts before = guiObjectCounts();
    ASSERT_GT(before.gdi, 0u) << "GDI objects are counted";
    for (int i = 0; i < 3; ++i)
        roundTrip();
    pumpMessages(50);
    GuiObjectCounts after = guiObjectCounts();
    EXPECT_EQ(before.user, after.user) << "every dialog window is gone";
    EXPECT_EQ(before.gdi, after.gdi) << "no GDI object is left";
    for (HBRUSH brush : brushes)
        EXPECT_EQ(0u, GetObjectType(brush)) << "the panel's brush went with the dialog";
}
