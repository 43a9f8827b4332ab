#pragma once

#include "FieldChoice.h"
#include "InputFieldSet.h"
#include "WDialog.h"

class OrvexDatabase;

// "Bezugszeitraum": the period the map's anomalies are referred to (as the
// data set stores them, one of the usual periods, or any years of the data)
// and the method, per cell or global.
//
//     ReferenceDialog dialog(&mainWindow, database);
//     if (dialog.show(true) == 1) { ... rebuild the map ... }
//
// "OK" refers the data set to the choice. A choice the data set cannot
// answer is refused with one German message naming the allowed years; the
// dialog stays open and the data set is unchanged. show(true) returns 0 for
// "Abbrechen", Escape or the close box.
class ReferenceDialog : public WDialog {
public:
    ReferenceDialog(WWindowContext* parent, OrvexDatabase& database);

    void onDialogInit() override;
    void onDialogClose() override;
    void onPanelCommand(unsigned long id, unsigned long code, WControl* control) override;

private:
    // The years and the method follow the period chosen: shown for a fixed
    // period, open to edit for the user's own years, unused as stored.
    void choiceChanged();
    void confirm();
    ReferencePeriod chosenPeriod() const;
    int ownYearsChoice() const;

    OrvexDatabase& database;
    InputFieldSet fields;
    InputValueTable periods;
    InputValueTable methods;
    // 0 as stored, 1 .. the presets, then the user's own years.
    int choice;
    unsigned int firstYear;
    unsigned int lastYear;
    int method;
};
