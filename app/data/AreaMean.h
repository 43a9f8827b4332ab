#pragma once

// The global value of a field as the map gives it: the area-weighted mean
// over the cells with data (count not 0), and the percent of the earth's
// surface those cells cover. values and counts are row-major, one weight
// per row. False, mean and coverage 0, when no cell has data.
bool areaMean(const double* values, const unsigned int* counts, const double* latitudeWeights,
              unsigned int rows, unsigned int columns, double& mean, double& coverage);
