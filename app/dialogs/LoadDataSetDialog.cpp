#include "LoadDataSetDialog.h"

#include "DataSetCatalogue.h"
#include "DialogIds.h"
#include "WException.h"
#include "WSystem.h"
#include "YearRange.h"

LoadDataSetDialog::LoadDataSetDialog(WWindowContext* parent)
    : WDialog(parent, IDD_LOAD_DATA_SET), year(FIRST_YEAR), month(1), yearAverage(false)
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
    fields.updateControls();
}

void LoadDataSetDialog::onDialogClose()
{
    close(0);
}

void LoadDataSetDialog::onPanelCommand(unsigned long id, unsigned long, WControl*)
{
    try {
        if (id == IDOK)
            confirm();
        else if (id == IDCANCEL)
            close(0);
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
    else if (month >= 1 && month <= 12)
        close(1);
    else
        WSystem::showMessage(this, "Monatsbereich 1-12.", "Information", false);
}
