#pragma once

#include "GmsCoordinates.h"
#include "InputFieldSet.h"
#include "WDialog.h"
#include "WString.h"

// "Position": the name of a position and its latitude and longitude in
// degrees, minutes and hemisphere.
//
//     PositionDialog dialog(&mainWindow);
//     dialog.setName("Neue Position");
//     dialog.setCoordinates(position.coordinates);
//     if (dialog.show(true) == 1) { position.name = dialog.getName();
//                                   position.coordinates = dialog.getCoordinates(); }
//
// show(true) returns 1 for "OK" with a name that positions.txt can hold and
// coordinates in range (0..90° 0..59' latitude, 0..180° 0..59' longitude, no
// minutes at 90° or 180°), 0 for "Abbrechen", Escape or the close box. The seconds and the
// label of the coordinates handed in come back unchanged.
class PositionDialog : public WDialog {
public:
    explicit PositionDialog(WWindowContext* parent);

    void setName(const char* value) { name = value; }
    void setCoordinates(const GmsCoordinates& value);
    const WString& getName() const { return name; }
    const GmsCoordinates& getCoordinates() const { return coordinates; }

    void onDialogInit() override;
    void onDialogClose() override;
    void onPanelCommand(unsigned long id, unsigned long code, WControl* control) override;

    // The hemisphere choices, "0" -> "Nord", "1" -> "Süd" and "0" -> "Ost",
    // "1" -> "West": one table each for the process, filled at every set-up.
    static InputValueTable& getLatitudeTable();
    static InputValueTable& getLongitudeTable();

private:
    void confirm();

    InputFieldSet fields;
    GmsCoordinates coordinates;
    WString name;
};
