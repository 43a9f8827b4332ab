#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include "ControlTestSupport.h"
#include "WControlComboBox.h"
#include "WControlListBox.h"
#include "WControlListView.h"
#include "WImageList.h"
#include "WString.h"

namespace {
const unsigned long noItem = static_cast<unsigned long>(-1);

// The list interface behaves alike for list boxes and combo boxes.
void checkListInterface(WControlListInterface& list, const char* kind)
{
    SCOPED_TRACE(kind);
    int first = 1;
    int second = 2;
    EXPECT_EQ(0u, list.addItem("abc", &first));
    EXPECT_EQ(1u, list.addItem("def", nullptr));
    list.setItemData(1, &second);

    // Nothing selected yet.
    WString text("unchanged");
    EXPECT_EQ(noItem, list.getItemIdx());
    EXPECT_EQ(nullptr, list.getItemData());
    EXPECT_FALSE(list.getItemText(text));

    // setItemText inserts a new item; nothing is replaced.
    list.setItemText(0, "x");
    ASSERT_EQ(3u, list.getItemCount());
    ASSERT_TRUE(list.getItemText(0, text));
    EXPECT_STREQ("x", text);
    ASSERT_TRUE(list.getItemText(1, text));
    EXPECT_STREQ("abc", text);
    EXPECT_EQ(&first, list.getItemData(1)) << "data moved with its item";
    EXPECT_EQ(&second, list.getItemData(2));

    EXPECT_EQ(1u, list.getItemIdx("ABC")) << "exact match ignores case";
    EXPECT_EQ(noItem, list.getItemIdx("ab")) << "but not a prefix";
    EXPECT_FALSE(list.getItemText(7, text)) << "no item 7";

    list.selectItem(2);
    EXPECT_EQ(2u, list.getItemIdx());
    EXPECT_EQ(&second, list.getItemData());
    ASSERT_TRUE(list.getItemText(text));
    EXPECT_STREQ("def", text);

    list.removeItem(0);
    EXPECT_EQ(2u, list.getItemCount());
    EXPECT_EQ(0u, list.getItemIdx("abc"));
    list.removeAll();
    EXPECT_EQ(0u, list.getItemCount());
}
}

TEST(WControlListTest, ListBoxAndComboBoxShareTheListInterface)
{
    ControlsDialog dialog;
    dialog.show(false);

    WControlListBox list(&dialog, "List", IDC_CTL_LISTBOX);
    checkListInterface(list, "list box from the template");
    WControlComboBox combo(&dialog, "Combo", IDC_CTL_COMBOBOX);
    checkListInterface(combo, "combo box from the template");

    // Created by code with the sort style, items go to their sorted place.
    WControlListBox sorted(&dialog, "Sorted", 100, 100, 80, 60, LBS_SORT | LBS_NOTIFY);
    ASSERT_TRUE(sorted.isWindowActive());
    LONG style = GetWindowLongA(sorted.getWindowHandle(), GWL_STYLE);
    EXPECT_NE(0, style & WS_TABSTOP);
    EXPECT_NE(0, GetWindowLongA(sorted.getWindowHandle(), GWL_EXSTYLE) & WS_EX_CLIENTEDGE);
    EXPECT_EQ(0u, sorted.addItem("m", nullptr));
    EXPECT_EQ(0u, sorted.addItem("c", nullptr));
    EXPECT_EQ(2u, sorted.addItem("x", nullptr));
    WControlComboBox sortedCombo(&dialog, "SortedCombo", 200, 100, 80, 80,
                                 CBS_DROPDOWNLIST | CBS_SORT);
    EXPECT_EQ(0u, sortedCombo.addItem("m", nullptr));
    EXPECT_EQ(0u, sortedCombo.addItem("c", nullptr));
    dialog.close(0);
}

TEST(WControlListViewTest, ReportColumnsItemsAndSharedImages)
{
    ControlsDialog dialog;
    dialog.show(false);
    WImageList images;
    images.create(16, 16, 4);
    HDC screen = GetDC(nullptr);
    HBITMAP picture = CreateCompatibleBitmap(screen, 16, 16);
    ReleaseDC(nullptr, screen);
    images.addImage(picture);
    DeleteObject(picture);
    {
        WControlListView view(&dialog, "View", 10, 10, 200, 100, WControlListView::STYLE_REPORT);
        ASSERT_TRUE(view.isWindowActive());
        LONG style = GetWindowLongA(view.getWindowHandle(), GWL_STYLE);
        EXPECT_EQ(LVS_REPORT, style & LVS_TYPEMASK);
        EXPECT_NE(0, style & LVS_SINGLESEL);
        EXPECT_NE(0, style & LVS_SHOWSELALWAYS);
        EXPECT_NE(0, style & LVS_NOSORTHEADER);
        EXPECT_NE(0, SendMessageA(view.getWindowHandle(), LVM_GETEXTENDEDLISTVIEWSTYLE, 0, 0) &
                         LVS_EX_FULLROWSELECT);

        EXPECT_EQ(0u, view.addColumn("Name", 80));
        EXPECT_EQ(1u, view.addColumn("Wert", 60));
        EXPECT_EQ(2u, view.getColumnCount());
        int data = 7;
        EXPECT_EQ(0u, view.addItem("erste", &data, 0));
        EXPECT_EQ(1u, view.addItem("zweite", nullptr, -1));
        view.setItemText(0, 1, "1,5");
        WString text;
        ASSERT_TRUE(view.getItemText(0, 1, text));
        EXPECT_STREQ("1,5", text);
        ASSERT_TRUE(view.getItemText(1, 0, text));
        EXPECT_STREQ("zweite", text);
        EXPECT_FALSE(view.getItemText(5, 0, text));
        EXPECT_EQ(&data, view.getItemData(0));

        EXPECT_EQ(noItem, view.getItemIdx());
        view.selectItem(1);
        EXPECT_EQ(1u, view.getItemIdx());
        view.removeItem(0);
        EXPECT_EQ(1u, view.getItemCount());
        view.setImageList(images, LVSIL_SMALL);
        view.setColor(RGB(0, 0, 128), RGB(250, 250, 240));
        EXPECT_EQ(RGB(250, 250, 240), static_cast<COLORREF>(SendMessageA(view.getWindowHandle(),
                                                                         LVM_GETBKCOLOR, 0, 0)));
        view.removeAll();
        EXPECT_EQ(0u, view.getItemCount());

        WControlListView sortable(&dialog, "Sortable", 10, 120, 200, 60,
                                  WControlListView::STYLE_REPORT_SORTHEADER);
        EXPECT_EQ(0, GetWindowLongA(sortable.getWindowHandle(), GWL_STYLE) & LVS_NOSORTHEADER);
        sortable.setImageList(images, LVSIL_SMALL);
    }
    // The list views are gone; the image list still belongs to its object.
    EXPECT_EQ(1, ImageList_GetImageCount(images));
    dialog.close(0);
}
