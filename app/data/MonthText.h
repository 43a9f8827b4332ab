#pragma once

#include <string>

// Months are counted from January of FIRST_YEAR as month 1, so that month
// k is the k-th block of a grid file; month 0 is the December before.

// Month k of the year and month given (month 1..12).
long long monthNumber(unsigned int year, unsigned int month);

// "1850-01" for month 1, as reports and messages name months.
std::string monthText(long long month);

// "Januar" ... "Dezember" for month of the year 1..12 (Windows-1252).
const char* germanMonthName(unsigned int monthOfYear);

// "Januar 1850" for month 1, as the dialogs name months (Windows-1252).
std::string germanMonthText(long long month);
