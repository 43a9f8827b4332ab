// dialogs_screenshot: shows each of the program's five dialogs, filled as a
// user would see them, and saves a picture of each dialog window as a BMP
// file (screenshot.sh turns them into PNG files of the build tree).
//
//   dialogs_screenshot.exe GRID_FILE OUTPUT_FOLDER
//
// The working folder must hold Information.rtf.
#include <windows.h>
#include <commctrl.h>
#include <richedit.h>

#include <cstdio>
#include <string>

#include "DialogIds.h"
#include "ExportDialog.h"
#include "HelpDialog.h"
#include "ImportDialog.h"
#include "LoadDataSetDialog.h"
#include "OrvexDatabase.h"
#include "PositionCollection.h"
#include "PositionDialog.h"
#include "WException.h"
#include "WSystem.h"

namespace {

std::string outputFolder;
std::string pictureName;
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

BOOL CALLBACK findDialog(HWND window, LPARAM data)
{
    if (IsWindowVisible(window) && WSystem::isDialogWindow(window))
        *reinterpret_cast<HWND*>(data) = window;
    return TRUE;
}

// A few ticks after the dialog appeared (painted by then): the picture, then
// the dialog is ended.
void CALLBACK onTick(HWND, UINT, UINT_PTR, DWORD)
{
    HWND dialog = nullptr;
    EnumThreadWindows(GetCurrentThreadId(), findDialog, reinterpret_cast<LPARAM>(&dialog));
    if (dialog == nullptr || ++ticks < 10)
        return;
    if (pictureName == "dialog_help_links") {
        // The part of the help text with the web addresses.
        HWND text = GetDlgItem(dialog, IDC_HELP_TEXT);
        FINDTEXTA find = {{0, -1}, "Die Datens"};
        LRESULT at = SendMessageA(text, EM_FINDTEXT, FR_DOWN, reinterpret_cast<LPARAM>(&find));
        LRESULT line = SendMessageA(text, EM_EXLINEFROMCHAR, 0, at);
        SendMessageA(text, EM_LINESCROLL, 0, line);
        UpdateWindow(text);
    }
    if (!capture(dialog, outputFolder + "/" + pictureName + ".bmp")) {
        std::fprintf(stderr, "cannot write %s\n", pictureName.c_str());
        failed = true;
    }
    ticks = 0;
    EndDialog(dialog, 0);
}

void showAndCapture(WDialog& dialog, const char* name)
{
    pictureName = name;
    ticks = 0;
    timer = SetTimer(nullptr, 0, 50, onTick);
    dialog.show(true);
    KillTimer(nullptr, timer);
    std::printf("%s.bmp\n", name);
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
        showAndCapture(help, "dialog_help_links");
        WSystem::shutdown();
    } catch (const WException& e) {
        std::fprintf(stderr, "%s\n", static_cast<const char*>(e.toString()));
        return 1;
    }
    return failed ? 1 : 0;
}
