#pragma once

#include "FieldChoice.h"
#include "InputFieldSet.h"
#include "WDialog.h"

class OrvexDatabase;

// "Trendkarte": each cell's linear trend in degrees per decade from a first
// to a last year, of the year averages, of a season's or of a month's
// values.
//
//     TrendDialog dialog(&mainWindow, database);
//     int result = dialog.show(true);   // 1 trend shown, 2 "Trendkarte aus", 0 nothing
//
// "OK" makes the data set show the trend map; a span it cannot answer is
// refused with one German message naming the allowed years, the dialog
// stays open and the data set is unchanged. "Trendkarte aus" (only while a
// trend map is shown) leaves the choice to the caller, who shows the month
// again.
class TrendDialog : public WDialog {
public:
    enum { RESULT_TREND = 1, RESULT_TREND_OFF = 2 };

    TrendDialog(WWindowContext* parent, OrvexDatabase& database);

    void onDialogInit() override;
    void onDialogClose() override;
    void onPanelCommand(unsigned long id, unsigned long code, WControl* control) override;

private:
    void confirm();

    OrvexDatabase& database;
    InputFieldSet fields;
    InputValueTable periods;
    unsigned int firstYear;
    unsigned int lastYear;
    // 0 year averages, 1..4 the seasons, 5..16 the months January..December.
    int period;
};
