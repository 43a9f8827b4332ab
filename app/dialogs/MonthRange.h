#pragma once

#include "WString.h"

// The first reason a range of months typed into a dialog cannot be taken, or
// null: years from FIRST_YEAR to LAST_YEAR, months 1-12, the start year not
// after the stop year and, with monthsInOrder, the start month not after the
// stop month within one year. A reason with a number is formatted into text.
const char* monthRangeProblem(unsigned int startYear, unsigned int startMonth, unsigned int stopYear,
                              unsigned int stopMonth, bool monthsInOrder, WFormattedString& text);

// For a range monthRangeProblem took: the reason it reaches past a data set
// of monthCount whole months from January FIRST_YEAR, or null. A year
// average needs only its year's first month: a partly filled year averages
// the months it has, as the map shows it.
const char* dataSetRangeProblem(unsigned int stopYear, unsigned int stopMonth, bool yearAverage,
                                unsigned int monthCount, WFormattedString& text);
