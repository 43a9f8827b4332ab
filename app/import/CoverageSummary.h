#pragma once

#include <array>
#include <vector>

// The program's area weight of one cell in each row, north first (shares of
// the earth's surface).
const std::array<double, 36>& latitudeWeights();

// What a written grid file holds, for the import's report: per block (month
// from January 1850, 1-based) whether it has a value and the share of the
// earth's surface its values cover, summed as numpy sums them so that the
// report prints the Python importer's figures.
class CoverageSummary {
public:
    explicit CoverageSummary(int blocks);

    // valid: months x 36 x 72, non-zero where a block from firstBlock on has a value.
    void add(int firstBlock, const unsigned char* valid, int months);

    int blocks() const { return static_cast<int>(coverages.size()); }
    bool hasData(int block) const { return withData[block - 1] != 0; }
    // Percent of the earth's surface, 100 * the sum of the weights of the cells with a value.
    double coverage(int block) const { return coverages[block - 1]; }
    // The mean coverage of the blocks firstBlock .. lastBlock.
    double meanCoverage(int firstBlock, int lastBlock) const;
    // The first and last block with a value; 0 when no block has one.
    int firstBlockWithData() const;
    int lastBlockWithData() const;

private:
    std::vector<unsigned char> withData;
    std::vector<double> coverages;
};
