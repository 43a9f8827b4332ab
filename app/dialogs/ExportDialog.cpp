#include "ExportDialog.h"

#include <shellapi.h>

#include "DialogIds.h"
#include "FileNameText.h"
#include "MonthRange.h"
#include "OrvexDatabase.h"
#include "PositionCollection.h"
#include "WSystem.h"
#include "YearRange.h"

namespace {

const char* const exportFile = "Auswertung.csv";

} // namespace

ExportDialog::ExportDialog(WWindowContext* parent, const OrvexDatabase& database,
                           const PositionCollection& positions)
    : ProgressTaskDialog(parent, IDD_EXPORT), startYear(FIRST_YEAR), startMonth(1),
      stopYear(database.getYear()), stopMonth(database.getMonth()), monthlyAverage(false),
      dataSetName(database.getName()), reference(database.getReference()),
      positions(positions.contains(1) ? &positions : nullptr)
{
    fields.attach(this);
}

ExportDialog::~ExportDialog()
{
    stopTask();
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
    createProgressBar("ExportProgress", IDC_EXPORT_PROGRESS);
    fields.updateControls();
}

void ExportDialog::onPanelCommand(unsigned long id, unsigned long, WControl*)
{
    try {
        if (id == IDC_EXPORT_START) {
            start();
        } else if (id == IDC_EXPORT_CANCEL) {
            cancelPressed();
        }
    } catch (const WException& e) {
        WSystem::showException(this, e);
    }
}

bool ExportDialog::checkRange()
{
    WFormattedString text;
    const char* message = monthRangeProblem(startYear, startMonth, stopYear, stopMonth, false, text);
    if (message == nullptr)
        return true;
    WSystem::showMessage(this, message, "Information", false);
    return false;
}

void ExportDialog::start()
{
    if (isTaskRunning() || !fields.validate())
        return;
    fields.updateVariables();
    if (!checkRange())
        return;
    SeriesRange range = {startYear, startMonth, stopYear, stopMonth, monthlyAverage};
    series.reset(new SeriesExport(dataSetName, range, positions));
    series->setReference(reference);
    startTask();
}

bool ExportDialog::runTask()
{
    return series->write(exportFile, cancelRequested(), this);
}

void ExportDialog::onExportStart(unsigned long long months)
{
    reportTotal(months);
}

void ExportDialog::onExportProgress(unsigned long long done)
{
    reportProgress(done);
}

void ExportDialog::taskEnded()
{
    if (taskFailed()) {
        // Not opened with the shell: the file is incomplete or was never made.
        WSystem::showException(this, taskFailure());
        return;
    }
    if (taskCompleted())
        WSystem::showMessage(this, "Export wurde erfolgreich durchgeführt.", "Information", false);
    else
        WSystem::showMessage(this,
                             WFormattedString("Export wurde abgebrochen.\r\n\r\nExport wurde bis "
                                              "%.2u-%u durchgeführt.",
                                              series->getLastMonth(), series->getLastYear()),
                             "Information", false);
    WString directory;
    WSystem::getCurrentDirectory(directory);
    // Without a program for .csv files this fails, which is no failure of
    // the export.
    ShellExecuteW(windowHandle, L"open", wideFileName(exportFile).c_str(), nullptr,
                  wideFileName(static_cast<const char*>(directory)).c_str(), SW_SHOWNORMAL);
}
