#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <string>

#include "ControlTestSupport.h"
#include "GuiTestSupport.h"
#include "WControl.h"
#include "WControlButton.h"
#include "WControlComboBox.h"
#include "WControlEdit.h"
#include "WControlListBox.h"
#include "WControlListView.h"
#include "WControlManager.h"
#include "WControlProgressBar.h"
#include "WControlRebar.h"
#include "WControlRichText.h"
#include "WControlStatic.h"
#include "WControlStatusbar.h"
#include "WControlTab.h"
#include "WControlToolbar.h"
#include "WControlTrackbar.h"
#include "WException.h"
#include "WPanel.h"
#include "WWindow.h"

namespace {
// What creating a control looked like before the library was started; the
// test main starts it before the first test, so this runs at load time.
struct BeforeStartup {
    bool threw = false;
    std::string message;
    int id = 0;
    unsigned long registered = 0;
    bool childMade = false;

    BeforeStartup()
    {
        HWND window = CreateWindowExA(0, "STATIC", "", WS_POPUP, 0, 0, 100, 100, nullptr, nullptr,
                                      nullptr, nullptr);
        WWindowContext owner;
        owner.setWindowHandle(window);
        try {
            WControlEdit edit(&owner, "EarlyEdit", 0, 0, 50, 0, WControlEdit::STYLE_SINGLELINE,
                              false);
        } catch (const WControlException& e) {
            threw = true;
            message = e.getMessage();
            id = e.getId();
        }
        registered = WControlManager::getControlCount();
        childMade = GetWindow(window, GW_CHILD) != nullptr;
        DestroyWindow(window);
    }
} beforeStartup;

WControl* asControl(WControl* control)
{
    return control;
}

// Records the arrange handler's mouse events.
class ArrangeRecorder : public WWindow::EventHandler {
public:
    int x = -1;
    int y = -1;
    void* data = nullptr;
    int paints = 0;
    void onWindowMouseMove(int newX, int newY, void* control) override
    {
        x = newX;
        y = newY;
        data = control;
    }
    void onWindowUserMessage(void* a, void*) override
    {
        if (a == reinterpret_cast<void*>(1))
            ++paints;
    }
};

// An owner that swallows WM_SETTEXT of its controls.
class TextBlockingPanel : public WPanel {
public:
    bool onControlMessage(WControl&, UINT message, WPARAM, LPARAM) override
    {
        return message == WM_SETTEXT;
    }
};
}

TEST(WControlTest, CreatingBeforeStartupThrowsAndLeavesNothing)
{
    EXPECT_TRUE(beforeStartup.threw);
    EXPECT_EQ("Cannot create GUI control EarlyEdit", beforeStartup.message);
    EXPECT_EQ(-1, beforeStartup.id);
    EXPECT_EQ(0u, beforeStartup.registered) << "nothing registered";
    EXPECT_FALSE(beforeStartup.childMade) << "no window made";
}

TEST(WControlTest, AttachRoutesAndForgets)
{
    unsigned long registeredBefore = WControlManager::getControlCount();
    ControlsDialog dialog;
    dialog.show(false);
    ASSERT_TRUE(dialog.isWindowActive());

    // A missing item names the control and leaves nothing registered.
    WControlEdit missing;
    try {
        missing.create(&dialog, "Fehlt", IDC_CTL_MISSING);
        ADD_FAILURE() << "attaching to a missing item must throw";
    } catch (const WControlException& e) {
        EXPECT_STREQ("Cannot create GUI control Fehlt", e.getMessage());
        EXPECT_EQ(-1, e.getId());
    }
    EXPECT_FALSE(missing.isWindowActive());
    EXPECT_EQ(registeredBefore, WControlManager::getControlCount());

    // A button with the item id 0 reports its command with its name's number.
    WControlButton zero(&dialog, "#2020", 0);
    EXPECT_EQ(2020u, zero.getNameId());
    EXPECT_EQ(0u, zero.getControlId());
    EXPECT_EQ(&dialog, zero.getWindowContext());
    EXPECT_EQ(asControl(&zero), WControlManager::getControl(zero.getWindowHandle()));
    dialog.clearCommands();
    SendMessageA(zero.getWindowHandle(), BM_CLICK, 0, 0);
    size_t clicks = 0;
    for (size_t i = 0; i < dialog.commandIds.size(); ++i) {
        if (dialog.commandCodes[i] != BN_CLICKED)
            continue; // focus changes of the edits
        ++clicks;
        EXPECT_EQ(2020u, dialog.commandIds[i]);
        EXPECT_EQ(asControl(&zero), dialog.commandControls[i]);
    }
    EXPECT_EQ(1u, clicks);

    // A second object cannot take over a window that has a control.
    WControlButton twice;
    EXPECT_THROW(twice.create(&dialog, "Doppelt", 0), WControlException);
    EXPECT_EQ(asControl(&zero), WControlManager::getControl(zero.getWindowHandle()));

    {
        WControlStatic named(&dialog, "Label", IDC_CTL_STATIC);
        EXPECT_EQ(0u, named.getNameId()) << "a name of another form has no number";
        EXPECT_EQ(static_cast<unsigned long>(IDC_CTL_STATIC), named.getControlId());
        EXPECT_STREQ("Label", named.getName());
        // Destroying the object destroys the item's window and unregisters it.
        HWND item = named.getWindowHandle();
        named.destroy();
        EXPECT_FALSE(IsWindow(item));
        EXPECT_EQ(nullptr, WControlManager::getControl(item));
        EXPECT_EQ(nullptr, named.getWindowContext());
    }

    // Closing the dialog destroys its items: their controls forget them.
    WControlButton check(&dialog, "Check", IDC_CTL_CHECKBOX);
    check.setChecked(true);
    EXPECT_TRUE(check.isChecked());
    HWND checkWindow = check.getWindowHandle();
    dialog.close(0);
    EXPECT_FALSE(check.isWindowActive());
    EXPECT_FALSE(zero.isWindowActive());
    EXPECT_EQ(nullptr, WControlManager::getControl(checkWindow));
    EXPECT_EQ(registeredBefore, WControlManager::getControlCount());
    check.destroy(); // nothing left to destroy
}

TEST(WControlTest, GenericCreationOwnerHooksAndArrangeHandler)
{
    TextBlockingPanel panel;
    panel.create(nullptr, "Hooks", &panel, WWindow::STYLE_MAIN, 0, 0, 300, 200);
    panel.showWindow();

    WControl generic;
    generic.create(&panel, "Generic", WWindowStyle("BUTTON", WS_CHILD | WS_VISIBLE, 0), 10, 20, 80,
                   30);
    ASSERT_TRUE(generic.isWindowActive());
    EXPECT_EQ("Button", windowClassOf(generic.getWindowHandle()));
    EXPECT_NE(0, GetWindowLongA(generic.getWindowHandle(), GWL_STYLE) & WS_TABSTOP)
        << "generic creation adds a tab stop";
    EXPECT_EQ(panel.getWindowHandle(), GetParent(generic.getWindowHandle()));
    EXPECT_EQ(80u, generic.getControlWidth());
    EXPECT_EQ(30u, generic.getControlHeight());

    // The owner's onControlMessage consumes a message before the control sees it.
    EXPECT_EQ(
        1, SendMessageA(generic.getWindowHandle(), WM_SETTEXT, 0, reinterpret_cast<LPARAM>("neu")));
    char text[16] = "";
    GetWindowTextA(generic.getWindowHandle(), text, sizeof(text));
    EXPECT_STREQ("", text) << "the blocked text never arrived";

    // With an arrange handler the mouse goes to it in the parent's
    // coordinates (measured from the parent's window origin).
    ArrangeRecorder arranger;
    generic.setArangeHandler(&arranger);
    RECT own;
    RECT parent;
    GetWindowRect(generic.getWindowHandle(), &own);
    GetWindowRect(panel.getWindowHandle(), &parent);
    EXPECT_EQ(0, SendMessageA(generic.getWindowHandle(), WM_MOUSEMOVE, 0, MAKELPARAM(3, 4)));
    EXPECT_EQ(3 + own.left - parent.left, arranger.x);
    EXPECT_EQ(4 + own.top - parent.top, arranger.y);
    EXPECT_EQ(static_cast<void*>(&generic), arranger.data);
    EXPECT_EQ(0, SendMessageA(generic.getWindowHandle(), WM_SETCURSOR,
                              reinterpret_cast<WPARAM>(generic.getWindowHandle()),
                              MAKELPARAM(HTCLIENT, WM_MOUSEMOVE)));
    InvalidateRect(generic.getWindowHandle(), nullptr, TRUE);
    UpdateWindow(generic.getWindowHandle());
    EXPECT_GE(arranger.paints, 1) << "the arrange handler hears of every paint";

    generic.setClientEdge(true);
    EXPECT_NE(0, GetWindowLongA(generic.getWindowHandle(), GWL_EXSTYLE) & WS_EX_CLIENTEDGE);
    generic.setClientEdge(false);
    EXPECT_EQ(0, GetWindowLongA(generic.getWindowHandle(), GWL_EXSTYLE) & WS_EX_CLIENTEDGE);
    panel.destroy();
    EXPECT_FALSE(generic.isWindowActive()) << "the control forgot the window of its parent";
}

// Builds a dialog with every control family, attached and created by code,
// and tears it down again.
static void roundTripEveryFamily(HWND owner)
{
    WWindowContext ownerContext;
    ownerContext.setWindowHandle(owner);
    ControlsDialog dialog(&ownerContext);
    dialog.show(false);
    dialog.setColor(0, RGB(200, 210, 220));

    WControlEdit edit(&dialog, "Edit", IDC_CTL_EDIT);
    edit.setColor(RGB(255, 0, 0), RGB(255, 255, 200));
    edit.setText(" 7 ");
    WControlEdit codeEdit(&dialog, "CodeEdit", 200, 150, 60, 0, WControlEdit::STYLE_PASSWORD, true);
    WControlButton zero(&dialog, "#2020", 0);
    WControlButton codeButton(&dialog, "CodeButton", 270, 150, 60, 20, "Go",
                              WControlButton::STYLE_CHECKBOX);
    WControlStatic label(&dialog, "Label", IDC_CTL_STATIC);
    label.setText("Label text");
    WControlListBox list(&dialog, "List", IDC_CTL_LISTBOX);
    list.addItem("one", nullptr);
    WControlComboBox combo(&dialog, "Combo", IDC_CTL_COMBOBOX);
    combo.addItem("two", nullptr);
    combo.selectItem(0);
    WControlProgressBar progress(&dialog, "Progress", IDC_CTL_PROGRESS);
    progress.setPos(50);
    WControlTrackbar track(&dialog, "Track", IDC_CTL_TRACKBAR);
    track.setRange(0, 10, 1);
    WControlRichText rich(&dialog, "Rich", IDC_CTL_RICHTEXT);
    rich.setText("rich text");
    rich.setURLDetection(true);
    WControlListView view(&dialog, "View", IDC_CTL_LISTVIEW);
    view.addColumn("Col", 60);
    view.addItem("row", nullptr, -1);
    WControlTab tab(&dialog, "Tab", IDC_CTL_TAB);
    tab.addPage(0, "Page", nullptr);
    WControlStatusbar status(&dialog, "Status", WControlStatusbar::STYLE_PLAIN);
    unsigned long edges[] = {100, static_cast<unsigned long>(-1)};
    status.setParts(2, edges);
    status.setText("ready", 0);
    status.adjust();
    WControlRebar rebar(&dialog, 0);
    WControlToolbar toolbar(&rebar, "Tools", WControlToolbar::STYLE_DEFAULT);
    toolbar.addButton(100, I_IMAGENONE, "Tool");
    rebar.setColor(RGB(0, 0, 0), RGB(230, 230, 230));
    rebar.addControl(toolbar, "Bar", 0, 50);
    rebar.adjust(0);
    pumpMessages(20);
    dialog.close(0);
}

TEST(WControlTest, EveryFamilyRoundTripLeavesNoGuiObjects)
{
    WWindow owner;
    owner.create(nullptr, "Besitzer", nullptr, WWindow::STYLE_MAIN, 0, 0, 200, 100);
    // The first round loads what the system keeps for all later ones.
    roundTripEveryFamily(owner);
    pumpMessages(50);
    GuiObjectCounts before = guiObjectCounts();
    unsigned long registered = WControlManager::getControlCount();
    for (int i = 0; i < 3; ++i)
        roundTripEveryFamily(owner);
    pumpMessages(50);
    GuiObjectCounts after = guiObjectCounts();
    EXPECT_EQ(before.gdi, after.gdi) << "GDI objects";
    EXPECT_EQ(before.user, after.user) << "USER objects";
    EXPECT_EQ(registered, WControlManager::getControlCount()) << "registry entries";
}
