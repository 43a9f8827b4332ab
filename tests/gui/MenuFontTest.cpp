#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "GuiTestSupport.h"
#include "WException.h"
#include "WFileSelectDialog.h"
#include "WFont.h"
#include "WGdiSelection.h"
#include "WImageList.h"
#include "WMenu.h"
#include "WSystem.h"
#include "WWindow.h"

namespace {
LOGFONTA logicalFont(HFONT font)
{
    LOGFONTA logical = {};
    GetObjectA(font, sizeof(logical), &logical);
    return logical;
}

UINT itemState(HMENU menu, UINT id)
{
    return GetMenuState(menu, id, MF_BYCOMMAND);
}

HBITMAP screenBitmap(int width, int height)
{
    HDC screen = GetDC(nullptr);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, width, height);
    ReleaseDC(nullptr, screen);
    return bitmap;
}
}

TEST(WMenuTest, ItemsSubMenusAndOwnership)
{
    WMenu bar;
    EXPECT_FALSE(bar.addItem(1, "ohne Menü")) << "no menu before create";
    bar.create();
    HMENU first = bar;
    ASSERT_NE(nullptr, first);
    bar.create();
    EXPECT_EQ(first, static_cast<HMENU>(bar)) << "a second create keeps the first menu";

    WMenu program;
    program.create();
    EXPECT_TRUE(program.addItem(11000, "Position\tSTRG+P"));
    EXPECT_TRUE(program.addSeparator());
    HBITMAP on = screenBitmap(15, 15);
    HBITMAP off = screenBitmap(15, 15);
    EXPECT_TRUE(program.addItem(12000, "100%", on, off));
    MENUITEMINFOA info = {};
    info.cbSize = sizeof(info);
    info.fMask = MIIM_CHECKMARKS;
    GetMenuItemInfoA(program, 12000, FALSE, &info);
    EXPECT_EQ(on, info.hbmpChecked);
    EXPECT_EQ(off, info.hbmpUnchecked);
    EXPECT_TRUE(bar.addSubMenu(program, "Programm"));
    EXPECT_EQ(static_cast<HMENU>(program), GetSubMenu(bar, 0));
    EXPECT_EQ(3, GetMenuItemCount(program));

    EXPECT_TRUE(program.setItemChecked(12000, true));
    EXPECT_TRUE(itemState(program, 12000) & MF_CHECKED);
    EXPECT_TRUE(program.setItemChecked(12000, false));
    EXPECT_FALSE(itemState(program, 12000) & MF_CHECKED);
    EXPECT_TRUE(program.setItemActive(11000, false));
    EXPECT_TRUE(itemState(program, 11000) & MF_GRAYED);
    EXPECT_TRUE(program.setItemActive(11000, true));
    EXPECT_FALSE(itemState(program, 11000) & MF_GRAYED);

    EXPECT_FALSE(program.setItemChecked(99999, true)) << "a missing id is reported, not used";
    EXPECT_FALSE(program.setItemActive(99999, true));
    EXPECT_FALSE(program.removeItem(99999));
    EXPECT_TRUE(program.removeItem(11000));
    EXPECT_EQ(2, GetMenuItemCount(program));

    // The window shows the bar; the window's end does not end the menus'
    // owners, and their destruction afterwards is harmless.
    WWindow window;
    window.create(nullptr, "Menü", nullptr, WWindow::STYLE_MAIN, 0, 0, 200, 100);
    window.setMenu(bar);
    window.redrawMenu();
    EXPECT_EQ(first, GetMenu(window));
    window.destroy();
    program.destroy();
    bar.destroy();
    EXPECT_EQ(nullptr, static_cast<HMENU>(bar));
    DeleteObject(on);
    DeleteObject(off);
}

TEST(WFontTest, SizeStyleFaceAndCopies)
{
    HDC screen = GetDC(nullptr);
    int dpi = GetDeviceCaps(screen, LOGPIXELSY);
    ReleaseDC(nullptr, screen);
    ASSERT_EQ(96, dpi) << "the test display runs at 96 dpi";

    WFont font("Arial", 10, WFont::STYLE_ITALIC, 700, RGB(1, 2, 3));
    EXPECT_EQ(13u, font.getTrueHeight()) << "10 pt at 96 dpi";
    EXPECT_EQ(10u, font.getHeight());
    EXPECT_EQ(700u, font.getWeight());
    EXPECT_EQ(1u, font.getStyle());
    EXPECT_EQ(RGB(1, 2, 3), font.getColor());
    LOGFONTA logical = logicalFont(font);
    EXPECT_EQ(-13, logical.lfHeight) << "a character height, not a cell height";
    EXPECT_TRUE(logical.lfItalic);
    EXPECT_FALSE(logical.lfUnderline);
    EXPECT_EQ(700, logical.lfWeight);
    {
        HDC dc = CreateCompatibleDC(nullptr);
        WGdiSelection selected(dc, font);
        TEXTMETRICA metrics;
        GetTextMetricsA(dc, &metrics);
        EXPECT_TRUE(metrics.tmItalic) << "the system made an italic font";
        EXPECT_GE(metrics.tmWeight, 600) << "and a bold one";
        EXPECT_EQ(13, metrics.tmHeight - metrics.tmInternalLeading);
        DeleteDC(dc);
    }

    std::string face(40, 'F');
    WFont longFace(face.c_str(), 12, WFont::STYLE_UNDERLINE | WFont::STYLE_STRIKEOUT, 400, 0);
    logical = logicalFont(longFace);
    EXPECT_EQ(std::string(31, 'F'), logical.lfFaceName) << "faces are cut to 31 characters";
    EXPECT_TRUE(logical.lfUnderline);
    EXPECT_TRUE(logical.lfStrikeOut);

    WFont unknown("Keine Solche Schrift", 9, 0, 400, 0);
    EXPECT_NE(nullptr, static_cast<HFONT>(unknown)) << "a missing face is replaced by the system";
    EXPECT_STREQ("Keine Solche Schrift", unknown.getName());

    WFont copy(font);
    EXPECT_NE(static_cast<HFONT>(font), static_cast<HFONT>(copy)) << "a copy has its own font";
    EXPECT_STREQ("Arial", copy.getName());
    EXPECT_EQ(13u, copy.getTrueHeight());
    EXPECT_TRUE(logicalFont(copy).lfItalic);
    copy = copy;
    EXPECT_NE(nullptr, static_cast<HFONT>(copy)) << "self-assignment keeps the font";
    WFont empty;
    copy = empty;
    EXPECT_EQ(nullptr, static_cast<HFONT>(copy)) << "assigning an empty font drops the own one";

    font.close();
    EXPECT_EQ(nullptr, static_cast<HFONT>(font));
    EXPECT_EQ(0u, font.getHeight());
    EXPECT_EQ(0u, font.getTrueHeight());
    EXPECT_EQ(0u, font.getStyle());
    EXPECT_EQ(0u, font.getColor());
    EXPECT_EQ(400u, font.getWeight());
}

TEST(WImageListTest, CreateAddCopyAndFailures)
{
    WImageList list;
    try {
        list.addImage(nullptr);
        ADD_FAILURE() << "no list yet";
    } catch (const WImageListException& e) {
        EXPECT_STREQ("Cannot add image.", e.getMessage());
        EXPECT_EQ(-2, e.getId());
    }
    list.create(16, 16, 4);
    HIMAGELIST handle = list;
    ASSERT_NE(nullptr, handle);
    list.create(32, 32, 4);
    EXPECT_EQ(handle, static_cast<HIMAGELIST>(list)) << "an existing list is kept";
    EXPECT_EQ(CLR_NONE, ImageList_GetBkColor(list));

    HBITMAP strip = screenBitmap(48, 16);
    list.addImage(strip);
    EXPECT_EQ(3u, list.size()) << "a strip is split by the image width";
    list.addImage(strip, RGB(255, 0, 255));
    EXPECT_EQ(6u, list.size());
    HBITMAP one = screenBitmap(16, 16);
    list.setImage(2, one);
    try {
        list.setImage(50, one);
        ADD_FAILURE() << "no image 50";
    } catch (const WImageListException& e) {
        EXPECT_STREQ("Cannot set image.", e.getMessage());
        EXPECT_EQ(-3, e.getId());
    }

    WImageList target;
    target.create(8, 8, 1);
    list.copyTo(target);
    EXPECT_EQ(6u, target.size());
    EXPECT_NE(static_cast<HIMAGELIST>(list), static_cast<HIMAGELIST>(target));

    list.resize(24, 24, 2);
    EXPECT_EQ(2u, list.size());
    int width = 0;
    int height = 0;
    ImageList_GetIconSize(list, &width, &height);
    EXPECT_EQ(24, width);
    EXPECT_EQ(24, height);
    list.destroy();
    EXPECT_EQ(0u, list.size());
    try {
        list.resize(8, 8, 1);
        ADD_FAILURE() << "no list to resize";
    } catch (const WImageListException& e) {
        EXPECT_STREQ("Cannot resize image list.", e.getMessage());
        EXPECT_EQ(-4, e.getId());
    }
    DeleteObject(strip);
    DeleteObject(one);
}

TEST(WFileSelectDialogTest, CancelledSaveKeepsNameAndCurrentDirectory)
{
    WString before;
    WSystem::getCurrentDirectory(before);
    char temp[MAX_PATH];
    GetTempPathA(MAX_PATH, temp);

    WFileSelectDialog dialog(nullptr, "GIF-Bild (*.gif)\0*.gif\0JPEG-Bild (*.jpg)\0*.jpg\0");
    dialog.setInitialFilename("karte.gif");
    dialog.setInitialPath(temp);
    EXPECT_STREQ("karte.gif", dialog.getFilename());
    EXPECT_EQ(1u, dialog.getExtensionIndex()) << "the first filter pair is preselected";

    bool accepted = true;
    {
        DialogAnswerer cancel(IDCANCEL);
        accepted = dialog.showSaveDialog("Speichern als");
        EXPECT_TRUE(cancel.answered()) << "the save dialog was shown";
        EXPECT_EQ("Speichern als", cancel.caption());
    }
    EXPECT_FALSE(accepted) << "cancelled";
    EXPECT_STREQ("karte.gif", dialog.getFilename()) << "the initial name stays";
    WString after;
    WSystem::getCurrentDirectory(after);
    EXPECT_STREQ(before, after);

    {
        DialogAnswerer cancel(IDCANCEL);
        EXPECT_FALSE(dialog.showOpenDialog("Öffnen"));
        EXPECT_TRUE(cancel.answered());
    }
    EXPECT_STREQ("karte.gif", dialog.getFilename());
}

TEST(WFileSelectDialogTest, ChosenPathIsUtf8)
{
    auto utf8 = [](const std::wstring& text) {
        char buffer[MAX_PATH * 3] = "";
        WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, buffer, sizeof(buffer), nullptr, nullptr);
        return std::string(buffer);
    };
    wchar_t temp[MAX_PATH];
    GetTempPathW(MAX_PATH, temp);
    std::wstring folder = std::wstring(temp) + L"J\u00fcrgen";
    CreateDirectoryW(folder.c_str(), nullptr);

    WFileSelectDialog dialog(nullptr, "GIF-Dateien\0*.gif\0");
    dialog.setInitialPath(utf8(folder).c_str());
    dialog.setInitialFilename(utf8(L"\u00dcbersicht.gif").c_str());
    bool accepted = false;
    {
        DialogAnswerer ok(IDOK);
        accepted = dialog.showSaveDialog("Karte für GIF");
        EXPECT_TRUE(ok.answered());
        EXPECT_EQ("Karte für GIF", ok.caption()) << "the title is an 8-bit window text";
    }
    EXPECT_TRUE(accepted);
    EXPECT_EQ(utf8(folder + L"\\\u00dcbersicht.gif"), dialog.getFilename())
        << "folder and name come back as UTF-8, as the file functions take them";
    RemoveDirectoryW(folder.c_str());
}
