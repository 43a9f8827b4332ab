#pragma once

#include <atomic>
#include <string>
#include <vector>

#include "ProductUpdate.h"
#include "ProgressTaskDialog.h"
#include "WControlListView.h"

class OrvexDatabase;

// "Daten aktualisieren": lists the catalogue's products with the data set
// each one fills and the month of the data there now, and updates the
// checked ones one after another on a thread of its own.
//
//     UpdateDialog dialog(&mainWindow, catalogue, workFolder, database);
//     if (dialog.show(true) == 1) ... show dialog.getReport() ...
//     ... open dialog.getUpdatedFile() at dialog.getLastMonth(), if any ...
//     ... else, if dialog.closedDataSet(), the caller's data set again ...
//
// Only one product can fill a data set, so checking a product unchecks the
// others of its target. Windows cannot replace an open file: the caller's
// data set is closed when the updates start; the dialog is modal, so
// nothing reads it meanwhile. Once the updates have ended, completed or
// cancelled, the dialog closes with 1 and the report has one line per
// checked product.
class UpdateDialog : public ProgressTaskDialog, private UpdateProgress {
public:
    // workFolder: UTF-8, as updateProduct takes it.
    UpdateDialog(WWindowContext* parent, const ProductCatalogue& catalogue,
                 const std::string& workFolder, OrvexDatabase& dataSet);
    ~UpdateDialog() override;

    // After show returned 1.
    const std::vector<std::string>& getReport() const { return report; }
    // The data set of the last product updated, as the load dialog names
    // its file ("data/cru/hadcrut4.dat"); empty when none was.
    const std::string& getUpdatedFile() const { return updatedFile; }
    // Its last month with data (1 = January 1850).
    int getLastMonth() const { return lastMonth; }
    // True once the updates have started: the caller's data set is closed.
    bool closedDataSet() const { return dataSetClosed; }

    void onDialogInit() override;
    void onDialogDpiChanged(unsigned int dpi) override;
    void onPanelCommand(unsigned long id, unsigned long code, WControl* control) override;
    LRESULT onPanelNotify(unsigned long id, unsigned long code, WControl* control,
                          const NMHDR* header) override;
    void onWindowUserMessage(void* a, void* b) override;

private:
    // What the running update does now; the status line names it.
    enum Phase { PHASE_CONNECT, PHASE_DOWNLOAD, PHASE_IMPORT };

    bool runTask() override;
    void taskEnded() override;
    void downloaded(unsigned long long done, unsigned long long total) override;
    void imported(int done, int total) override;
    bool cancelled() const override;

    void fillList();
    void fitColumns();
    // Only one product per target stays checked: the one just checked.
    void keepTargetUnique(unsigned long checkedRow);
    void start();
    // The status line from the thread's state.
    void showStatus();
    // Thread: the status line is due (phase or a length the bar cannot show).
    void announce();

    const ProductCatalogue& catalogue;
    std::string workFolder;
    OrvexDatabase& dataSet;
    WControlListView productList;
    bool dataSetClosed;

    // Set up by the window thread before the thread starts; the results are
    // read back after it has been joined.
    std::vector<const Product*> chosen;
    std::vector<std::string> report;
    std::string updatedFile;
    int lastMonth;

    // Written by the thread, read by the window thread for the status line.
    std::atomic<size_t> current;
    std::atomic<int> phase;
    std::atomic<unsigned long long> received;
    std::atomic<unsigned long long> announced;
    // The thread's: the total the bar was last given, and the next amount
    // received that refreshes the status line while no length is known.
    unsigned long long barTotal;
    unsigned long long nextAnnouncement;
};
