// dialogs_screenshot: shows each of the program's dialogs, the wait dialog
// and a message box, filled as a user would see them, and saves a picture of
// each dialog window as a BMP file (screenshot.sh turns them into PNG files
// of the build tree).
//
//   dialogs_screenshot.exe GRID_FILE OUTPUT_FOLDER
//
// The working folder must hold Information.rtf and produkte.txt.
//
// For the checks of the DPI test it also prints, for each dialog, what it
// measured on the screen, one line each:
//   client NAME DPI WIDTH HEIGHT              the dialog's client area
//   control NAME ID CLASS LEFT TOP RIGHT BOTTOM  a child, in client coordinates
//   text NAME ID NEED_W NEED_H HAVE_W HAVE_H   the room a label's or button's
//                                              text takes in its control's font,
//                                              and the room the control gives it
#include <windows.h>
#include <commctrl.h>
#include <richedit.h>

#include <cstdio>
#include <functional>
#include <string>

#include "AnimationDialog.h"
#include "DialogIds.h"
#include "ExportDialog.h"
#include "HelpDialog.h"
#include "ImportDialog.h"
#include "LoadDataSetDialog.h"
#include "OrvexDatabase.h"
#include "OrvexMap.h"
#include "PositionCollection.h"
#include "PositionDialog.h"
#include "ProductCatalogue.h"
#include "ProgramIds.h"
#include "ReferenceDialog.h"
#include "TrendDialog.h"
#include "UpdateDialog.h"
#include "WaitDialog.h"
#include "WException.h"
#include "WSystem.h"

namespace {

std::string outputFolder;
std::string pictureName;
// Run on the open dialog just before its picture is taken.
std::function<void(HWND)> prepare;
UINT_PTR timer = 0;
int ticks = 0;
bool failed = false;

bool writeBmp(const std::string& name, HBITMAP bitmap, int width, int height)
{
    BITMAPINFOHEADER header = {};
    header.biSize = sizeof header;
    header.biWidth = width;
    header.biHeight = height;
    header.biPlanes = 1;
    header.biBitCount = 24;
    header.biCompression = BI_RGB;
    int stride = (width * 3 + 3) & ~3;
    std::string pixels(static_cast<size_t>(stride) * height, '\0');
    HDC screen = GetDC(nullptr);
    GetDIBits(screen, bitmap, 0, height, &pixels[0], reinterpret_cast<BITMAPINFO*>(&header),
              DIB_RGB_COLORS);
    ReleaseDC(nullptr, screen);
    BITMAPFILEHEADER file = {};
    file.bfType = 0x4D42;
    file.bfOffBits = sizeof file + sizeof header;
    file.bfSize = static_cast<DWORD>(file.bfOffBits + pixels.size());
    std::FILE* out = std::fopen(name.c_str(), "wb");
    if (out == nullptr)
        return false;
    std::fwrite(&file, sizeof file, 1, out);
    std::fwrite(&header, sizeof header, 1, out);
    std::fwrite(pixels.data(), 1, pixels.size(), out);
    return std::fclose(out) == 0;
}

// The dialog window as it is on the screen.
bool capture(HWND dialog, const std::string& name)
{
    RECT area;
    GetWindowRect(dialog, &area);
    int width = area.right - area.left;
    int height = area.bottom - area.top;
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, width, height);
    HGDIOBJ old = SelectObject(memory, bitmap);
    BitBlt(memory, 0, 0, width, height, screen, area.left, area.top, SRCCOPY);
    SelectObject(memory, old);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    bool written = writeBmp(name, bitmap, width, height);
    DeleteObject(bitmap);
    return written;
}

// A dialog box of this thread: the program's dialogs and message boxes alike.
BOOL CALLBACK findDialog(HWND window, LPARAM data)
{
    char name[16] = {};
    GetClassNameA(window, name, sizeof name);
    if (IsWindowVisible(window) && std::string(name) == "#32770")
        *reinterpret_cast<HWND*>(data) = window;
    return TRUE;
}

std::string windowText(HWND window)
{
    std::string text(static_cast<size_t>(GetWindowTextLengthA(window)) + 1, '\0');
    int length = GetWindowTextA(window, &text[0], static_cast<int>(text.size()));
    text.resize(static_cast<size_t>(length));
    return text;
}

// The room a control's text takes in the control's font: labels wrap at the
// control's width as they do on the screen; a label that shortens its text
// with an ellipsis needs one line; a check box or radio button adds its box,
// a push button and a group box a margin on either side.
void measureText(HWND control, const RECT& client, SIZE& need)
{
    std::string text = windowText(control);
    need = SIZE{0, 0};
    if (text.empty())
        return;
    LONG_PTR style = GetWindowLongPtrA(control, GWL_STYLE);
    char name[32] = {};
    GetClassNameA(control, name, sizeof name);
    bool label = lstrcmpiA(name, "Static") == 0;
    UINT format = DT_CALCRECT | DT_EXPANDTABS;
    int margin = 0;
    int dpi = static_cast<int>(GetDpiForWindow(control));
    if (label) {
        if ((style & SS_NOPREFIX) != 0)
            format |= DT_NOPREFIX;
        if ((style & SS_ELLIPSISMASK) != 0)
            format |= DT_SINGLELINE;
        else if ((style & SS_TYPEMASK) != SS_LEFTNOWORDWRAP)
            format |= DT_WORDBREAK;
    } else {
        format |= DT_SINGLELINE;
        LONG_PTR type = style & BS_TYPEMASK;
        if (type == BS_CHECKBOX || type == BS_AUTOCHECKBOX || type == BS_RADIOBUTTON ||
            type == BS_AUTORADIOBUTTON || type == BS_3STATE || type == BS_AUTO3STATE)
            margin =
                GetSystemMetricsForDpi(SM_CXMENUCHECK, static_cast<UINT>(dpi)) + MulDiv(4, dpi, 96);
        else
            margin = 2 * MulDiv(type == BS_GROUPBOX ? 8 : 3, dpi, 96);
    }
    RECT room = {0, 0, client.right - margin, 0};
    HDC context = GetDC(control);
    HFONT font = reinterpret_cast<HFONT>(SendMessageA(control, WM_GETFONT, 0, 0));
    HGDIOBJ old = SelectObject(context, font);
    DrawTextA(context, text.c_str(), -1, &room, format);
    SelectObject(context, old);
    ReleaseDC(control, context);
    need.cx = (label && (style & SS_ELLIPSISMASK) != 0) ? 0 : room.right + margin;
    need.cy = room.bottom;
}

struct Measuring {
    HWND dialog;
    std::string name;
};

BOOL CALLBACK measureControl(HWND control, LPARAM data)
{
    const Measuring& measuring = *reinterpret_cast<const Measuring*>(data);
    if (GetParent(control) != measuring.dialog || !IsWindowVisible(control))
        return TRUE;
    char name[64] = {};
    GetClassNameA(control, name, sizeof name);
    RECT area;
    GetWindowRect(control, &area);
    MapWindowPoints(nullptr, measuring.dialog, reinterpret_cast<POINT*>(&area), 2);
    int id = GetDlgCtrlID(control);
    std::printf("control %s %d %s %ld %ld %ld %ld\n", measuring.name.c_str(), id, name, area.left,
                area.top, area.right, area.bottom);
    if (lstrcmpiA(name, "Static") == 0 || lstrcmpiA(name, "Button") == 0) {
        RECT client;
        GetClientRect(control, &client);
        SIZE need;
        measureText(control, client, need);
        std::printf("text %s %d %ld %ld %ld %ld\n", measuring.name.c_str(), id, need.cx, need.cy,
                    client.right, client.bottom);
    }
    return TRUE;
}

void measure(HWND dialog, const std::string& name)
{
    RECT client;
    GetClientRect(dialog, &client);
    std::printf("client %s %u %ld %ld\n", name.c_str(), GetDpiForWindow(dialog), client.right,
                client.bottom);
    Measuring measuring{dialog, name};
    EnumChildWindows(dialog, measureControl, reinterpret_cast<LPARAM>(&measuring));
}

// A few ticks after the dialog appeared (painted by then): the picture, then
// the dialog is ended.
void CALLBACK onTick(HWND, UINT, UINT_PTR, DWORD)
{
    HWND dialog = nullptr;
    EnumThreadWindows(GetCurrentThreadId(), findDialog, reinterpret_cast<LPARAM>(&dialog));
    if (dialog == nullptr || ++ticks < 10)
        return;
    if (prepare) {
        prepare(dialog);
        RedrawWindow(dialog, nullptr, nullptr, RDW_INVALIDATE | RDW_ALLCHILDREN | RDW_UPDATENOW);
    }
    if (!capture(dialog, outputFolder + "/" + pictureName + ".bmp")) {
        std::fprintf(stderr, "cannot write %s\n", pictureName.c_str());
        failed = true;
    }
    measure(dialog, pictureName);
    ticks = 0;
    EndDialog(dialog, 0);
}

// Takes the picture of the dialog box that show opens, then ends it.
void capturing(const char* name, const std::function<void()>& show,
               const std::function<void(HWND)>& before = nullptr)
{
    pictureName = name;
    prepare = before;
    ticks = 0;
    timer = SetTimer(nullptr, 0, 50, onTick);
    show();
    KillTimer(nullptr, timer);
    std::printf("picture %s.bmp\n", name);
    std::fflush(stdout);
}

void showAndCapture(WDialog& dialog, const char* name,
                    const std::function<void(HWND)>& before = nullptr)
{
    capturing(
        name, [&] { dialog.show(true); }, before);
}

// The part of the help text with the web addresses.
void scrollToLinks(HWND dialog)
{
    HWND text = GetDlgItem(dialog, IDC_HELP_TEXT);
    FINDTEXTA find = {{0, -1}, "Die Datens"};
    LRESULT at = SendMessageA(text, EM_FINDTEXT, FR_DOWN, reinterpret_cast<LPARAM>(&find));
    LRESULT line = SendMessageA(text, EM_EXLINEFROMCHAR, 0, at);
    SendMessageA(text, EM_LINESCROLL, 0, line);
}

// The export dialog as it looks half-way through an export.
class HalfWayExportDialog : public ExportDialog {
public:
    using ExportDialog::ExportDialog;
    void onDialogInit() override
    {
        ExportDialog::onDialogInit();
        HWND bar = GetDlgItem(windowHandle, IDC_EXPORT_PROGRESS);
        SendMessageA(bar, PBM_SETRANGE32, 0, 1980);
        SendMessageA(bar, PBM_SETPOS, 990, 0);
    }
};

// What the import dialog shows of a sea-surface file with depth levels
// before a level has been chosen.
ImportPreview seaSurfacePreview()
{
    ImportPreview preview;
    preview.candidates.push_back({"sst", "Monatliche Meeresoberflächentemperatur", "degC", "sst"});
    preview.candidates.push_back({"ssta", "Anomalie der Meeresoberflächentemperatur", "K", "ssta"});
    preview.chosen = 1;
    preview.grid = "5 x 5 Grad, 36 x 72 Zellen";
    preview.firstMonth = 1;
    preview.lastMonth = 2100;
    preview.levelAxis = "'DEPTH' (METERS, positive down)";
    preview.levels = {"0", "10", "20"};
    preview.levelNeeded = true;
    preview.problemGerman = "Die Variable hat mehrere Ebenen: bitte eine wählen.";
    return preview;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 3) {
        std::fprintf(stderr, "usage: dialogs_screenshot GRID_FILE OUTPUT_FOLDER\n");
        return 2;
    }
    outputFolder = argv[2];
    try {
        WSystem::startup("OrvexDialogScreenshots", GetModuleHandleA(nullptr), nullptr,
                         const_cast<char*>(""), SW_SHOWNORMAL);
        OrvexDatabase database;
        database.open(OrvexDatabase::TYPE_GRID_FILE, argv[1]);
        database.load(2014, 12, false);
        OrvexMap map;
        map.database.open(OrvexDatabase::TYPE_GRID_FILE, argv[1]);
        map.database.load(2014, 12, false);

        PositionDialog position(nullptr);
        GmsCoordinates berlin;
        berlin.latDegrees = 52;
        berlin.latMinutes = 31;
        berlin.lonDegrees = 13;
        berlin.lonMinutes = 24;
        position.setName("Berlin-Köpenick (Müggelsee)");
        position.setCoordinates(berlin);
        showAndCapture(position, "dialog_position");

        LoadDataSetDialog load(nullptr);
        load.setFileName("data/cru/hadcrut4.dat");
        load.setYear(1998);
        load.setMonth(7);
        load.setYearAverage(true);
        showAndCapture(load, "dialog_load");

        PositionCollection positions;
        HalfWayExportDialog exporting(nullptr, database, positions);
        showAndCapture(exporting, "dialog_export");

        ImportRequest request;
        request.input = "C:\\Daten\\HadSST.4.0.1.0_median.nc";
        ImportDialog importing(nullptr, request, seaSurfacePreview(), database);
        showAndCapture(importing, "dialog_import");

        HelpDialog help(nullptr);
        showAndCapture(help, "dialog_help");
        showAndCapture(help, "dialog_help_links", scrollToLinks);

        AnimationDialog animation(nullptr, map);
        showAndCapture(animation, "dialog_animation");

        ReferenceDialog reference(nullptr, database);
        showAndCapture(reference, "dialog_reference");

        TrendDialog trend(nullptr, database);
        showAndCapture(trend, "dialog_trend");

        ProductCatalogue catalogue = readProductCatalogue("produkte.txt");
        catalogue.problems.push_back(
            {12, "produkte.txt, Zeile 12: die Adresse muss mit https:// beginnen."});
        UpdateDialog update(nullptr, catalogue, ".", database);
        showAndCapture(update, "dialog_update");

        WaitDialog wait(nullptr);
        wait.setWaitText("Die Karte wird erstellt ...");
        wait.beginRun();
        capturing(
            "dialog_wait", [&] { wait.awaitRun(0); },
            [](HWND dialog) { SendDlgItemMessageA(dialog, IDC_WAIT_PROGRESS, PBM_SETPOS, 40, 0); });
        wait.endRun();

        capturing("dialog_message", [] {
            WSystem::showMessage(nullptr,
                                 "Die Datei »Messwerte.txt« ist weder eine netCDF-Datei noch ein "
                                 "Datensatz des Programms und wird nicht geöffnet.",
                                 "Information", false);
        });
        WSystem::shutdown();
    } catch (const WException& e) {
        std::fprintf(stderr, "%s\n", static_cast<const char*>(e.toString()));
        return 1;
    }
    return failed ? 1 : 0;
}
