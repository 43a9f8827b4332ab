#include "ImportDialog.h"

#include <cstdlib>

#include "DataSetCatalogue.h"
#include "DialogIds.h"
#include "FileNameText.h"
#include "ImportFailure.h"
#include "MonthText.h"
#include "OrvexDatabase.h"
#include "WException.h"
#include "WSystem.h"

namespace {

WString periodText(const ImportPreview& preview)
{
    if (preview.firstMonth == 0 || preview.lastMonth == 0)
        return WString("unbekannt");
    // A climatology's steps are the calendar months, of no year.
    if (preview.climatology)
        return WString("Januar bis Dezember (Klimatologie)");
    std::string text = germanMonthText(preview.firstMonth) + " bis " + germanMonthText(preview.lastMonth);
    return WString(text.c_str());
}

const char* orNone(const std::string& text)
{
    return text.empty() ? "(keine Angabe)" : text.c_str();
}

// "hadcrut4" of "data/cru/hadcrut4.dat": the importer's name of a target.
std::string targetOfFile(const WString& file)
{
    long slash = file.lastIndexOf('/');
    long backslash = file.lastIndexOf('\\');
    WString name;
    file.substring(static_cast<unsigned long>((slash > backslash ? slash : backslash) + 1), name);
    long dot = name.indexOf(".");
    if (dot >= 0)
        name.truncate(static_cast<unsigned long>(dot));
    return static_cast<const char*>(name);
}

} // namespace

ImportDialog::ImportDialog(WWindowContext* parent, const ImportRequest& request,
                           const ImportPreview& preview, OrvexDatabase& dataSet)
    : ProgressTaskDialog(parent, IDD_IMPORT), request(request), preview(preview), dataSet(dataSet),
      targetFile(dataSet.getName()), dataSetClosed(false), announcedTotal(0)
{
    fields.attach(this);
}

ImportDialog::~ImportDialog()
{
    stopTask();
}

void ImportDialog::onDialogInit()
{
    setColor(GetSysColor(COLOR_WINDOWTEXT), GetSysColor(COLOR_BTNFACE));
    // The load dialog's names: what is imported here can be loaded there.
    DataSetCatalogue::fill();
    fields.addChoiceByText(IDC_IMPORT_TARGET, &targetFile, &DataSetCatalogue::getTable(), true);
    fields.updateControls();
    variableBox.create(this, "ImportVariable", IDC_IMPORT_VARIABLE);
    levelBox.create(this, "ImportLevel", IDC_IMPORT_LEVEL);
    createProgressBar("ImportProgress", IDC_IMPORT_PROGRESS);
    SetDlgItemTextA(windowHandle, IDC_IMPORT_FILE, shownText(request.input).c_str());
    // The caller's preview may be for another target than the one shown.
    if (takeShownTarget())
        showPreview();
    else
        lookAgain(IDC_IMPORT_TARGET);
}

bool ImportDialog::takeShownTarget()
{
    fields.updateVariables();
    std::string shown = targetOfFile(targetFile);
    if (isClimatologyTarget(shown) != preview.climatology)
        return false;
    request.target = shown;
    return true;
}

std::string ImportDialog::chosenVariable() const
{
    bool chosen =
        preview.chosen >= 0 && static_cast<size_t>(preview.chosen) < preview.candidates.size();
    return chosen ? preview.candidates[static_cast<size_t>(preview.chosen)].variable : std::string();
}

void ImportDialog::enableChoices()
{
    bool idle = !isTaskRunning();
    EnableWindow(GetDlgItem(windowHandle, IDC_IMPORT_VARIABLE),
                 idle && preview.candidates.size() > 1);
    EnableWindow(GetDlgItem(windowHandle, IDC_IMPORT_LEVEL), idle && preview.levels.size() > 1);
    EnableWindow(GetDlgItem(windowHandle, IDC_IMPORT_TARGET), idle);
}

void ImportDialog::showPreview()
{
    const std::vector<ImportCandidate>& candidates = preview.candidates;
    variableBox.removeAll();
    for (const ImportCandidate& candidate : candidates)
        variableBox.addItem(candidate.name.c_str(), nullptr);
    bool chosen = preview.chosen >= 0 && static_cast<size_t>(preview.chosen) < candidates.size();
    if (chosen)
        variableBox.selectItem(static_cast<unsigned long>(preview.chosen));

    const char* longName = chosen ? orNone(candidates[preview.chosen].longName) : "";
    const char* units = chosen ? orNone(candidates[preview.chosen].units) : "";
    SetDlgItemTextA(windowHandle, IDC_IMPORT_LONG_NAME, longName);
    SetDlgItemTextA(windowHandle, IDC_IMPORT_UNITS, units);
    SetDlgItemTextA(windowHandle, IDC_IMPORT_GRID, chosen ? preview.grid.c_str() : "");
    SetDlgItemTextA(windowHandle, IDC_IMPORT_MONTHS,
                    chosen ? static_cast<const char*>(periodText(preview)) : "");

    levelBox.removeAll();
    for (size_t i = 0; i < preview.levels.size(); ++i) {
        levelBox.addItem(preview.levels[i].c_str(), nullptr);
        if (preview.levels.size() == 1 ||
            (request.hasLevel && std::strtod(preview.levels[i].c_str(), nullptr) == request.level))
            levelBox.selectItem(static_cast<unsigned long>(i));
    }
    SetDlgItemTextA(windowHandle, IDC_IMPORT_LEVEL_AXIS,
                    preview.levels.empty() ? "keine" : preview.levelAxis.c_str());
    SetDlgItemTextA(windowHandle, IDC_IMPORT_PROBLEM, preview.problemGerman.c_str());
    enableChoices();
}

void ImportDialog::onPanelCommand(unsigned long id, unsigned long code, WControl*)
{
    try {
        if (id == IDOK)
            start();
        else if (id == IDCANCEL)
            cancelPressed();
        else if ((id == IDC_IMPORT_VARIABLE || id == IDC_IMPORT_LEVEL || id == IDC_IMPORT_TARGET) &&
                 code == CBN_SELCHANGE && !isTaskRunning())
            lookAgain(id);
    } catch (const WException& e) {
        WSystem::showException(this, e);
    }
}

// The request with the box that changed, previewed anew. Another
// variable may have other levels, so it starts without one; a variable
// the user did not choose is chosen by the rules of the new target.
void ImportDialog::lookAgain(unsigned long changed)
{
    fields.updateVariables();
    request.target = targetOfFile(targetFile);
    unsigned long variable = variableBox.getItemIdx();
    if (changed == IDC_IMPORT_VARIABLE && variable < preview.candidates.size() &&
        preview.candidates[variable].variable != request.variable) {
        request.variable = preview.candidates[variable].variable;
        request.hasLevel = false;
    }
    unsigned long level = levelBox.getItemIdx();
    if (changed == IDC_IMPORT_LEVEL && level < preview.levels.size() && preview.levels.size() > 1 &&
        static_cast<long>(variable) == preview.chosen) {
        request.hasLevel = true;
        request.level = std::strtod(preview.levels[level].c_str(), nullptr);
    }
    try {
        preview = previewImport(request);
    } catch (const ImportFailure& e) {
        // The other candidates stay to choose from.
        ImportPreview refused;
        refused.climatology = isClimatologyTarget(request.target);
        refused.candidates = preview.candidates;
        refused.chosen = static_cast<int>(variable < preview.candidates.size() ? variable : -1);
        refused.problemGerman = e.german();
        preview = refused;
    }
    showPreview();
}

const char* ImportDialog::refusal() const
{
    if (!preview.problemGerman.empty())
        return preview.problemGerman.c_str();
    if (preview.chosen < 0)
        return "Bitte wählen Sie eine Variable.";
    if (preview.levelNeeded)
        return "Bitte wählen Sie eine Ebene.";
    return nullptr;
}

void ImportDialog::start()
{
    if (isTaskRunning())
        return;
    if (!takeShownTarget()) {
        // Another target chosen without a selection message: what is shown
        // must be what is imported, so a changed variable is shown first.
        std::string shown = chosenVariable();
        lookAgain(IDC_IMPORT_TARGET);
        if (chosenVariable() != shown)
            return;
    }
    if (const char* reason = refusal()) {
        WSystem::showMessage(this, reason, "Information", false);
        return;
    }
    // The request the preview was made for, with the variable it shows
    // named: the rules are not asked again.
    started = request;
    started.variable = chosenVariable();
    startedTarget = targetFile;
    refused.clear();
    announcedTotal = 0;
    if (!dataSetClosed) {
        dataSet.close();
        dataSetClosed = true;
    }
    startTask();
    enableChoices();
}

bool ImportDialog::runTask()
{
    try {
        report = runImport(started, *this);
        return true;
    } catch (const ImportCancelled&) {
        return false;
    } catch (const ImportFailure& e) {
        refused = e.german();
        return false;
    }
}

void ImportDialog::advance(int done, int total)
{
    if (total != announcedTotal) {
        announcedTotal = total;
        reportTotal(static_cast<unsigned long long>(total));
    }
    reportProgress(static_cast<unsigned long long>(done));
}

bool ImportDialog::cancelled() const
{
    return cancelRequested();
}

WString ImportDialog::targetName(const char* file)
{
    const WString* name = DataSetCatalogue::getTable().find(file);
    return name != nullptr ? *name : WString(file);
}

void ImportDialog::taskEnded()
{
    if (taskCompleted()) {
        close(1);
        return;
    }
    enableChoices();
    WString unchanged("Der Datensatz »");
    unchanged += targetName(startedTarget);
    unchanged += "« bleibt unverändert.";
    if (taskFailed()) {
        WSystem::showException(this, taskFailure(), unchanged);
    } else if (!refused.empty()) {
        WString text("Die Datei wurde nicht importiert. ");
        text += unchanged;
        text += "\r\n\r\n";
        text += refused.c_str();
        WSystem::showMessage(this, text, "Error", true);
    } else {
        WString text("Import wurde abgebrochen.\r\n\r\n");
        text += unchanged;
        WSystem::showMessage(this, text, "Information", false);
    }
}
