#include "UpdateDialog.h"

#include <cstdint>
#include <cstdio>
#include <iterator>

#include "DataSets.h"
#include "DialogIds.h"
#include "ImportFailure.h"
#include "MonthText.h"
#include "OrvexDatabase.h"
#include "WException.h"
#include "WSystem.h"

namespace {

// Posted by the thread when the status line changes without the bar moving;
// the base class ignores it.
const uintptr_t STATUS_CHANGED = 0x100;

// While a server announces no length, the status line counts every MB.
const unsigned long long MEGABYTE = 1024 * 1024;

enum Column { COLUMN_PRODUCT, COLUMN_DESCRIPTION, COLUMN_TARGET, COLUMN_MONTH };
const char* const columnTitles[] = {"Produkt", "Beschreibung", "Datensatz", "Stand"};
// Percent of the list's width, per column.
const unsigned long columnShares[] = {24, 38, 18, 20};

// The name "Datensatz laden" shows for the target, else its file name.
std::string targetText(const std::string& target)
{
    const DataSet* set = dataSetByName(target);
    if (set == nullptr)
        return target + ".dat";
    if (set->offeredAs != nullptr)
        return set->offeredAs;
    std::string file = set->file;
    return file.substr(file.find_last_of('/') + 1);
}

// "12,3"
std::string megabytes(unsigned long long bytes)
{
    char text[32];
    std::snprintf(text, sizeof text, "%.1f", static_cast<double>(bytes) / MEGABYTE);
    std::string shown = text;
    size_t point = shown.find('.');
    if (point != std::string::npos)
        shown[point] = ',';
    return shown;
}

// The failure's line, led by the product's name as the other lines are.
std::string failureLine(const Product& product, const std::string& german)
{
    if (german.compare(0, product.name.size() + 1, product.name + ":") == 0)
        return german;
    return product.name + ": " + german;
}

} // namespace

UpdateDialog::UpdateDialog(WWindowContext* parent, const ProductCatalogue& catalogue,
                           const std::string& workFolder, OrvexDatabase& dataSet)
    : ProgressTaskDialog(parent, IDD_UPDATE), catalogue(catalogue), workFolder(workFolder),
      dataSet(dataSet), dataSetClosed(false), lastMonth(0), current(0), phase(PHASE_CONNECT),
      received(0), announced(0), barTotal(0), nextAnnouncement(0)
{
}

UpdateDialog::~UpdateDialog()
{
    stopTask();
}

void UpdateDialog::onDialogInit()
{
    setColor(GetSysColor(COLOR_WINDOWTEXT), GetSysColor(COLOR_BTNFACE));
    productList.create(this, "UpdateProducts", IDC_UPDATE_PRODUCTS);
    productList.showCheckBoxes();
    createProgressBar("UpdateProgress", IDC_UPDATE_PROGRESS);
    fillList();

    std::string problems;
    for (const CatalogueProblem& problem : catalogue.problems)
        problems += (problems.empty() ? "" : "\r\n") + problem.german;
    SetDlgItemTextA(windowHandle, IDC_UPDATE_PROBLEMS, problems.c_str());
}

void UpdateDialog::fillList()
{
    for (const char* title : columnTitles)
        productList.addColumn(title, 0);
    fitColumns();
    for (const Product& product : catalogue.products) {
        unsigned long row =
            productList.addItem(product.name.c_str(), const_cast<Product*>(&product), -1);
        productList.setItemText(row, COLUMN_DESCRIPTION, product.description.c_str());
        productList.setItemText(row, COLUMN_TARGET, targetText(product.target).c_str());
        int last = lastMonthOfDataSet(product.target, workFolder);
        productList.setItemText(row, COLUMN_MONTH,
                                last > 0 ? germanMonthText(last).c_str() : "keine Daten");
        // What was updated before is what the user keeps up to date.
        if (productOfDataSet(product.target, workFolder) == product.name)
            productList.setItemChecked(row, true);
    }
    // Space checks the row with the focus, so the keyboard needs one.
    if (productList.getItemCount() > 0)
        productList.selectItem(0);
}

// The columns share the list's width, which follows the dialog's resolution.
void UpdateDialog::fitColumns()
{
    RECT area;
    GetClientRect(productList.getWindowHandle(), &area);
    unsigned long width = static_cast<unsigned long>(area.right - area.left);
    for (unsigned long column = 0; column < std::size(columnShares); ++column)
        productList.setColumnWidth(column, width * columnShares[column] / 100);
}

void UpdateDialog::onDialogDpiChanged(unsigned int)
{
    fitColumns();
}

LRESULT UpdateDialog::onPanelNotify(unsigned long id, unsigned long code, WControl*,
                                    const NMHDR* header)
{
    if (id != IDC_UPDATE_PRODUCTS || code != static_cast<unsigned long>(LVN_ITEMCHANGED))
        return 0;
    const NMLISTVIEW* change = reinterpret_cast<const NMLISTVIEW*>(header);
    bool nowChecked = (change->uNewState & LVIS_STATEIMAGEMASK) == INDEXTOSTATEIMAGEMASK(2);
    bool wasChecked = (change->uOldState & LVIS_STATEIMAGEMASK) == INDEXTOSTATEIMAGEMASK(2);
    if ((change->uChanged & LVIF_STATE) != 0 && nowChecked && !wasChecked && change->iItem >= 0)
        keepTargetUnique(static_cast<unsigned long>(change->iItem));
    return 0;
}

void UpdateDialog::keepTargetUnique(unsigned long checkedRow)
{
    const Product* checked = static_cast<const Product*>(productList.getItemData(checkedRow));
    for (unsigned long row = 0; row < productList.getItemCount(); ++row) {
        const Product* other = static_cast<const Product*>(productList.getItemData(row));
        if (row != checkedRow && other->target == checked->target && productList.isItemChecked(row))
            productList.setItemChecked(row, false);
    }
}

void UpdateDialog::onPanelCommand(unsigned long id, unsigned long, WControl*)
{
    try {
        if (id == IDOK)
            start();
        else if (id == IDCANCEL)
            cancelPressed();
    } catch (const WException& e) {
        WSystem::showException(this, e);
    }
}

void UpdateDialog::start()
{
    if (isTaskRunning())
        return;
    chosen.clear();
    for (unsigned long row = 0; row < productList.getItemCount(); ++row)
        if (productList.isItemChecked(row))
            chosen.push_back(static_cast<const Product*>(productList.getItemData(row)));
    if (chosen.empty()) {
        WSystem::showMessage(this, "Bitte wählen Sie mindestens ein Produkt.", "Information",
                             false);
        return;
    }
    report.clear();
    updatedFile.clear();
    lastMonth = 0;
    current = 0;
    phase = PHASE_CONNECT;
    received = 0;
    announced = 0;
    barTotal = 0;
    nextAnnouncement = 0;
    if (!dataSetClosed) {
        dataSet.close();
        dataSetClosed = true;
    }
    EnableWindow(productList.getWindowHandle(), FALSE);
    EnableWindow(GetDlgItem(windowHandle, IDOK), FALSE);
    showStatus();
    startTask();
}

bool UpdateDialog::runTask()
{
    for (size_t i = 0; i < chosen.size(); ++i) {
        const Product& product = *chosen[i];
        current = i;
        phase = PHASE_CONNECT;
        received = 0;
        announced = 0;
        announce();
        try {
            UpdateResult result = updateProduct(product, workFolder, *this);
            report.push_back(result.german);
            if (!result.unchanged) {
                const DataSet* set = dataSetByName(product.target);
                updatedFile = set != nullptr ? set->file : result.gridFile;
                lastMonth = result.lastMonth;
            }
        } catch (const UpdateFailure& e) {
            report.push_back(failureLine(product, e.german()));
        } catch (const ImportCancelled&) {
            for (size_t rest = i; rest < chosen.size(); ++rest)
                report.push_back(chosen[rest]->name +
                                 ": abgebrochen, der Datensatz bleibt unverändert.");
            return false;
        }
    }
    return true;
}

void UpdateDialog::downloaded(unsigned long long done, unsigned long long total)
{
    received = done;
    announced = total;
    if (phase != PHASE_DOWNLOAD || total != barTotal) {
        phase = PHASE_DOWNLOAD;
        barTotal = total;
        nextAnnouncement = 0;
        reportTotal(total);
        announce();
    }
    if (total > 0) {
        reportProgress(done);
    } else if (done >= nextAnnouncement) {
        nextAnnouncement = done + MEGABYTE;
        announce();
    }
}

void UpdateDialog::imported(int done, int total)
{
    unsigned long long steps = total > 0 ? static_cast<unsigned long long>(total) : 0;
    if (phase != PHASE_IMPORT || steps != barTotal) {
        phase = PHASE_IMPORT;
        barTotal = steps;
        reportTotal(steps);
        announce();
    }
    reportProgress(done > 0 ? static_cast<unsigned long long>(done) : 0);
}

bool UpdateDialog::cancelled() const
{
    return cancelRequested();
}

void UpdateDialog::announce()
{
    createUserMessage(reinterpret_cast<void*>(STATUS_CHANGED), nullptr);
}

void UpdateDialog::onWindowUserMessage(void* a, void* b)
{
    ProgressTaskDialog::onWindowUserMessage(a, b);
    // The bar's messages and the thread's own: the status line follows.
    if (isTaskRunning())
        showStatus();
}

void UpdateDialog::showStatus()
{
    size_t index = current;
    if (index >= chosen.size())
        return;
    std::string text = chosen[index]->name + ": ";
    unsigned long long done = received;
    unsigned long long total = announced;
    switch (phase) {
    case PHASE_CONNECT: text += "Verbindung ..."; break;
    case PHASE_DOWNLOAD:
        text += total > 0 ? megabytes(done) + " von " + megabytes(total) + " MB"
                          : megabytes(done) + " MB";
        break;
    default: text += "Import ..."; break;
    }
    SetDlgItemTextA(windowHandle, IDC_UPDATE_STATUS, text.c_str());
}

void UpdateDialog::taskEnded()
{
    if (taskFailed() && current < chosen.size())
        report.push_back(failureLine(*chosen[current], static_cast<const char*>(taskFailure().toString())));
    close(1);
}
