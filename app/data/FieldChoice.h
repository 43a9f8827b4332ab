#pragma once

#include <string>
#include <vector>

#include "WException.h"

// What the user chooses beyond a month or a year: a season, the period the
// anomalies are referred to, or a trend map; their texts for titles,
// legends, tables and dialogs (Windows-1252), and the input they reject.

// Input the data set cannot answer: a period outside it, too few years, a
// season before its start, a trend span without a cell meeting the rule.
// The message is German and names the allowed range; whoever threw it has
// changed nothing.
class FieldChoiceError : public WException {
public:
    explicit FieldChoiceError(const std::string& message);
};

// Seasons as weather services report them. DJF of a year is December of
// the year before, January and February.
enum Season : unsigned int { NO_SEASON = 0, DJF = 1, MAM = 2, JJA = 3, SON = 4 };

// "DJF", "MAM", "JJA", "SON"; empty for any other number.
const char* seasonCode(unsigned int season);
// "Winter (DJF)", "Frühling (MAM)", "Sommer (JJA)", "Herbst (SON)".
const char* seasonName(unsigned int season);
// 1..4 for "DJF".."SON"; 0 for any other text.
unsigned int seasonByCode(const std::string& code);
// The month number (see MonthText.h) of the season's first month.
long long seasonFirstMonth(unsigned int year, unsigned int season);

// Fewest years of a reference period, and the fewest years between the
// first and last year of a trend.
constexpr unsigned int MIN_REFERENCE_YEARS = 10;
constexpr unsigned int MIN_TREND_YEARS_APART = 10;

// "1850–1900".
std::string yearSpanText(unsigned int firstYear, unsigned int lastYear);

// What the shown anomalies are referred to. As stored, they are the data
// set's own; per cell, each cell and calendar month is referred to its own
// mean over the period (needing values in at least half of the period's
// years); globally, every cell loses the period's mean of the global value.
struct ReferencePeriod {
    enum Method { AS_STORED = 0, PER_CELL = 1, GLOBAL = 2 };
    Method method = AS_STORED;
    unsigned int firstYear = 0;
    unsigned int lastYear = 0;

    bool isStored() const { return method == AS_STORED; }
    bool operator==(const ReferencePeriod& other) const;
    bool operator!=(const ReferencePeriod& other) const { return !(*this == other); }
};

// The periods offered besides any first and last year.
struct ReferencePreset {
    const char* label; // "1850–1900 (vorindustriell)", "1951–1980", ...
    unsigned int firstYear;
    unsigned int lastYear;
};
const std::vector<ReferencePreset>& referencePresets();

// "je Zelle", "global"; empty as stored.
const char* referenceMethodName(ReferencePeriod::Method method);
// The period a data set's anomalies are stored against ("1961–1990"),
// found by its file name; empty for a file of no known data set.
std::string storedReferenceText(const char* dataSetName);
// "wie gespeichert (1961–1990)", or "wie gespeichert" when unknown.
std::string storedReferenceChoice(const char* dataSetName);
// "gegenüber 1850–1900"; empty as stored.
std::string referenceSuffix(const ReferencePeriod& reference);

// A trend map: each cell's least-squares trend, in degrees per decade, of
// its means of one part of the year against the year, from the first to
// the last year. A cell needs means in at least two thirds of the years.
struct TrendSpan {
    unsigned int firstYear = 0;
    unsigned int lastYear = 0;
    unsigned int season = NO_SEASON; // 1..4: the season's means
    unsigned int month = 0;          // 1..12: the month's values; 0 and no season: year averages

    bool operator==(const TrendSpan& other) const;
    bool operator!=(const TrendSpan& other) const { return !(*this == other); }
};

// "Trend 1975–2024", "Trend Sommer (JJA) 1975–2024", "Trend Juli 1975–2024".
std::string trendSpanText(const TrendSpan& span);

// The checks against a data set of monthCount months from January of
// FIRST_YEAR; each throws FieldChoiceError naming the allowed range.
void checkReference(const ReferencePeriod& reference, unsigned int monthCount);
void checkSeason(unsigned int year, unsigned int season, unsigned int monthCount);
void checkTrend(const TrendSpan& span, unsigned int monthCount);
