#include "AreaMean.h"

bool areaMean(const double* values, const unsigned int* counts, const double* latitudeWeights,
              unsigned int rows, unsigned int columns, double& mean, double& coverage)
{
    double weightedSum = 0.0;
    double weightWithData = 0.0;
    for (unsigned int row = 0; row < rows; ++row) {
        double weight = latitudeWeights[row];
        for (unsigned int column = 0; column < columns; ++column) {
            unsigned long i = static_cast<unsigned long>(row) * columns + column;
            if (counts[i] != 0) {
                weightedSum = values[i] * weight + weightedSum;
                weightWithData += weight;
            }
        }
    }
    // Cells without data count as having the mean of those with data, so
    // the sum is scaled up to the whole earth rather than padded.
    bool withData = weightWithData > 0.0;
    mean = withData ? weightedSum / weightWithData : 0.0;
    coverage = weightWithData * 100.0;
    return withData;
}
