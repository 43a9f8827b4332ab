// The application object hosted in the test process, with its real window,
// menus, commands and worker: what the end-to-end tests cannot see from
// outside (menu check marks, status-bar parts, position numbers).
#include <windows.h>
#include <commctrl.h>
#include <shlobj.h>

#include <gtest/gtest.h>
#include <netcdf.h>

#include <atomic>
#include <fstream>
#include <iterator>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "ApplicationTestSupport.h"
#include "DialogIds.h"
#include "DibImage.h"
#include "MapCanvas.h"
#include "MapSaver.h"
#include "OrvexVisualizer.h"
#include "ProgramIds.h"

namespace {

bool checked(HWND window, UINT id)
{
    return (GetMenuState(GetMenu(window), id, MF_BYCOMMAND) & MF_CHECKED) != 0;
}

// Presses OK in every dialog box with one of the titles that opens while it
// lives, and records the longest text of each; a position dialog first gets
// the name.
class Answerer {
public:
    explicit Answerer(std::vector<std::string> titles, const char* name = "Testpunkt")
        : titles(std::move(titles)), name(name), stop(false), watcher([this] { watch(); })
    {
    }
    ~Answerer()
    {
        stop = true;
        watcher.join();
    }
    std::vector<std::string> seen() const
    {
        std::lock_guard<std::mutex> locked(mutex);
        return texts;
    }

private:
    void watch()
    {
        while (!stop) {
            for (const std::string& title : titles) {
                HWND box = FindWindowA("#32770", title.c_str());
                if (box == nullptr || !IsWindowVisible(box))
                    continue;
                std::string longest = title + ":";
                EnumChildWindows(
                    box,
                    [](HWND child, LPARAM data) -> BOOL {
                        char text[512] = {};
                        GetWindowTextA(child, text, sizeof(text));
                        std::string* best = reinterpret_cast<std::string*>(data);
                        std::string candidate = text;
                        if (candidate.size() > best->size() - best->find(':') - 1 &&
                            best->find(':') != std::string::npos)
                            *best = best->substr(0, best->find(':') + 1) + candidate;
                        return TRUE;
                    },
                    reinterpret_cast<LPARAM>(&longest));
                {
                    std::lock_guard<std::mutex> locked(mutex);
                    texts.push_back(longest);
                }
                if (GetDlgItem(box, IDC_POSITION_NAME) != nullptr)
                    SetDlgItemTextA(box, IDC_POSITION_NAME, name);
                PostMessageA(box, WM_COMMAND, IDOK, 0);
                // A box that refuses OK is cancelled, so that no test hangs.
                for (int waited = 0; IsWindow(box) && !stop; waited += 5) {
                    if (waited == 5000)
                        PostMessageA(box, WM_COMMAND, IDCANCEL, 0);
                    Sleep(5);
                }
            }
            Sleep(10);
        }
    }

    std::vector<std::string> titles;
    const char* name;
    std::atomic<bool> stop;
    mutable std::mutex mutex;
    std::vector<std::string> texts;
    std::thread watcher;
};

// The positions' numbers and names in insertion order.
std::vector<std::string> positionList(OrvexMap& map)
{
    std::vector<std::string> out;
    map.positions.reset();
    while (map.positions.hasMoreElements()) {
        const Position& p = map.positions.nextPosition();
        out.push_back(std::to_string(map.positions.getCurrentNumber()) + " " +
                      static_cast<const char*>(p.name));
    }
    map.positions.reset();
    return out;
}

HWND mapPage(HWND main)
{
    HWND page = nullptr;
    EnumChildWindows(
        main,
        [](HWND child, LPARAM data) -> BOOL {
            char text[32] = {};
            GetWindowTextA(child, text, sizeof(text));
            if (std::string(text) == "TabOrvexMap") {
                *reinterpret_cast<HWND*>(data) = child;
                return FALSE;
            }
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&page));
    return page;
}

std::string fileBytes(const char* name)
{
    std::ifstream in(name, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// A drop as the shell makes it: DROPFILES and the wide names.
HDROP makeDrop(const std::vector<std::wstring>& files)
{
    std::wstring names;
    for (const std::wstring& file : files)
        names += file + L'\0';
    HGLOBAL memory = GlobalAlloc(GHND, sizeof(DROPFILES) + (names.size() + 1) * sizeof(wchar_t));
    DROPFILES* drop = static_cast<DROPFILES*>(GlobalLock(memory));
    drop->pFiles = sizeof(DROPFILES);
    drop->fWide = TRUE;
    std::copy(names.begin(), names.end(), reinterpret_cast<wchar_t*>(drop + 1));
    GlobalUnlock(memory);
    return static_cast<HDROP>(memory);
}

// One month of "tas" on the 5-degree grid, January 1850.
void writeNetcdf(const char* path)
{
    const char* names[] = {"time", "lat", "lon", "tas"};
    const char* units[] = {"days since 1850-01-01", "degrees_north", "degrees_east", "K"};
    const size_t sizes[] = {1, 36, 72, 36 * 72};
    const double first[] = {15, -87.5, -177.5, 0.5}, step[] = {0, 5, 5, 0};
    int file, ids[4], dims[3];
    nc_create(path, NC_CLOBBER, &file);
    for (int i = 0; i < 4; ++i) {
        if (i < 3)
            nc_def_dim(file, names[i], sizes[i], &dims[i]);
        nc_def_var(file, names[i], NC_DOUBLE, i < 3 ? 1 : 3, i < 3 ? &dims[i] : dims, &ids[i]);
        nc_put_att_text(file, ids[i], "units", strlen(units[i]), units[i]);
    }
    nc_enddef(file);
    for (int i = 0; i < 4; ++i) {
        std::vector<double> values(sizes[i]);
        for (size_t k = 0; k < sizes[i]; ++k)
            values[k] = first[i] + step[i] * k;
        nc_put_var_double(file, ids[i], values.data());
    }
    nc_close(file);
}

} // namespace

TEST(ApplicationTest, MenusStatusBarAndChecksFollowTheView)
{
    prepareFolder("MAP_TYPE=4\r\n", "");
    OrvexVisualizer application;
    application.createMainWindow(nullptr);
    HWND window = application;
    ASSERT_TRUE(application.isStartedUp());

    HMENU bar = GetMenu(window);
    ASSERT_EQ(4, GetMenuItemCount(bar));
    char text[64];
    const char* titles[] = {"Programm", "Ansicht", "Zeitreihe", "Hilfe"};
    for (int i = 0; i < 4; ++i) {
        GetMenuStringA(bar, i, text, sizeof(text), MF_BYPOSITION);
        EXPECT_STREQ(titles[i], text);
    }
    EXPECT_EQ(CMD_HELP, static_cast<int>(GetMenuItemID(bar, 3)));
    GetMenuStringA(bar, CMD_NEW_POSITION, text, sizeof(text), MF_BYCOMMAND);
    EXPECT_STREQ("Position\tSTRG+P", text);

    // Every "Ansicht" and "Karte" item shows a ticked box when checked and
    // an empty one otherwise (15 x 15; the tick passes through (6, 8)).
    for (UINT id : {CMD_SCALE_100, CMD_SCALE_75, CMD_SCALE_50, CMD_MAP_OUTLINES,
                    CMD_MAP_SATELLITE, CMD_MAP_LAND_WATER, CMD_ORTHOGRAPHIC}) {
        MENUITEMINFOA info = {};
        info.cbSize = sizeof(info);
        info.fMask = MIIM_CHECKMARKS;
        ASSERT_TRUE(GetMenuItemInfoA(bar, id, FALSE, &info)) << id;
        BITMAP size = {};
        GetObjectA(info.hbmpChecked, sizeof(size), &size);
        EXPECT_EQ(15, size.bmWidth);
        EXPECT_EQ(15, size.bmHeight);
        HDC dc = CreateCompatibleDC(nullptr);
        HGDIOBJ old = SelectObject(dc, info.hbmpChecked);
        COLORREF tick = GetPixel(dc, 6, 8);
        SelectObject(dc, info.hbmpUnchecked);
        COLORREF empty = GetPixel(dc, 6, 8);
        SelectObject(dc, old);
        DeleteDC(dc);
        EXPECT_EQ(RGB(0, 96, 160), tick) << id;
        EXPECT_EQ(RGB(255, 255, 255), empty) << id;
    }

    // Map type 4 has no menu item: none of "Karte" is checked.
    EXPECT_EQ(4, application.getMap().mapType);
    for (UINT id : {CMD_MAP_OUTLINES, CMD_MAP_SATELLITE, CMD_MAP_LAND_WATER})
        EXPECT_FALSE(checked(window, id)) << id;
    EXPECT_TRUE(checked(window, CMD_SCALE_75));
    EXPECT_FALSE(checked(window, CMD_ORTHOGRAPHIC));

    HWND status = FindWindowExA(window, nullptr, STATUSCLASSNAMEA, nullptr);
    ASSERT_NE(nullptr, status);
    int edges[4] = {};
    ASSERT_EQ(3, SendMessageA(status, SB_GETPARTS, 4, reinterpret_cast<LPARAM>(edges)));
    EXPECT_EQ(300, edges[0]);
    EXPECT_EQ(400, edges[1]);
    EXPECT_EQ(600, edges[2]);

    SendMessageA(window, WM_COMMAND, CMD_MAP_SATELLITE, 0);
    EXPECT_TRUE(checked(window, CMD_MAP_SATELLITE));
    SendMessageA(window, WM_COMMAND, CMD_MAP_OUTLINES, 0);
    EXPECT_TRUE(checked(window, CMD_MAP_OUTLINES));
    EXPECT_FALSE(checked(window, CMD_MAP_SATELLITE));
    SendMessageA(window, WM_COMMAND, CMD_SCALE_50, 0);
    EXPECT_TRUE(checked(window, CMD_SCALE_50));
    EXPECT_FALSE(checked(window, CMD_SCALE_75));
    EXPECT_EQ(50, application.getMap().scalePercent);
    int viewItems = GetMenuItemCount(GetSubMenu(bar, 1));
    SendMessageA(window, WM_COMMAND, CMD_ORTHOGRAPHIC, 0);
    EXPECT_EQ(viewItems, GetMenuItemCount(GetSubMenu(bar, 1))) << "the globe adds no items";
    EXPECT_TRUE(checked(window, CMD_ORTHOGRAPHIC));
    EXPECT_TRUE(application.getMap().orthographic);
    EXPECT_EQ(static_cast<unsigned long>(560), application.getMap().mapPicture.getWidth())
        << "every view change rebuilds the picture";
    EXPECT_EQ(static_cast<unsigned long>(360), application.getMap().mapPicture.getHeight());
}

// Positions added after a removal never take a number that is in use, and
// in the globe view a new position becomes number 1, the centre of view.
TEST(ApplicationTest, PositionNumbersStayUnique)
{
    prepareFolder("", "Eins\t52\t0\t0\t0\t13\t0\t0\t0\r\nZwei\t10\t0\t0\t0\t20\t0\t0\t0\r\n"
                      "Drei\t30\t0\t0\t1\t60\t0\t0\t1\r\n");
    OrvexVisualizer application;
    application.createMainWindow(nullptr);
    HWND window = application;
    OrvexMap& map = application.getMap();
    UpdateWindow(mapPage(window));
    ASSERT_EQ((std::vector<std::string>{"1 Eins", "2 Zwei", "3 Drei"}), positionList(map));

    Position* two = map.positions.find(2);
    ASSERT_NE(nullptr, two);
    application.onMapPageRightDown(two->mapX, two->mapY);
    EXPECT_EQ((std::vector<std::string>{"1 Eins", "3 Drei"}), positionList(map));

    {
        Answerer answerer({"Position"});
        SendMessageA(window, WM_COMMAND, CMD_NEW_POSITION, 0);
        SendMessageA(window, WM_COMMAND, CMD_KEY_NEW_POSITION, 0);
    }
    std::vector<std::string> list = positionList(map);
    ASSERT_EQ(4U, list.size());
    EXPECT_EQ("1 Eins", list[0]);
    EXPECT_EQ("3 Drei", list[1]) << "not replaced by a new position";
    EXPECT_NE(list[2].substr(0, 2), "3 ");
    EXPECT_NE(list[3].substr(0, list[3].find(' ')), list[2].substr(0, list[2].find(' ')));

    // Position 1 stays while others exist.
    UpdateWindow(mapPage(window));
    Position* one = map.positions.find(1);
    {
        Answerer answerer({"Information"});
        application.onMapPageRightDown(one->mapX, one->mapY);
        Sleep(200);
        std::vector<std::string> texts = answerer.seen();
        ASSERT_EQ(1U, texts.size());
        EXPECT_EQ("Information:Bitte erst alle roten Positionen entfernen.", texts[0]);
    }
    EXPECT_EQ(4U, map.positions.size());

    // The globe view: a new position replaces number 1.
    SendMessageA(window, WM_COMMAND, CMD_ORTHOGRAPHIC, 0);
    {
        Answerer answerer({"Position"}, "Mitte");
        SendMessageA(window, WM_COMMAND, CMD_NEW_POSITION, 0);
    }
    EXPECT_EQ(4U, map.positions.size());
    EXPECT_STREQ("Mitte", map.positions.find(1)->name) << "the new centre of view";
}

// When the user closes the wait dialog early (Alt+F4) the run goes on; a
// command given then waits for it before it changes what the worker reads.
TEST(ApplicationTest, ACommandWaitsForTheRunTheUserStoppedWaitingFor)
{
    prepareFolder("", "");
    OrvexVisualizer application;
    application.createMainWindow(nullptr);
    HWND window = application;
    ASSERT_TRUE(application.isStartedUp());
    OrvexMap& map = application.getMap();
    ASSERT_EQ(6U, map.database.getMonth());

    std::atomic<unsigned int> monthDuringRun{0};
    std::thread user([&] {
        HWND save = waitForWindow("#32770", "Als JPG speichern");
        SetWindowTextA(firstEdit(save), "karte.jpeg");
        PostMessageA(save, WM_COMMAND, IDOK, 0);
        // The worker cannot save .jpeg: its message box holds the run open.
        HWND error = waitForWindow("#32770", "Error");
        PostMessageA(waitForWindow(nullptr, "Bitte waren ..."), WM_CLOSE, 0, 0);
        Sleep(1000);
        monthDuringRun = map.database.getMonth();
        PostMessageA(error, WM_COMMAND, IDOK, 0);
    });
    SendMessageA(window, WM_COMMAND, CMD_SAVE_JPEG, 0);
    SendMessageA(window, WM_COMMAND, CMD_NEXT_MONTH, 0);
    user.join();
    EXPECT_EQ(6U, monthDuringRun.load()) << "the month changed while the worker still ran";
    EXPECT_EQ(7U, map.database.getMonth());
}

// "Kopieren" puts the shown map on the clipboard as a bitmap and as a
// metafile the size of the view at 96 DPI. Each, drawn and reduced as the
// GIF save reduces, is the saved GIF byte for byte: labels there, the
// position's marker not. On a monitor at 200 % (WM_DPICHANGED) the window
// shows the map at twice the pixels, and what is saved and copied stays the
// same bytes. Files dropped on the window: a netCDF file opens the import,
// a grid file of a known layout (under any name the system takes) the data
// set, anything else a message; of several the first is taken.
TEST(ApplicationTest, CopyAndDrop)
{
    prepareFolder("", "Eins\t52\t0\t0\t0\t13\t0\t0\t0\r\n");
    const std::wstring grid = L"Daten (ä)\\Klima Łódź.dat";
    const std::string gridUtf8 = u8"Daten (ä)\\Klima Łódź.dat";
    CreateDirectoryW(L"Daten (ä)", nullptr);
    CopyFileW(L"" ORVEX_RUN_DIR "/data/cru/abstem3.dat", grid.c_str(), FALSE);
    writeFile("Notizen.txt", "keine Daten");
    writeNetcdf("Messung.nc");
    OrvexVisualizer application;
    application.createMainWindow(nullptr);
    OrvexMap& map = application.getMap();
    std::map<bool, std::string> savedAt96;
    for (int dpi : {96, 192})
        for (bool globe : {false, true}) {
            if (dpi != map.dpi) {
                RECT suggested;
                GetWindowRect(application, &suggested);
                SendMessageA(application, WM_DPICHANGED, MAKEWPARAM(dpi, dpi),
                             reinterpret_cast<LPARAM>(&suggested));
                MapLayout shown = map.layout();
                EXPECT_EQ(2 * MapLayout(map.scalePercent / 100.0, 1.0).pictureWidth,
                          shown.pictureWidth);
                EXPECT_EQ(static_cast<unsigned long>(shown.pictureWidth),
                          map.mapPicture.getWidth());
                RECT page;
                GetClientRect(mapPage(application), &page);
                EXPECT_EQ(shown.pictureWidth, page.right);
                EXPECT_EQ(shown.pictureHeight, page.bottom);
            }
            if (map.orthographic != globe)
                SendMessageA(application, WM_COMMAND, CMD_ORTHOGRAPHIC, 0);
            SendMessageA(application, WM_COMMAND, CMD_COPY, 0);
            MapSaver(map).saveGif("saved.gif");
            if (dpi == 96)
                savedAt96[globe] = fileBytes("saved.gif");
            EXPECT_TRUE(savedAt96[globe] == fileBytes("saved.gif")) << globe << " at " << dpi;
            MapLayout picture(map.scalePercent / 100.0, 1.0);
            for (UINT format : {CF_DIB, CF_ENHMETAFILE}) {
                MapCanvas canvas(picture.pictureWidth, picture.pictureHeight);
                ASSERT_TRUE(OpenClipboard(application));
                HANDLE data = GetClipboardData(format);
                ASSERT_NE(nullptr, data);
                if (format == CF_DIB) {
                    BITMAPINFO* dib = static_cast<BITMAPINFO*>(GlobalLock(data));
                    SetDIBitsToDevice(canvas.getDC(), 0, 0, dib->bmiHeader.biWidth,
                                      dib->bmiHeader.biHeight, 0, 0, 0, dib->bmiHeader.biHeight,
                                      &dib->bmiHeader + 1, dib, DIB_RGB_COLORS);
                    GlobalUnlock(data);
                } else {
                    ENHMETAHEADER header = {};
                    GetEnhMetaFileHeader(static_cast<HENHMETAFILE>(data), sizeof header, &header);
                    // What a program pasting it shows: the picture at 96 DPI.
                    double shown = header.rclFrame.right * header.szlDevice.cx / 100.0;
                    EXPECT_NEAR(picture.pictureWidth, shown / header.szlMillimeters.cx, 1);
                    RECT all = {0, 0, picture.pictureWidth, picture.pictureHeight};
                    PlayEnhMetaFile(canvas.getDC(), static_cast<HENHMETAFILE>(data), &all);
                }
                CloseClipboard();
                DibImage image;
                ASSERT_TRUE(image.createFromBitmap(canvas.getBitmap()));
                MapSaver::reduceTo256Colours(image);
                ASSERT_TRUE(image.save("copied.gif", DibImage::FORMAT_GIF));
                EXPECT_TRUE(fileBytes("saved.gif") == fileBytes("copied.gif"))
                    << globe << " " << format << " at " << dpi;
            }
        }
    EXPECT_TRUE(GetWindowLongPtrA(application, GWL_EXSTYLE) & WS_EX_ACCEPTFILES);
    const struct {
        std::vector<std::wstring> files;
        std::vector<std::string> boxes; // title and start of the text
        std::string dataSet;            // afterwards
    } drops[] = {
        {{grid}, {}, gridUtf8},
        {{L"Notizen.txt"},
         {"Information:Die Datei »Notizen.txt« kann das Programm nicht öffnen."},
         gridUtf8},
        {{L"Messung.nc"}, {"Datensatz importieren:", "Information:"}, "data/cru/hadcrut4.dat"},
        {{grid, L"Notizen.txt"},
         {"Information:Es wurden 2 Dateien abgelegt. Geöffnet wird nur die erste: »Klima "
          "?ód?.dat«."},
         gridUtf8},
    };
    for (const auto& drop : drops) {
        Answerer answerer({"Information", "Error", "Datensatz importieren"});
        SendMessageW(application, WM_DROPFILES, reinterpret_cast<WPARAM>(makeDrop(drop.files)), 0);
        std::vector<std::string> seen = answerer.seen();
        ASSERT_EQ(drop.boxes.size(), seen.size());
        for (size_t i = 0; i < seen.size(); ++i)
            EXPECT_EQ(drop.boxes[i], seen[i].substr(0, drop.boxes[i].size()));
        EXPECT_STREQ(drop.dataSet.c_str(), application.getMap().database.getName());
        EXPECT_LT(0U, application.getMap().database.getRows());
    }
    // The title shows the name in the program's code page.
    EXPECT_EQ(0, application.getMap().titleText().indexOf("Klima ?ód?.dat "));
}
