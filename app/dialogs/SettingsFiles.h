#pragma once

#include "WString.h"

class PositionCollection;

// The settings the program keeps between runs in init.txt, with the
// defaults in force when a key is absent, 0 or empty.
struct ProgramSettings {
    WString dataFile = "data/cru/hadcrut3v.dat";
    int year = 1990;
    int month = 6;
    int mapType = 2;
    int scalePercent = 75;
    bool yearAverage = false;
    bool orthographic = false;
    // The reference period the anomalies are shown against; 0 and 0: the
    // data set's own, as stored.
    int referenceFirstYear = 0;
    int referenceLastYear = 0;
    // The period's mean of the global value instead of each cell's own.
    bool referenceGlobal = false;
    // 1 to 4 for DJF, MAM, JJA, SON; 0: a month or a year average.
    int season = 0;
};

// init.txt ("KEY=value" lines) and positions.txt (one tab-separated
// position per line). Both are written to a temporary file in the same
// folder that then replaces the old file, so that a failure or a crash while
// writing never leaves a truncated settings file behind.
class SettingsFiles {
public:
    static const char* const INIT_FILE;
    static const char* const POSITIONS_FILE;

    // Throws WFileNotFoundException when the file does not exist; keys that
    // are absent keep the defaults.
    static void readSettings(const char* fileName, ProgramSettings& settings);
    // Adds the positions of the file under the numbers 1, 2, 3 ...; comment
    // lines (#) and lines of fewer than nine fields are skipped. Throws
    // WFileNotFoundException when the file does not exist.
    static void readPositions(const char* fileName, PositionCollection& positions);

    static void writeSettings(const char* fileName, const ProgramSettings& settings);
    // In insertion order; the collection's iteration is rewound afterwards.
    static void writePositions(const char* fileName, PositionCollection& positions);

    // Why a position of this name would not come back from positions.txt,
    // as a German sentence for the user that names the character; null when
    // it would. Lines are trimmed, split at tabs and skipped as comments when
    // they begin with "#", and a line feed or a zero byte ends what is read.
    static const char* positionNameProblem(const WString& name);

    // The scale percentages a window can be made at; others count as absent.
    static constexpr int MIN_SCALE_PERCENT = 10;
    static constexpr int MAX_SCALE_PERCENT = 200;
};
