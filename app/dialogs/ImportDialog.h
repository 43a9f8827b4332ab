#pragma once

#include <string>

#include "GridImport.h"
#include "InputFieldSet.h"
#include "ProgressTaskDialog.h"
#include "WControlComboBox.h"
#include "WString.h"

class OrvexDatabase;

// "Datensatz importieren": shows what a netCDF file holds, lets the user
// choose the variable, the level and the data set to write, and imports on
// a thread of its own.
//
//     ImportDialog dialog(&mainWindow, request, previewImport(request), database);
//     if (dialog.show(true) == 1) ... open dialog.getTargetFile() ...
//     if (dialog.closedDataSet()) ... open the caller's data set again ...
//
// Another variable, level or target is looked at anew (previewImport), and
// the import takes the request of the preview shown, its variable named.
// While the import runs, the three choices are disabled. "Importieren"
// is refused, with the reason, while the preview names a problem. Windows
// cannot replace an open file, so the caller's data set is closed when the
// first import starts; the dialog is modal, so nothing reads it meanwhile.
// A failed or cancelled import is reported and the dialog stays open; a
// finished one closes it with 1.
class ImportDialog : public ProgressTaskDialog, private ImportProgress {
public:
    // request: the file, as the preview was made for it.
    ImportDialog(WWindowContext* parent, const ImportRequest& request, const ImportPreview& preview,
                 OrvexDatabase& dataSet);
    ~ImportDialog() override;

    // The data set written ("data/cru/hadcrut4.dat") and the report, after
    // show returned 1.
    const WString& getTargetFile() const { return startedTarget; }
    const ImportReport& getReport() const { return report; }
    // True once an import has started: the caller's data set is closed.
    bool closedDataSet() const { return dataSetClosed; }

    void onDialogInit() override;
    void onPanelCommand(unsigned long id, unsigned long code, WControl* control) override;

private:
    bool runTask() override;
    void taskEnded() override;
    void advance(int done, int total) override;
    bool cancelled() const override;

    // changed: IDC_IMPORT_VARIABLE, IDC_IMPORT_LEVEL or IDC_IMPORT_TARGET.
    void lookAgain(unsigned long changed);
    void showPreview();
    // Takes the target the box shows into the request; false when the
    // preview must be made anew for it (a climatology, or no longer one).
    bool takeShownTarget();
    // The variable the preview shows; empty when none.
    std::string chosenVariable() const;
    // Variable, level and target can be chosen unless an import runs.
    void enableChoices();
    // The reason "Importieren" is refused now, or null.
    const char* refusal() const;
    void start();
    // The display name of the chosen target ("HADCRUT4").
    WString targetName(const char* file);

    ImportRequest request;
    ImportPreview preview;
    OrvexDatabase& dataSet;
    InputFieldSet fields;
    // The target's path as the load dialog gives it.
    WString targetFile;
    WControlComboBox variableBox;
    WControlComboBox levelBox;
    bool dataSetClosed;

    // Set up by the window thread before the thread starts, read back after
    // it has been joined.
    ImportRequest started;
    WString startedTarget;
    ImportReport report;
    std::string refused;
    // The thread's: the total last reported.
    int announcedTotal;
};
