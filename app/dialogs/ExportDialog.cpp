#include "ExportDialog.h"

#include <shellapi.h>

#include <cstdint>
#include <exception>

#include "DialogIds.h"
#include "OrvexDatabase.h"
#include "PositionCollection.h"
#include "WSystem.h"
#include "YearRange.h"

namespace {

const char* const exportFile = "Auswertung.csv";

// Messages from the export thread to the dialog (onWindowUserMessage).
enum ThreadMessage { EXPORT_STARTED = 1, EXPORT_PROGRESS = 2, EXPORT_FINISHED = 3 };

// The progress bar takes 16-bit positions; longer ranges are scaled down.
const unsigned long long progressLimit = 65535;
// The bar moves when the percentage done changes: a cross-thread message
// and a repaint per month would cost more than reading the month.
const unsigned long long progressUpdates = 100;

} // namespace

ExportDialog::ExportDialog(WWindowContext* parent, const OrvexDatabase& database,
                           const PositionCollection& positions)
    : WDialog(parent, IDD_EXPORT), startYear(FIRST_YEAR), startMonth(1),
      stopYear(database.getYear()), stopMonth(database.getMonth()), monthlyAverage(false),
      dataSetName(database.getName()), positions(positions.contains(1) ? &positions : nullptr),
      running(false), completed(false), failed(false), cancel(false), exportTotal(0), reportStep(1),
      progressTotal(0)
{
    fields.attach(this);
}

ExportDialog::~ExportDialog()
{
    if (running) {
        cancel = true;
        thread.join(INFINITE);
    }
}

void ExportDialog::onDialogInit()
{
    // The system's dialog colours for the panel and its labels alike.
    setColor(GetSysColor(COLOR_WINDOWTEXT), GetSysColor(COLOR_BTNFACE));
    fields.addUnsignedField(IDC_EXPORT_START_YEAR, &startYear);
    fields.addUnsignedField(IDC_EXPORT_START_MONTH, &startMonth);
    fields.addUnsignedField(IDC_EXPORT_STOP_YEAR, &stopYear);
    fields.addUnsignedField(IDC_EXPORT_STOP_MONTH, &stopMonth);
    fields.addCheckField(IDC_EXPORT_MONTHLY_AVERAGE, &monthlyAverage);
    progressBar.create(this, "ExportProgress", IDC_EXPORT_PROGRESS);
    progressBar.setRange(0, 100);
    fields.updateControls();
}

void ExportDialog::onDialogClose()
{
    // The thread and its progress messages must be over before the window
    // and the progress bar go.
    if (running) {
        cancel = true;
        finish();
    }
    close(0);
}

void ExportDialog::onPanelCommand(unsigned long id, unsigned long, WControl*)
{
    try {
        if (id == IDC_EXPORT_START) {
            start();
        } else if (id == IDC_EXPORT_CANCEL) {
            if (running)
                cancel = true;
            else
                close(0);
        }
    } catch (const WException& e) {
        WSystem::showException(this, e);
    }
}

bool ExportDialog::checkRange()
{
    const char* message = nullptr;
    WFormattedString text;
    if (startYear < FIRST_YEAR)
        message = text.format("Jahr ab %u möglich.", FIRST_YEAR);
    else if (startMonth < 1 || startMonth > 12 || stopMonth < 1 || stopMonth > 12)
        message = "Monatsbereich 1-12.";
    else if (stopYear < startYear)
        message = "Start-Jahr muss vor dem Stop-Jahr liegen.";
    // Four-digit years keep the file (at most about 100 000 lines) and the
    // running time bounded whatever is typed.
    else if (stopYear > LAST_YEAR)
        message = text.format("Jahr bis %u möglich.", LAST_YEAR);
    if (message == nullptr)
        return true;
    WSystem::showMessage(this, message, "Information", false);
    return false;
}

void ExportDialog::start()
{
    if (running || !fields.validate())
        return;
    fields.updateVariables();
    if (!checkRange())
        return;
    SeriesRange range = {startYear, startMonth, stopYear, stopMonth, monthlyAverage};
    series.reset(new SeriesExport(dataSetName, range, positions));
    completed = false;
    failed = false;
    cancel = false;
    progressTotal = 0;
    progressBar.setPos(0);
    running = true;
    try {
        thread.start(this);
    } catch (...) {
        running = false;
        throw;
    }
}

// The thread only posts to the dialog and never waits for a window: the
// window thread can always join it, and reports the result itself.
void ExportDialog::run()
{
    try {
        completed = series->write(exportFile, cancel, this);
    } catch (const WException& e) {
        failed = true;
        failure = e;
    } catch (const std::exception& e) {
        failed = true;
        failure = WException(e.what());
    }
    createUserMessage(reinterpret_cast<void*>(EXPORT_FINISHED), nullptr);
}

void ExportDialog::onExportStart(unsigned long long months)
{
    exportTotal = months;
    reportStep = months / progressUpdates > 0 ? months / progressUpdates : 1;
    createUserMessage(reinterpret_cast<void*>(EXPORT_STARTED),
                      reinterpret_cast<void*>(static_cast<uintptr_t>(months)));
}

void ExportDialog::onExportProgress(unsigned long long done)
{
    if (done % reportStep == 0 || done == exportTotal)
        createUserMessage(reinterpret_cast<void*>(EXPORT_PROGRESS),
                          reinterpret_cast<void*>(static_cast<uintptr_t>(done)));
}

void ExportDialog::onWindowUserMessage(void* a, void* b)
{
    unsigned long long value = reinterpret_cast<uintptr_t>(b);
    switch (reinterpret_cast<uintptr_t>(a)) {
    case EXPORT_STARTED:
        progressTotal = value;
        progressBar.setRange(
            0, static_cast<unsigned long>(value < progressLimit ? value : progressLimit));
        progressBar.setStepSize(1);
        progressBar.setPos(0);
        break;
    case EXPORT_PROGRESS: showProgress(value); break;
    case EXPORT_FINISHED:
        if (running)
            finish();
        break;
    }
}

void ExportDialog::showProgress(unsigned long long done)
{
    if (progressTotal > progressLimit)
        done = done * progressLimit / progressTotal;
    progressBar.setPos(static_cast<unsigned long>(done));
}

void ExportDialog::finish()
{
    thread.join(INFINITE);
    running = false;
    if (failed) {
        // Not opened with the shell: the file is incomplete or was never made.
        WSystem::showException(this, failure);
        return;
    }
    if (completed) {
        // Joined: the thread's figures are settled.
        progressTotal = exportTotal;
        showProgress(exportTotal);
        WSystem::showMessage(this, "Export wurde erfolgreich durchgeführt.", "Information", false);
    } else {
        WSystem::showMessage(this,
                             WFormattedString("Export wurde abgebrochen.\r\n\r\nExport wurde bis "
                                              "%.2u-%u durchgeführt.",
                                              series->getLastMonth(), series->getLastYear()),
                             "Information", false);
    }
    WString directory;
    WSystem::getCurrentDirectory(directory);
    // Without a program for .csv files this fails, which is no failure of
    // the export.
    ShellExecuteA(windowHandle, "open", exportFile, nullptr, directory, SW_SHOWNORMAL);
}
