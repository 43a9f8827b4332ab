#pragma once

#include <string>

class ChartSeries;

// Texts of the chart and the stripes (Windows-1252).

// "+0,53 °C", "-0,10 °C", "0,00 °C".
std::string degreeText(double value, int decimals);
// "+0,19 °C/Jahrzehnt".
std::string perDecadeText(double value);
// The value with a decimal comma and no sign for zero or above: "0,5".
std::string axisNumber(double value, int decimals);
// "Bezug: gegenüber 1850–1900 (je Zelle)", "Bezug: wie gespeichert (1961–1990)".
std::string referenceText(const ChartSeries& series);
