#pragma once

#include <memory>

#include "InputFieldSet.h"
#include "ProgressTaskDialog.h"
#include "SeriesExport.h"
#include "WString.h"

class OrvexDatabase;
class PositionCollection;

// "Datenreihe exportieren": writes the monthly series of the data set to
// Auswertung.csv in the current directory on a thread of its own, then
// opens the file with the shell.
//
//     ExportDialog dialog(&mainWindow, database, positions);
//     dialog.show(true);   // always 0
//
// The range starts at January 1850 and ends at the data set's current month;
// the user may change both. The positions' mean is exported when the
// collection holds position 1; the export works on a copy taken when it
// starts, and on a data set of its own, so the caller's objects are only
// read (the data set's name, year and month now, the positions at "Start").
// While it runs, "Abbrechen" stops it; the close box stops it as well and
// waits for it before the dialog goes. Each result is reported in a message
// box.
class ExportDialog : public ProgressTaskDialog, private SeriesExport::Listener {
public:
    ExportDialog(WWindowContext* parent, const OrvexDatabase& database,
                 const PositionCollection& positions);
    // Stops a running export and waits for it.
    ~ExportDialog() override;

    // From "Start ..." until its result has been reported.
    bool isExportRunning() const { return isTaskRunning(); }

    void onDialogInit() override;
    void onPanelCommand(unsigned long id, unsigned long code, WControl* control) override;

private:
    bool runTask() override;
    void taskEnded() override;
    void onExportStart(unsigned long long total) override;
    void onExportProgress(unsigned long long done) override;

    void start();
    bool checkRange();

    InputFieldSet fields;
    unsigned int startYear;
    unsigned int startMonth;
    unsigned int stopYear;
    unsigned int stopMonth;
    bool monthlyAverage;
    WString dataSetName;
    // The months are exported as the map shows them.
    ReferencePeriod reference;
    // Null unless the collection held position 1 when the dialog was made.
    const PositionCollection* positions;
    // Set up by the window thread before the thread starts, read back after
    // it has been joined.
    std::unique_ptr<SeriesExport> series;
};
