// Geometry of the 5-degree grids: row 0 is the band 90N-85N and rows run
// southwards; column 0 is 180W-175W and columns run eastwards.
#pragma once

namespace demodata {

constexpr int kRows = 36;
constexpr int kColumns = 72;
constexpr int kCells = kRows * kColumns;
constexpr double kCellDegrees = 5.0;

// What the map program reads as "no value": anything outside -99..99.
constexpr double kMissingValue = -99.9;

// Month index 1 is January 1850, the first block of every file.
constexpr int kFirstYear = 1850;

inline int cellIndex(int row, int column) { return row * kColumns + column; }
inline double cellLatitude(int row) { return 87.5 - kCellDegrees * row; }
inline double cellLongitude(int column) { return -177.5 + kCellDegrees * column; }

inline int monthIndexOf(int year, int month) { return (year - kFirstYear) * 12 + month; }
inline int yearOfMonthIndex(int monthIndex) { return kFirstYear + (monthIndex - 1) / 12; }
inline int monthOfMonthIndex(int monthIndex) { return (monthIndex - 1) % 12 + 1; }

// Middle of the month as a fractional year, e.g. 1850.0417 for January 1850.
inline double decimalYear(int monthIndex) { return kFirstYear + (monthIndex - 0.5) / 12.0; }

} // namespace demodata
