// Which grid cells a station network reports in a given month.
//
// A coarse history of the real networks: land stations spreading out from
// Europe and eastern North America, ships' observations along the sailing
// and steamer lanes and later across whole basins, gaps that never close
// (the poles, central Africa, parts of the Amazon and the Southern Ocean),
// and fewer reports during both world wars. Newly observed cells report only
// now and then; their gaps fill over the following decades.
#pragma once

#include <vector>

namespace demodata {

class ObservingNetwork {
public:
    // kReduced is the smaller HadCRUT3 network; kFull adds the stations of
    // HadCRUT4: earlier records, the Arctic and some of the gaps.
    enum Size { kFull, kReduced };

    ObservingNetwork(Size size, const std::vector<double>& landFractions);

    // Whether the cell has a value in month monthIndex (1 = January 1850).
    bool reports(int cell, int monthIndex) const;

    // Fractional year of the first possible report; very large if never.
    double startYear(int cell) const { return start[cell]; }

private:
    double dropoutChance(int cell, double year) const;

    Size size;
    std::vector<double> landFraction;
    std::vector<double> start;
    std::vector<double> recordStart;  // as start, but may lie before 1850: an older station reports more reliably
    std::vector<double> laneDistanceKm;  // ocean cells: distance to the nearest shipping lane
};

} // namespace demodata
