#include "TimeAxis.h"

#include <pcre.h>

#include <cmath>
#include <cstdlib>
#include <map>

#include "ImportFailure.h"
#include "ImportText.h"

namespace {

// Julian day number of 1582-10-15, the first day of the Gregorian calendar
// in CF's mixed "standard" calendar.
const int64_t GREGORIAN_START_JDN = 2299161;
// A time a hair before midnight (0.09 s) belongs to the next day: values
// written as floats rarely land exactly on a day or month boundary.
const double EPSILON = 1e-6;

// The months the program can place: January -9999 to December 9999, its
// last month. Values are checked against them before any conversion to an
// integer, so that no arithmetic on a bogus time overflows.
const int64_t FIRST_YEAR_HELD = -9999, LAST_YEAR_HELD = 9999;
const double FIRST_MONTH_HELD = FIRST_YEAR_HELD * 12.0, LAST_MONTH_HELD = LAST_YEAR_HELD * 12.0 + 11;

const int NOLEAP_MONTH_STARTS[] = {0, 31, 59, 90, 120, 151, 181, 212, 243, 273, 304, 334, 365};
const int ALL_LEAP_MONTH_STARTS[] = {0, 31, 60, 91, 121, 152, 182, 213, 244, 274, 305, 335, 366};

enum class Calendar { Standard, ProlepticGregorian, Julian, NoLeap, AllLeap, Days360 };

// A compiled pattern with Python's re.match semantics (anchored by the pattern).
class Pattern {
public:
    explicit Pattern(const char* pattern) {
        const char* error = nullptr;
        int offset = 0;
        compiled = pcre_compile(pattern, 0, &error, &offset, nullptr);
    }
    Pattern(const Pattern&) = delete;
    Pattern& operator=(const Pattern&) = delete;
    ~Pattern() { pcre_free(compiled); }

    // The groups of a match (empty texts for groups that took no part), or false.
    bool match(const std::string& text, std::vector<std::string>& groups) const {
        int vector[60];
        int count = pcre_exec(compiled, nullptr, text.c_str(), int(text.size()), 0, 0, vector, 60);
        if (count < 0)
            return false;
        int groupCount = 0;
        pcre_fullinfo(compiled, nullptr, PCRE_INFO_CAPTURECOUNT, &groupCount);
        groups.assign(size_t(groupCount), std::string());
        for (int g = 1; g < count; ++g)
            if (vector[2 * g] >= 0)
                groups[size_t(g - 1)] = text.substr(size_t(vector[2 * g]), size_t(vector[2 * g + 1] - vector[2 * g]));
        return true;
    }

private:
    pcre* compiled = nullptr;
};

const Pattern& decimalYear() {
    static const Pattern p("^years?\\s+a\\.?\\s*d\\.?$");
    return p;
}

const Pattern& since() {
    static const Pattern p("^([a-z]+)\\s+since\\s+(.+)$");
    return p;
}

const Pattern& reference() {
    static const Pattern p("^(-?\\d{1,4})-(\\d{1,2})(?:-(\\d{1,2}))?"
                           "(?:(?:t|\\s+)(\\d{1,2}):(\\d{1,2})(?::(\\d{1,2}(?:\\.\\d*)?))?)?"
                           "\\s*(?:z|utc|gmt|([+-]\\d{1,2})(?::?(\\d{2}))?)?$");
    return p;
}

double daysPerUnit(const std::string& unit, bool& known) {
    static const std::map<std::string, double> units = {
        {"day", 1.0}, {"days", 1.0}, {"d", 1.0},
        {"hour", 1.0 / 24}, {"hours", 1.0 / 24}, {"hr", 1.0 / 24}, {"hrs", 1.0 / 24}, {"h", 1.0 / 24},
        {"minute", 1.0 / 1440}, {"minutes", 1.0 / 1440}, {"min", 1.0 / 1440}, {"mins", 1.0 / 1440},
        {"second", 1.0 / 86400}, {"seconds", 1.0 / 86400}, {"sec", 1.0 / 86400}, {"secs", 1.0 / 86400},
        {"s", 1.0 / 86400}};
    auto found = units.find(unit);
    known = found != units.end();
    return known ? found->second : 0.0;
}

bool calendarOf(const std::string& name, Calendar& calendar) {
    static const std::map<std::string, Calendar> calendars = {
        {"standard", Calendar::Standard}, {"gregorian", Calendar::Standard},
        {"proleptic_gregorian", Calendar::ProlepticGregorian}, {"julian", Calendar::Julian},
        {"noleap", Calendar::NoLeap}, {"365_day", Calendar::NoLeap}, {"all_leap", Calendar::AllLeap},
        {"366_day", Calendar::AllLeap}, {"360_day", Calendar::Days360}};
    auto found = calendars.find(name);
    if (found == calendars.end())
        return false;
    calendar = found->second;
    return true;
}

// Division and remainder rounding down, as Python's // and % do.
int64_t floorDiv(int64_t a, int64_t b) {
    int64_t q = a / b;
    return (a % b != 0 && ((a < 0) != (b < 0))) ? q - 1 : q;
}

int64_t floorMod(int64_t a, int64_t b) {
    return a - floorDiv(a, b) * b;
}

// Julian day numbers (Fliegel and Van Flandern; Richards), with floor
// division so that they hold for years before 1 as well.
int64_t gregorianToJdn(int64_t y, int64_t m, int64_t d) {
    int64_t a = floorDiv(14 - m, 12), y2 = y + 4800 - a, m2 = m + 12 * a - 3;
    return d + floorDiv(153 * m2 + 2, 5) + 365 * y2 + floorDiv(y2, 4) - floorDiv(y2, 100) + floorDiv(y2, 400) - 32045;
}

int64_t julianToJdn(int64_t y, int64_t m, int64_t d) {
    int64_t a = floorDiv(14 - m, 12), y2 = y + 4800 - a, m2 = m + 12 * a - 3;
    return d + floorDiv(153 * m2 + 2, 5) + 365 * y2 + floorDiv(y2, 4) - 32083;
}

void jdnToGregorian(int64_t jdn, int64_t& year, int64_t& month) {
    int64_t a = jdn + 32044, b = floorDiv(4 * a + 3, 146097), c = a - floorDiv(146097 * b, 4);
    int64_t d = floorDiv(4 * c + 3, 1461), e = c - floorDiv(1461 * d, 4), m = floorDiv(5 * e + 2, 153);
    year = 100 * b + d - 4800 + floorDiv(m, 10);
    month = m + 3 - 12 * floorDiv(m, 10);
}

void jdnToJulian(int64_t jdn, int64_t& year, int64_t& month) {
    int64_t c = jdn + 32082, d = floorDiv(4 * c + 3, 1461), e = c - floorDiv(1461 * d, 4), m = floorDiv(5 * e + 2, 153);
    year = d - 4800 + floorDiv(m, 10);
    month = m + 3 - 12 * floorDiv(m, 10);
}

int64_t dayNumber(int64_t y, int64_t m, int64_t d, Calendar calendar) {
    switch (calendar) {
    case Calendar::Standard:
        return y * 10000 + m * 100 + d >= 15821015 ? gregorianToJdn(y, m, d) : julianToJdn(y, m, d);
    case Calendar::ProlepticGregorian: return gregorianToJdn(y, m, d);
    case Calendar::Julian: return julianToJdn(y, m, d);
    case Calendar::NoLeap: return y * 365 + NOLEAP_MONTH_STARTS[m - 1] + d - 1;
    case Calendar::AllLeap: return y * 366 + ALL_LEAP_MONTH_STARTS[m - 1] + d - 1;
    default: return y * 360 + (m - 1) * 30 + d - 1;
    }
}

// year * 12 + month - 1 of a day number made by dayNumber.
int64_t monthOfDay(int64_t day, Calendar calendar) {
    int64_t year = 0, month = 0;
    switch (calendar) {
    case Calendar::Standard:
        if (day >= GREGORIAN_START_JDN)
            jdnToGregorian(day, year, month);
        else
            jdnToJulian(day, year, month);
        break;
    case Calendar::ProlepticGregorian: jdnToGregorian(day, year, month); break;
    case Calendar::Julian: jdnToJulian(day, year, month); break;
    case Calendar::NoLeap:
    case Calendar::AllLeap: {
        int length = calendar == Calendar::NoLeap ? 365 : 366;
        const int* starts = calendar == Calendar::NoLeap ? NOLEAP_MONTH_STARTS : ALL_LEAP_MONTH_STARTS;
        year = floorDiv(day, length);
        int64_t dayOfYear = floorMod(day, length);
        month = 0;
        while (month < 13 && starts[month] <= dayOfYear)
            ++month;
        break;
    }
    default:
        year = floorDiv(day, 360);
        month = floorDiv(floorMod(day, 360), 30) + 1;
    }
    return year * 12 + month - 1;
}

[[noreturn]] void unreadable(const std::string& englishReason, const std::string& germanReason) {
    throw ImportFailure(englishReason, germanReason);
}

struct Reference {
    int64_t year, month, day;
    double dayFraction;  // in UTC
};

Reference parseReference(const std::string& text, const std::string& units) {
    std::vector<std::string> g;
    std::string shown = utf8ToCp1252(units);
    if (!reference().match(stripped(text), g))
        unreadable("cannot read the reference date of the time units '" + shown + "'",
                   "das Bezugsdatum der Zeiteinheit '" + shown + "' ist unlesbar");
    Reference r{std::atoll(g[0].c_str()), std::atoll(g[1].c_str()), g[2].empty() ? 1 : std::atoll(g[2].c_str()), 0};
    if (!(1 <= r.month && r.month <= 12 && 1 <= r.day && r.day <= 31))
        unreadable("the reference date of the time units '" + shown + "' is not a date",
                   "das Bezugsdatum der Zeiteinheit '" + shown + "' ist kein Datum");
    double seconds = double(std::atoll(g[3].c_str()) * 3600 + std::atoll(g[4].c_str()) * 60);
    seconds += g[5].empty() ? 0.0 : std::strtod(g[5].c_str(), nullptr);
    if (!g[6].empty()) {
        int64_t offset = std::llabs(std::atoll(g[6].c_str())) * 3600 + std::atoll(g[7].c_str()) * 60;
        seconds -= g[6][0] != '-' ? double(offset) : -double(offset);
    }
    r.dayFraction = seconds / 86400;
    return r;
}

// Refuses the first value whose month (or day number, within first and
// last) lies outside the months the program can place.
void checkRange(const std::vector<double>& values, const std::vector<double>& positions, double first, double last,
                const std::string& units) {
    for (size_t i = 0; i < positions.size(); ++i) {
        if (positions[i] >= first && positions[i] <= last)
            continue;
        std::string step = formatted("time step %zu (", i + 1) + pythonFloat(values[i]) + " " + utf8ToCp1252(units) + ")";
        std::string schritt = formatted("der Zeitschritt %zu (", i + 1) + pythonFloat(values[i]) + " " +
                              utf8ToCp1252(units) + ")";
        if (positions[i] > last)
            unreadable(step + " falls after December 9999, the last month this program holds",
                       schritt + " fällt nach Dezember 9999, dem letzten Monat, den das Programm fasst");
        unreadable(step + " falls before the year -9999, the first this program can place",
                   schritt + " fällt vor das Jahr -9999, das erste, das das Programm einordnen kann");
    }
}

std::vector<int64_t> integers(const std::vector<double>& positions) {
    return std::vector<int64_t>(positions.begin(), positions.end());
}

}  // namespace

std::vector<int64_t> monthNumbers(const std::vector<double>& values, const std::string& units,
                                  const std::string& calendarName) {
    for (double v : values)
        if (!std::isfinite(v))
            unreadable("the time axis has missing values", "die Zeitachse hat fehlende Werte");
    std::string text = joined(splitWords(lowerAscii(stripped(units))), " ");
    std::vector<double> positions;
    std::vector<std::string> g;
    if (decimalYear().match(text, g)) {
        for (double v : values)
            positions.push_back(std::floor(v * 12 + EPSILON));
        checkRange(values, positions, FIRST_MONTH_HELD, LAST_MONTH_HELD, units);
        return integers(positions);
    }
    std::string shown = utf8ToCp1252(units);
    if (!since().match(text, g))
        unreadable("cannot read the time units '" + shown + "' (expected '<unit> since <date>')",
                   "die Zeiteinheit '" + shown + "' ist unlesbar (erwartet: '<Einheit> since <Datum>')");
    std::string unit = g[0];
    Reference r = parseReference(g[1], units);
    if (unit == "month" || unit == "months") {
        // Calendar months: the day of the reference date does not move them.
        for (double v : values)
            positions.push_back(double(r.year * 12 + r.month - 1) + std::floor(v + EPSILON));
        checkRange(values, positions, FIRST_MONTH_HELD, LAST_MONTH_HELD, units);
        return integers(positions);
    }
    bool known = false;
    double perUnit = daysPerUnit(unit, known);
    if (!known)
        unreadable("cannot read the time units '" + shown + "': unknown unit '" + utf8ToCp1252(unit) + "'",
                   "die Zeiteinheit '" + shown + "' ist unlesbar: unbekannte Einheit '" + utf8ToCp1252(unit) + "'");
    std::string name = lowerAscii(stripped(calendarName));
    if (name.empty())
        name = "standard";
    Calendar calendar;
    if (!calendarOf(name, calendar))
        unreadable("the calendar '" + utf8ToCp1252(name) + "' of the time axis is not supported",
                   "der Kalender '" + utf8ToCp1252(name) + "' der Zeitachse wird nicht unterstützt");
    double start = double(dayNumber(r.year, r.month, r.day, calendar));
    for (double v : values)
        positions.push_back(std::floor(start + r.dayFraction + v * perUnit + EPSILON));
    checkRange(values, positions, double(dayNumber(FIRST_YEAR_HELD, 1, 1, calendar)),
               double(dayNumber(LAST_YEAR_HELD + 1, 1, 1, calendar) - 1), units);
    std::vector<int64_t> months;
    for (double day : positions)
        months.push_back(monthOfDay(int64_t(day), calendar));
    return months;
}
