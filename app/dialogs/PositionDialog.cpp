#include "PositionDialog.h"

#include "DialogIds.h"
#include "SettingsFiles.h"
#include "WException.h"
#include "WSystem.h"

namespace {

bool inRange(int degrees, int minutes, int maximumDegrees)
{
    return degrees >= 0 && degrees <= maximumDegrees && minutes >= 0 && minutes <= 59 &&
           (degrees < maximumDegrees || minutes == 0);
}

} // namespace

PositionDialog::PositionDialog(WWindowContext* parent) : WDialog(parent, IDD_POSITION)
{
    fields.attach(this);
}

void PositionDialog::setCoordinates(const GmsCoordinates& value)
{
    coordinates = value;
}

InputValueTable& PositionDialog::getLatitudeTable()
{
    static InputValueTable table(100);
    return table;
}

InputValueTable& PositionDialog::getLongitudeTable()
{
    static InputValueTable table(100);
    return table;
}

void PositionDialog::onDialogInit()
{
    // The system's dialog colours for the panel and its labels alike.
    setColor(GetSysColor(COLOR_WINDOWTEXT), GetSysColor(COLOR_BTNFACE));
    InputValueTable& latitudes = getLatitudeTable();
    latitudes.put("0", "Nord");
    latitudes.put("1", "Süd");
    InputValueTable& longitudes = getLongitudeTable();
    longitudes.put("0", "Ost");
    longitudes.put("1", "West");

    fields.addTextField(IDC_POSITION_NAME, &name);
    fields.addIntegerField(IDC_POSITION_LAT_DEGREES, &coordinates.latDegrees);
    fields.addIntegerField(IDC_POSITION_LAT_MINUTES, &coordinates.latMinutes);
    fields.addChoiceByNumber(IDC_POSITION_LAT_HEMISPHERE, &coordinates.latSouth, &latitudes, true);
    fields.addIntegerField(IDC_POSITION_LON_DEGREES, &coordinates.lonDegrees);
    fields.addIntegerField(IDC_POSITION_LON_MINUTES, &coordinates.lonMinutes);
    fields.addChoiceByNumber(IDC_POSITION_LON_HEMISPHERE, &coordinates.lonWest, &longitudes, true);
    fields.updateControls();
}

void PositionDialog::onDialogClose()
{
    close(0);
}

void PositionDialog::onPanelCommand(unsigned long id, unsigned long, WControl*)
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

void PositionDialog::confirm()
{
    if (!fields.validate())
        return;
    fields.updateVariables();
    // A name positions.txt cannot hold would be lost at the next start.
    if (const char* problem = SettingsFiles::positionNameProblem(name))
        WSystem::showMessage(this, problem, "Information", false);
    else if (!inRange(coordinates.latDegrees, coordinates.latMinutes, 90))
        WSystem::showMessage(this,
                             "Ungültige Breitenangabe (0..90 Bogengrad, 0..59 Minuten möglich)!",
                             "Information", false);
    else if (!inRange(coordinates.lonDegrees, coordinates.lonMinutes, 180))
        WSystem::showMessage(this,
                             "Ungültige Längenangabe (0..180 Längengrad, 0..59 Minuten möglich)!",
                             "Information", false);
    else
        close(1);
}
