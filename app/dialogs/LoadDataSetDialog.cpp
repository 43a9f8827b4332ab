#include "LoadDataSetDialog.h"

#include "DataSetCatalogue.h"
#include "DialogIds.h"
#include "FieldChoice.h"
#include "OrvexDatabase.h"
#include "WException.h"
#include "WSystem.h"
#include "YearRange.h"

LoadDataSetDialog::LoadDataSetDialog(WWindowContext* parent)
    : WDialog(parent, IDD_LOAD_DATA_SET), year(FIRST_YEAR), month(1), yearAverage(false),
      season(NO_SEASON), seasons(8)
{
    fields.attach(this);
}

void LoadDataSetDialog::onDialogInit()
{
    // The system's dialog colours for the panel and its labels alike.
    setColor(GetSysColor(COLOR_WINDOWTEXT), GetSysColor(COLOR_BTNFACE));
    fields.addUnsignedField(IDC_LOAD_YEAR, &year);
    fields.addUnsignedField(IDC_LOAD_MONTH, &month);
    DataSetCatalogue::fill();
    fields.addChoiceByText(IDC_LOAD_DATA_SET, &fileName, &DataSetCatalogue::getTable(), true);
    fields.addCheckField(IDC_LOAD_YEAR_AVERAGE, &yearAverage);
    seasons.put("0", "keine");
    for (unsigned int each = DJF; each <= SON; ++each)
        seasons.put(WFormattedString("%u", each), seasonName(each));
    fields.addChoiceByNumber(IDC_LOAD_SEASON, &season, &seasons, true);
    fields.updateControls();
}

void LoadDataSetDialog::onDialogClose()
{
    close(0);
}

void LoadDataSetDialog::onPanelCommand(unsigned long id, unsigned long code, WControl*)
{
    try {
        if (id == IDOK)
            confirm();
        else if (id == IDCANCEL)
            close(0);
        else if (id == IDC_LOAD_YEAR_AVERAGE && code == BN_CLICKED)
            averageChanged(IDC_LOAD_YEAR_AVERAGE);
        else if (id == IDC_LOAD_SEASON && code == CBN_SELCHANGE)
            averageChanged(IDC_LOAD_SEASON);
    } catch (const WException& e) {
        WSystem::showException(this, e);
    }
}

void LoadDataSetDialog::confirm()
{
    if (!fields.validate())
        return;
    fields.updateVariables();
    if (year < FIRST_YEAR)
        WSystem::showMessage(this, WFormattedString("Jahr ab %u möglich.", FIRST_YEAR),
                             "Information", false);
    else if (year > LAST_YEAR)
        WSystem::showMessage(this, WFormattedString("Jahr bis %u möglich.", LAST_YEAR),
                             "Information", false);
    else if (month < 1 || month > 12)
        WSystem::showMessage(this, "Monatsbereich 1-12.", "Information", false);
    else if (seasonAvailable())
        close(1);
}

// A year average and a season exclude each other: the one just chosen wins.
void LoadDataSetDialog::averageChanged(unsigned long changed)
{
    InputField* average = fields.getField(IDC_LOAD_YEAR_AVERAGE);
    InputField* seasonChoice = fields.getField(IDC_LOAD_SEASON);
    average->updateVariable();
    seasonChoice->updateVariable();
    if (changed == IDC_LOAD_YEAR_AVERAGE && yearAverage) {
        season = NO_SEASON;
        seasonChoice->updateControl();
    } else if (changed == IDC_LOAD_SEASON && season != NO_SEASON) {
        yearAverage = false;
        average->updateControl();
    }
}

bool LoadDataSetDialog::seasonAvailable()
{
    if (season == NO_SEASON)
        return true;
    OrvexDatabase chosen;
    try {
        chosen.open(OrvexDatabase::TYPE_GRID_FILE, fileName);
    } catch (const WException&) {
        return true;
    }
    try {
        checkSeason(year, static_cast<unsigned int>(season), chosen.getMonthCount());
    } catch (const FieldChoiceError& e) {
        WSystem::showMessage(this, e.getMessage(), "Information", false);
        return false;
    }
    return true;
}
