#include "CoverageSummary.h"

#include <cmath>

#include "GridLayout.h"
#include "PairwiseSum.h"
#include "PortableSine.h"

const std::array<double, 36>& latitudeWeights()
{
    static const std::array<double, 36> weights = [] {
        const double delta = 5 * 0.0174532925;
        const double sphere = 6371.0 * 6371.0 * 12.5663706;
        std::array<double, 36> w;
        for (int row = 0; row < 36; ++row) {
            double upper = 1.570796325 - delta * row;
            double lower = upper - delta;
            w[row] = std::fabs(portableSine(lower) - portableSine(upper)) * (1.0 / (360.0 / 5)) *
                     (6371.0 * 6371.0) * 6.2831853 * (1.0 / sphere);
        }
        return w;
    }();
    return weights;
}

CoverageSummary::CoverageSummary(int blocks) : withData(blocks), coverages(blocks) {}

void CoverageSummary::add(int firstBlock, const unsigned char* valid, int months)
{
    const std::array<double, 36>& weights = latitudeWeights();
    for (int month = 0; month < months; ++month) {
        const unsigned char* cells = valid + static_cast<size_t>(month) * GridLayout::cells;
        bool any = false;
        for (int i = 0; i < GridLayout::cells; ++i)
            any = any || cells[i];
        double covered = numpySum(
            [&](ptrdiff_t i) { return (cells[i] ? 1.0 : 0.0) * weights[i / GridLayout::columns]; },
            GridLayout::cells);
        withData[firstBlock - 1 + month] = any;
        coverages[firstBlock - 1 + month] = 100.0 * covered;
    }
}

double CoverageSummary::meanCoverage(int firstBlock, int lastBlock) const
{
    const double* first = &coverages[firstBlock - 1];
    int count = lastBlock - firstBlock + 1;
    return numpySum([&](ptrdiff_t i) { return first[i]; }, count) / count;
}

int CoverageSummary::firstBlockWithData() const
{
    for (int block = 1; block <= blocks(); ++block) {
        if (hasData(block))
            return block;
    }
    return 0;
}

int CoverageSummary::lastBlockWithData() const
{
    for (int block = blocks(); block >= 1; --block) {
        if (hasData(block))
            return block;
    }
    return 0;
}
