#pragma once

// The years the user can choose. Grid files begin with January 1850, and
// four-digit years keep month numbers, file offsets and exported series
// bounded: a year at the end of the unsigned range would wrap to 0 at the
// next step.
constexpr unsigned int FIRST_YEAR = 1850;
constexpr unsigned int LAST_YEAR = 9999;
