#include "TrendDialog.h"

#include "DialogIds.h"
#include "MonthText.h"
#include "OrvexDatabase.h"
#include "WSystem.h"
#include "YearRange.h"

namespace {

const unsigned int tableChains = 32;
const int firstMonthChoice = 5;
// The span offered first: the last fifty years of the data.
const unsigned int defaultYears = 50;

WString numberText(int number)
{
    return WFormattedString("%i", number);
}

// "Januar" ... "Dezember".
std::string monthName(unsigned int month)
{
    std::string text = germanMonthText(monthNumber(FIRST_YEAR, month));
    return text.substr(0, text.find(' '));
}

} // namespace

TrendDialog::TrendDialog(WWindowContext* parent, OrvexDatabase& database)
    : WDialog(parent, IDD_TREND), database(database), periods(tableChains), firstYear(0),
      lastYear(0), period(0)
{
    fields.attach(this);
    if (database.isTrend()) {
        const TrendSpan& shown = database.getTrend();
        firstYear = shown.firstYear;
        lastYear = shown.lastYear;
        period = shown.season != NO_SEASON ? static_cast<int>(shown.season)
                 : shown.month != 0        ? firstMonthChoice - 1 + static_cast<int>(shown.month)
                                           : 0;
        return;
    }
    // The last whole year of the data, and fifty years up to it.
    unsigned int months = database.getMonthCount();
    lastYear = months >= 12 ? FIRST_YEAR + months / 12 - 1 : FIRST_YEAR;
    firstYear =
        lastYear >= FIRST_YEAR + defaultYears - 1 ? lastYear - defaultYears + 1 : FIRST_YEAR;
}

void TrendDialog::onDialogInit()
{
    setColor(GetSysColor(COLOR_WINDOWTEXT), GetSysColor(COLOR_BTNFACE));
    periods.put(numberText(0), "Jahr");
    for (unsigned int season = DJF; season <= SON; ++season)
        periods.put(numberText(static_cast<int>(season)), seasonName(season));
    for (unsigned int month = 1; month <= 12; ++month)
        periods.put(numberText(firstMonthChoice - 1 + static_cast<int>(month)),
                    monthName(month).c_str());

    fields.addUnsignedField(IDC_TREND_FIRST, &firstYear);
    fields.addUnsignedField(IDC_TREND_LAST, &lastYear);
    fields.addChoiceByNumber(IDC_TREND_PERIOD, &period, &periods, true);
    fields.updateControls();

    unsigned int months = database.getMonthCount();
    HWND dialog = getWindowHandle();
    SetDlgItemTextA(dialog, IDC_TREND_RANGE,
                    months == 0
                        ? WString("Kein Datensatz geöffnet.")
                        : WFormattedString("Daten von %s bis %s", germanMonthText(1).c_str(),
                                           germanMonthText(months).c_str()));
    EnableWindow(GetDlgItem(dialog, IDC_TREND_OFF), database.isTrend());
}

void TrendDialog::onDialogClose()
{
    close(0);
}

void TrendDialog::onPanelCommand(unsigned long id, unsigned long, WControl*)
{
    try {
        if (id == IDOK)
            confirm();
        else if (id == IDCANCEL)
            close(0);
        else if (id == IDC_TREND_OFF)
            close(RESULT_TREND_OFF);
    } catch (const WException& e) {
        WSystem::showException(this, e);
    }
}

void TrendDialog::confirm()
{
    if (!fields.validate())
        return;
    fields.updateVariables();
    TrendSpan span;
    span.firstYear = firstYear;
    span.lastYear = lastYear;
    if (period >= static_cast<int>(DJF) && period <= static_cast<int>(SON))
        span.season = static_cast<unsigned int>(period);
    else if (period >= firstMonthChoice)
        span.month = static_cast<unsigned int>(period - firstMonthChoice + 1);
    try {
        database.loadTrend(span);
    } catch (const FieldChoiceError& e) {
        WSystem::showMessage(this, e.getMessage(), "Information", false);
        return;
    }
    close(RESULT_TREND);
}
