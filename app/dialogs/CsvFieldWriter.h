#pragma once

class OrvexDatabase;

// "Karte als Tabelle exportieren": the field a data set shows (a month, a
// year or season average, a trend map; referred as chosen) as CSV in the
// series export's conventions: semicolons, decimal commas, lines ended by
// CR LF. The heading names the data set, the period or trend span and the
// reference, then the columns; one line per cell follows, north to south
// and west to east, with the latitude and longitude of the cell's centre
// and its value, -99,9 for a cell without data.
class CsvFieldWriter {
public:
    // Creates the file anew; failures are WFileExceptions.
    static void write(const char* fileName, const OrvexDatabase& database);
};
