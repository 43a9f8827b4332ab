#pragma once

#include <cstdint>
#include <string>
#include <vector>

// Decoding of CF time coordinates into calendar months: year * 12 + month - 1
// of every value, so that January 1850 is 1850 * 12. A time value is
// "<unit> since <date>" in one of the CF calendars, or, as Berkeley Earth
// writes it, a decimal year ("year A.D."). Decoded here rather than by a
// library, with the console importer's rules, so that every reader of a
// file gives the same months.
//
// units and calendar as the file gives them (UTF-8; calendar "" is
// "standard"). Throws ImportFailure for missing values, units or calendars
// it cannot read.
std::vector<int64_t> monthNumbers(const std::vector<double>& values, const std::string& units,
                                  const std::string& calendar);
