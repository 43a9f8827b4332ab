#include "FieldChoice.h"

#include "DataSets.h"
#include "MonthText.h"
#include "YearRange.h"

namespace {

const char* const seasonCodes[4] = {"DJF", "MAM", "JJA", "SON"};
const char* const seasonNames[4] = {"Winter (DJF)", "Frühling (MAM)", "Sommer (JJA)",
                                    "Herbst (SON)"};

// The year of the data set's last month; the data set holds at least one.
unsigned int lastDataYear(unsigned int monthCount)
{
    return FIRST_YEAR + (monthCount - 1) / 12;
}

std::string yearsAllowed(unsigned int monthCount)
{
    return "Jahre von " + std::to_string(FIRST_YEAR) + " bis " +
           std::to_string(lastDataYear(monthCount)) + " möglich";
}

void requireMonths(unsigned int monthCount)
{
    if (monthCount == 0)
        throw FieldChoiceError("Der Datensatz enthält keinen Monat.");
}

// The season holding month k (k >= 1), and the year it counts for.
void seasonOfMonth(long long month, unsigned int& year, unsigned int& season)
{
    unsigned int monthOfYear = static_cast<unsigned int>((month - 1) % 12) + 1;
    year = FIRST_YEAR + static_cast<unsigned int>((month - 1) / 12);
    if (monthOfYear == 12)
        ++year;
    season = monthOfYear == 12 ? DJF : (monthOfYear + 9) / 3 - 2;
}

} // namespace

FieldChoiceError::FieldChoiceError(const std::string& message)
{
    set("FieldChoiceError", message.c_str(), -1, 0);
}

const char* seasonCode(unsigned int season)
{
    return season >= DJF && season <= SON ? seasonCodes[season - 1] : "";
}

const char* seasonName(unsigned int season)
{
    return season >= DJF && season <= SON ? seasonNames[season - 1] : "";
}

unsigned int seasonByCode(const std::string& code)
{
    for (unsigned int season = DJF; season <= SON; ++season)
        if (code == seasonCodes[season - 1])
            return season;
    return NO_SEASON;
}

long long seasonFirstMonth(unsigned int year, unsigned int season)
{
    return monthNumber(year, 3 * season) - 3;
}

std::string yearSpanText(unsigned int firstYear, unsigned int lastYear)
{
    return std::to_string(firstYear) + "–" + std::to_string(lastYear);
}

bool ReferencePeriod::operator==(const ReferencePeriod& other) const
{
    if (method == AS_STORED || other.method == AS_STORED)
        return method == other.method;
    return method == other.method && firstYear == other.firstYear && lastYear == other.lastYear;
}

const std::vector<ReferencePreset>& referencePresets()
{
    static const std::vector<ReferencePreset> presets = {
        {"1850–1900 (vorindustriell)", 1850, 1900},
        {"1951–1980", 1951, 1980},
        {"1961–1990", 1961, 1990},
        {"1991–2020", 1991, 2020},
    };
    return presets;
}

const char* referenceMethodName(ReferencePeriod::Method method)
{
    switch (method) {
    case ReferencePeriod::PER_CELL:
        return "je Zelle";
    case ReferencePeriod::GLOBAL:
        return "global";
    default:
        return "";
    }
}

std::string storedReferenceText(const char* dataSetName)
{
    // The HadCRUT family and HadSST2 are anomalies against 1961-1990;
    // abstem3 holds absolute temperatures, referred to no period.
    const DataSet* set = dataSetByFileName(dataSetName);
    if (set == nullptr || std::string(set->name) == "abstem3")
        return "";
    return yearSpanText(1961, 1990);
}

std::string storedReferenceChoice(const char* dataSetName)
{
    std::string period = storedReferenceText(dataSetName);
    return period.empty() ? "wie gespeichert" : "wie gespeichert (" + period + ")";
}

std::string referenceSuffix(const ReferencePeriod& reference)
{
    if (reference.isStored())
        return "";
    return "gegenüber " + yearSpanText(reference.firstYear, reference.lastYear);
}

bool TrendSpan::operator==(const TrendSpan& other) const
{
    return firstYear == other.firstYear && lastYear == other.lastYear &&
           season == other.season && month == other.month;
}

std::string trendSpanText(const TrendSpan& span)
{
    std::string text = "Trend ";
    if (span.season != NO_SEASON)
        text += std::string(seasonName(span.season)) + " ";
    else if (span.month != 0)
        text += std::string(germanMonthName(span.month)) + " ";
    return text + yearSpanText(span.firstYear, span.lastYear);
}

void checkReference(const ReferencePeriod& reference, unsigned int monthCount)
{
    if (reference.isStored())
        return;
    requireMonths(monthCount);
    std::string period = yearSpanText(reference.firstYear, reference.lastYear);
    if (reference.firstYear > reference.lastYear)
        throw FieldChoiceError("Im Bezugszeitraum " + period +
                               " liegt das erste Jahr nach dem letzten; " +
                               yearsAllowed(monthCount) + ".");
    if (reference.firstYear < FIRST_YEAR || reference.lastYear > lastDataYear(monthCount))
        throw FieldChoiceError("Der Bezugszeitraum " + period + " liegt nicht im Datensatz; " +
                               yearsAllowed(monthCount) + ".");
    if (reference.lastYear - reference.firstYear + 1 < MIN_REFERENCE_YEARS)
        throw FieldChoiceError("Der Bezugszeitraum " + period + " ist kürzer als " +
                               std::to_string(MIN_REFERENCE_YEARS) + " Jahre; " +
                               yearsAllowed(monthCount) + ".");
}

void checkSeason(unsigned int year, unsigned int season, unsigned int monthCount)
{
    requireMonths(monthCount);
    // A season needs its middle month in the data set: DJF of the first
    // year has January and February, the last season at least two months.
    unsigned int lastMonthOfYear = (monthCount - 1) % 12 + 1;
    bool startsSeason = lastMonthOfYear % 3 == 0;
    unsigned int lastYear, lastSeason;
    seasonOfMonth(startsSeason ? monthCount - 1 : monthCount, lastYear, lastSeason);
    std::string allowed = std::string("Jahreszeiten von ") + seasonName(DJF) + " " +
                          std::to_string(FIRST_YEAR) + " bis " + seasonName(lastSeason) + " " +
                          std::to_string(lastYear) + " möglich.";
    if (season < DJF || season > SON)
        throw FieldChoiceError("Keine Jahreszeit: DJF, MAM, JJA oder SON; " + allowed);
    long long middle = seasonFirstMonth(year, season) + 1;
    if (year > LAST_YEAR || middle < 1 || middle > monthCount)
        throw FieldChoiceError(std::string(seasonName(season)) + " " + std::to_string(year) +
                               " liegt nicht im Datensatz. " + allowed);
}

void checkTrend(const TrendSpan& span, unsigned int monthCount)
{
    requireMonths(monthCount);
    if (span.season > SON || span.month > 12 || (span.season != NO_SEASON && span.month != 0))
        throw FieldChoiceError("Ein Trend gilt dem Jahr, einer Jahreszeit oder einem Monat.");
    if (span.firstYear < FIRST_YEAR || span.lastYear > lastDataYear(monthCount) ||
        span.firstYear > span.lastYear ||
        span.lastYear - span.firstYear < MIN_TREND_YEARS_APART)
        throw FieldChoiceError("Trend " + yearSpanText(span.firstYear, span.lastYear) +
                               " nicht möglich: " + yearsAllowed(monthCount) + ", das letzte " +
                               "mindestens " + std::to_string(MIN_TREND_YEARS_APART) +
                               " Jahre nach dem ersten.");
}
