// The commands on what the map shows beyond a month or a year: the
// reference period, the trend map, and the shown field as a table.
#include "OrvexVisualizer.h"

#include "CsvFieldWriter.h"
#include "ReferenceDialog.h"
#include "SaveFormat.h"
#include "TrendDialog.h"
#include "WSystem.h"

void OrvexVisualizer::chooseReference()
{
    ReferenceDialog dialog(this, map.database);
    if (dialog.show(true) != 1)
        return;
    startTask(TASK_RENDER);
    refreshStatusText();
}

void OrvexVisualizer::chooseTrend()
{
    OrvexDatabase& database = map.database;
    TrendDialog dialog(this, database);
    int result = dialog.show(true);
    // Back to the month, year or season shown before the trend map.
    if (result == TrendDialog::RESULT_TREND_OFF && database.getSeason() != NO_SEASON)
        database.loadSeason(database.getYear(), database.getSeason());
    else if (result == TrendDialog::RESULT_TREND_OFF)
        database.load(database.getYear(), database.getMonth(), database.isYearAverage());
    else if (result != TrendDialog::RESULT_TREND)
        return;
    startTask(TASK_RENDER);
    refreshStatusText();
}

void OrvexVisualizer::exportMapTable()
{
    WString name;
    if (chooseSaveFile(SaveFormat::csv, name))
        CsvFieldWriter::write(name, map.database);
}

void OrvexVisualizer::tellReferenceNotice()
{
    const std::string& notice = map.database.getReferenceNotice();
    if (!notice.empty())
        WSystem::showMessage(this, notice.c_str(), "Information", false);
}

void OrvexVisualizer::applyStartChoices()
{
    OrvexDatabase& database = map.database;
    // A reference or season init.txt holds that this data set cannot answer
    // is told; the map then shows the stored anomalies or the month.
    try {
        if (!startReference.isStored())
            database.setReference(startReference);
    } catch (const FieldChoiceError& e) {
        WSystem::showMessage(this, e.getMessage(), "Information", false);
    }
    try {
        if (startSeason != NO_SEASON && !startYearAverage)
            database.loadSeason(static_cast<unsigned int>(startYear),
                                static_cast<unsigned int>(startSeason));
    } catch (const FieldChoiceError& e) {
        WSystem::showMessage(this, e.getMessage(), "Information", false);
    }
}
