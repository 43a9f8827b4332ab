#include "ControlsDemo.h"

#include <windows.h>
#include <commctrl.h>

#include "ControlsDemoResources.h"
#include "WException.h"
#include "WFile.h"
#include "WFont.h"
#include "WSystem.h"

namespace {
const unsigned long tickMs = 250;
// Time after the first tick at which the dialog counts as shown.
const unsigned long readyAfterMs = 1500;
const unsigned long toolOpen = 40001;
const unsigned long toolSave = 40002;
const unsigned long toolHelp = 40003;

// Three 16 x 16 pictures side by side for the tool bar: a square, a disc and
// a triangle.
HBITMAP makeToolPictures()
{
    HDC screen = GetDC(nullptr);
    HDC dc = CreateCompatibleDC(screen);
    HBITMAP pictures = CreateCompatibleBitmap(screen, 48, 16);
    ReleaseDC(nullptr, screen);
    HGDIOBJ oldBitmap = SelectObject(dc, pictures);
    RECT all = {0, 0, 48, 16};
    HBRUSH white = CreateSolidBrush(RGB(255, 255, 255));
    FillRect(dc, &all, white);
    DeleteObject(white);
    HGDIOBJ oldPen = SelectObject(dc, GetStockObject(BLACK_PEN));
    HBRUSH fills[] = {CreateSolidBrush(RGB(40, 110, 200)), CreateSolidBrush(RGB(220, 150, 30)),
                      CreateSolidBrush(RGB(60, 160, 80))};
    HGDIOBJ oldBrush = SelectObject(dc, fills[0]);
    Rectangle(dc, 2, 3, 14, 14);
    SelectObject(dc, fills[1]);
    Ellipse(dc, 18, 2, 30, 14);
    SelectObject(dc, fills[2]);
    POINT triangle[] = {{40, 2}, {46, 14}, {34, 14}};
    Polygon(dc, triangle, 3);
    SelectObject(dc, oldBrush);
    SelectObject(dc, oldPen);
    for (HBRUSH fill : fills)
        DeleteObject(fill);
    SelectObject(dc, oldBitmap);
    DeleteDC(dc);
    return pictures;
}
}

ControlsDemo::ControlsDemo(unsigned long closeAfter, const char* ready)
    : WDialog(nullptr, IDD_CONTROLS_DEMO), closeAfterMs(closeAfter),
      readyFile(ready != nullptr ? ready : ""), elapsedMs(0)
{
}

void ControlsDemo::onDialogInit()
{
    setColor(GetSysColor(COLOR_WINDOWTEXT), GetSysColor(COLOR_BTNFACE));
    buildBars();
    buildInputs();
    buildPages();
    status.setText("Ready", 0);
    status.setText("Year 1998", 1);
    status.setText("Coverage 84 %", 2);
    setTimer(tickMs);
}

void ControlsDemo::buildBars()
{
    toolImages.create(16, 16, 3);
    HBITMAP pictures = makeToolPictures();
    toolImages.addImage(pictures, RGB(255, 255, 255));
    DeleteObject(pictures);

    rebar.create(this, 0);
    toolbar.create(&rebar, "Tools", WControlToolbar::STYLE_DEFAULT);
    toolbar.setImageList(toolImages, nullptr);
    toolbar.addButton(toolOpen, 0, "Open");
    toolbar.addButton(toolSave, 1, "Save");
    toolbar.addSeparator(8);
    toolbar.addButton(toolHelp, 2, "Help");
    SIZE size;
    SendMessageA(toolbar.getWindowHandle(), TB_GETMAXSIZE, 0, reinterpret_cast<LPARAM>(&size));
    toolbar.resizeWindow(static_cast<unsigned long>(size.cx), 26, false);
    search.create(&rebar, "Search", 0, 0, 120, 0, WControlEdit::STYLE_SINGLELINE, true);
    search.setText("Hamburg");
    rebar.addControl(toolbar, "", static_cast<unsigned long>(size.cx) + 20,
                     static_cast<unsigned long>(size.cx));
    rebar.addControl(search, "Find", 0, 80);
    rebar.adjust(0);

    status.create(this, "Status", WControlStatusbar::STYLE_PLAIN);
    RECT client;
    getClientArea(client);
    unsigned long edges[] = {static_cast<unsigned long>(client.right) / 3,
                             static_cast<unsigned long>(client.right) * 2 / 3,
                             static_cast<unsigned long>(-1)};
    status.setParts(3, edges);
    status.adjust();
}

void ControlsDemo::buildInputs()
{
    nameLabel.create(this, "NameLabel", IDC_DEMO_NAME_LABEL);
    name.create(this, "Name", IDC_DEMO_NAME);
    name.setText("Station 12");
    name.setColor(RGB(0, 0, 128), RGB(255, 255, 225));
    grid.create(this, "Grid", IDC_DEMO_CHECK);
    grid.setChecked(true);
    flat.create(this, "Flat", IDC_DEMO_FLAT);
    flat.setChecked(true);
    globe.create(this, "Globe", IDC_DEMO_GLOBE);

    scale.create(this, "Scale", IDC_DEMO_COMBO);
    scale.addItem("50 %", nullptr);
    scale.addItem("75 %", nullptr);
    scale.addItem("100 %", nullptr);
    scale.selectItem(scale.getItemIdx("100 %"));

    datasets.create(this, "Datasets", IDC_DEMO_LIST);
    datasets.addItem("HadCRUT4", nullptr);
    datasets.addItem("HadCRUT3", nullptr);
    datasets.addItem("HadSST2", nullptr);
    datasets.setItemText(0, "Absolute temperatures");
    datasets.selectItem(1);

    progress.create(this, "Progress", IDC_DEMO_PROGRESS);
    progress.setRange(0, 100);
    progress.setStepSize(20);
    progress.setPos(20);
    progress.nextStep();
    progress.nextStep();
    year.create(this, "Year", IDC_DEMO_TRACK);
    year.setRange(0, 20, 2);
    year.setPos(12);
    apply.create(this, "Apply", IDC_DEMO_APPLY);
}

void ControlsDemo::buildPages()
{
    tab.create(this, "Pages", IDC_DEMO_TAB);
    setTabControl(tab);

    positions.create(&tab, "Positions", 0, 0, 10, 10, WControlListView::STYLE_REPORT);
    positions.addColumn("Position", 80);
    positions.addColumn("Latitude", 70);
    positions.addColumn("Longitude", 70);
    const char* rows[][3] = {{"Hamburg", "53° 33' N", "9° 59' E"},
                             {"Lima", "12° 3' S", "77° 2' W"},
                             {"Perth", "31° 57' S", "115° 51' E"}};
    for (const auto& row : rows) {
        unsigned long index = positions.addItem(row[0], nullptr, -1);
        positions.setItemText(index, 1, row[1]);
        positions.setItemText(index, 2, row[2]);
    }
    positions.selectItem(0);

    notes.create(&tab, "Notes", 0, 0, 10, 10, WControlRichText::STYLE_READONLY, true);
    notes.setURLDetection(true);
    // The control scrolls instead of wrapping: short lines.
    notes.setText("Monthly anomalies\r\nGridded data, 5 degree cells.\r\n"
                  "More: http://www.example.org/");
    WFont heading("Arial", 11, 0, 700, RGB(128, 0, 0));
    notes.setSelection(0, 17);
    notes.setFont(heading, false);
    notes.setSelection(0, 0);
    notes.hideSelection(true);

    // Pages are shown by the tab control only when selected.
    positions.hideWindow();
    notes.hideWindow();
    tab.addPage(0, "Positions", positions.getWindowHandle());
    tab.addPage(1, "Notes", notes.getWindowHandle());
    tab.setFocusPage(0);
}

void ControlsDemo::onDialogClose()
{
    close(0);
}

void ControlsDemo::onPanelCommand(unsigned long id, unsigned long code, WControl*)
{
    if (id == IDOK || id == IDCANCEL) {
        close(0);
    } else if (id == IDC_DEMO_APPLY && code == BN_CLICKED) {
        progress.nextStep();
        status.setText("Applied", 0);
    } else if (id == toolOpen || id == toolSave || id == toolHelp) {
        status.setText(id == toolOpen ? "Open" : id == toolSave ? "Save" : "Help", 0);
    }
}

void ControlsDemo::onWindowTimerTick()
{
    elapsedMs += tickMs;
    if (elapsedMs == readyAfterMs && readyFile.length() > 0) {
        try {
            WFile ready;
            ready.create(readyFile, false);
            ready.writeln("ready");
        } catch (const WException& e) {
            WSystem::showException(this, e);
        }
    }
    if (closeAfterMs != 0 && elapsedMs >= closeAfterMs)
        close(0);
}
