#pragma once

#include "InputFieldSet.h"
#include "WDialog.h"
#include "WString.h"

// "Datensatz laden": data set, year, month, and whether the whole year or a
// season (DJF, MAM, JJA, SON) is averaged.
//
//     LoadDataSetDialog dialog(&mainWindow);
//     dialog.setYear(db.getYear()); dialog.setMonth(db.getMonth());
//     dialog.setFileName(db.getName()); dialog.setYearAverage(db.isYearAverage());
//     if (dialog.show(true) == 1) { ... dialog.getFileName(), getYear() ... }
//
// show(true) returns 1 for "OK" with a year 1850..9999, a month 1..12 and a
// season the chosen data set reaches, 0 for "Abbrechen", Escape or the close
// box. Ticking the year average sets the season to none, and choosing a
// season unticks the year average. A file name that is not one of
// the catalogue's is shown (and returned) as the first entry, HADCRUT4.
class LoadDataSetDialog : public WDialog {
public:
    explicit LoadDataSetDialog(WWindowContext* parent);

    void setYear(unsigned int value) { year = value; }
    void setMonth(unsigned int value) { month = value; }
    void setFileName(const char* value) { fileName = value; }
    void setYearAverage(bool value) { yearAverage = value; }
    // 0: none; 1..4: DJF, MAM, JJA, SON.
    void setSeason(unsigned int value) { season = static_cast<int>(value); }
    unsigned int getYear() const { return year; }
    unsigned int getMonth() const { return month; }
    const WString& getFileName() const { return fileName; }
    bool isYearAverage() const { return yearAverage; }
    unsigned int getSeason() const { return static_cast<unsigned int>(season); }

    void onDialogInit() override;
    void onDialogClose() override;
    void onPanelCommand(unsigned long id, unsigned long code, WControl* control) override;

private:
    void confirm();
    // The season's message when the chosen data set does not reach it; a
    // file that does not open is left to the caller's load.
    bool seasonAvailable();
    void averageChanged(unsigned long changed);

    InputFieldSet fields;
    unsigned int year;
    unsigned int month;
    WString fileName;
    bool yearAverage;
    int season;
    InputValueTable seasons;
};
