#include "ReferenceDialog.h"

#include "DialogIds.h"
#include "MonthText.h"
#include "OrvexDatabase.h"
#include "WSystem.h"

namespace {

const unsigned int tableChains = 16;

// The years shown for the user's own period until they choose any.
const unsigned int defaultFirstYear = 1991;
const unsigned int defaultLastYear = 2020;

WString numberText(int number)
{
    return WFormattedString("%i", number);
}

} // namespace

ReferenceDialog::ReferenceDialog(WWindowContext* parent, OrvexDatabase& database)
    : WDialog(parent, IDD_REFERENCE), database(database), periods(tableChains),
      methods(tableChains), choice(0), firstYear(defaultFirstYear), lastYear(defaultLastYear),
      method(ReferencePeriod::PER_CELL)
{
    fields.attach(this);
    const ReferencePeriod& current = database.getReference();
    if (current.isStored())
        return;
    firstYear = current.firstYear;
    lastYear = current.lastYear;
    method = current.method;
    choice = ownYearsChoice();
    const std::vector<ReferencePreset>& presets = referencePresets();
    for (size_t i = 0; i < presets.size(); ++i)
        if (presets[i].firstYear == firstYear && presets[i].lastYear == lastYear)
            choice = static_cast<int>(i) + 1;
}

int ReferenceDialog::ownYearsChoice() const
{
    return static_cast<int>(referencePresets().size()) + 1;
}

void ReferenceDialog::onDialogInit()
{
    setColor(GetSysColor(COLOR_WINDOWTEXT), GetSysColor(COLOR_BTNFACE));
    periods.put(numberText(0), storedReferenceChoice(database.getName()).c_str());
    const std::vector<ReferencePreset>& presets = referencePresets();
    for (size_t i = 0; i < presets.size(); ++i)
        periods.put(numberText(static_cast<int>(i) + 1), presets[i].label);
    periods.put(numberText(ownYearsChoice()), "eigener Zeitraum (von / bis)");
    methods.put(numberText(ReferencePeriod::PER_CELL),
                referenceMethodName(ReferencePeriod::PER_CELL));
    methods.put(numberText(ReferencePeriod::GLOBAL), referenceMethodName(ReferencePeriod::GLOBAL));

    fields.addChoiceByNumber(IDC_REFERENCE_PERIOD, &choice, &periods, true);
    fields.addUnsignedField(IDC_REFERENCE_FIRST, &firstYear);
    fields.addUnsignedField(IDC_REFERENCE_LAST, &lastYear);
    fields.addChoiceByNumber(IDC_REFERENCE_METHOD, &method, &methods, true);
    fields.updateControls();

    unsigned int months = database.getMonthCount();
    SetDlgItemTextA(getWindowHandle(), IDC_REFERENCE_RANGE,
                    months == 0
                        ? WString("Kein Datensatz geöffnet.")
                        : WFormattedString("Daten von %s bis %s", germanMonthText(1).c_str(),
                                           germanMonthText(months).c_str()));
    choiceChanged();
}

void ReferenceDialog::onDialogClose()
{
    close(0);
}

void ReferenceDialog::onPanelCommand(unsigned long id, unsigned long code, WControl*)
{
    try {
        if (id == IDOK)
            confirm();
        else if (id == IDCANCEL)
            close(0);
        else if (id == IDC_REFERENCE_PERIOD && code == CBN_SELCHANGE)
            choiceChanged();
    } catch (const WException& e) {
        WSystem::showException(this, e);
    }
}

void ReferenceDialog::choiceChanged()
{
    fields.getField(IDC_REFERENCE_PERIOD)->updateVariable();
    const std::vector<ReferencePreset>& presets = referencePresets();
    if (choice >= 1 && choice <= static_cast<int>(presets.size())) {
        const ReferencePreset& preset = presets[static_cast<size_t>(choice) - 1];
        firstYear = preset.firstYear;
        lastYear = preset.lastYear;
        fields.getField(IDC_REFERENCE_FIRST)->updateControl();
        fields.getField(IDC_REFERENCE_LAST)->updateControl();
    }
    HWND dialog = getWindowHandle();
    BOOL ownYears = choice == ownYearsChoice();
    EnableWindow(GetDlgItem(dialog, IDC_REFERENCE_FIRST), ownYears);
    EnableWindow(GetDlgItem(dialog, IDC_REFERENCE_LAST), ownYears);
    EnableWindow(GetDlgItem(dialog, IDC_REFERENCE_METHOD), choice != 0);
}

ReferencePeriod ReferenceDialog::chosenPeriod() const
{
    ReferencePeriod period;
    if (choice == 0)
        return period;
    period.method =
        method == ReferencePeriod::GLOBAL ? ReferencePeriod::GLOBAL : ReferencePeriod::PER_CELL;
    // A fixed period's years whatever the (disabled) year fields hold.
    const std::vector<ReferencePreset>& presets = referencePresets();
    bool preset = choice <= static_cast<int>(presets.size());
    period.firstYear = preset ? presets[static_cast<size_t>(choice) - 1].firstYear : firstYear;
    period.lastYear = preset ? presets[static_cast<size_t>(choice) - 1].lastYear : lastYear;
    return period;
}

void ReferenceDialog::confirm()
{
    if (!fields.validate())
        return;
    fields.updateVariables();
    try {
        database.setReference(chosenPeriod());
    } catch (const FieldChoiceError& e) {
        WSystem::showMessage(this, e.getMessage(), "Information", false);
        return;
    }
    close(1);
}
