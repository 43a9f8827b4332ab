#include "ChartTexts.h"

#include <cmath>
#include <cstdio>

#include "ChartSeries.h"

namespace {

std::string withComma(std::string text)
{
    for (char& c : text)
        if (c == '.')
            c = ',';
    return text;
}

} // namespace

std::string axisNumber(double value, int decimals)
{
    char text[64];
    double rounded = std::fabs(value) < 0.5 * std::pow(10.0, -decimals) ? 0.0 : value;
    std::snprintf(text, sizeof text, "%.*f", decimals, rounded);
    return withComma(text);
}

std::string degreeText(double value, int decimals)
{
    std::string number = axisNumber(value, decimals);
    bool positive = number.find_first_not_of("0,") != std::string::npos && value > 0;
    return (positive ? "+" : "") + number + " °C";
}

std::string perDecadeText(double value)
{
    return degreeText(value, 2) + "/Jahrzehnt";
}

std::string referenceText(const ChartSeries& series)
{
    const ReferencePeriod& period = series.reference();
    if (period.isStored())
        return "Bezug: " + storedReferenceChoice(series.dataSetName().c_str());
    return "Bezug: " + referenceSuffix(period) + " (" + referenceMethodName(period.method) + ")";
}
