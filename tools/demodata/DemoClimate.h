// A synthetic but plausible record of monthly surface-temperature anomalies
// (degrees C, relative to 1961-90) on the 5-degree grid, January 1850 onwards.
//
// Each cell's anomaly is its share of a long-term global curve (stronger
// warming towards the poles and over land) plus weather: smooth random
// patterns of 1000-3000 km that persist from month to month. Which cells a
// data set has observed follows the history of the observing network: a few
// regions in 1850, most of the earth after 1950, with dips in both world wars.
#pragma once

#include "Grid.h"
#include "ObservingNetwork.h"
#include "Random.h"

#include <cstdint>
#include <vector>

namespace demodata {

enum class DataSet { HadCRUT4, HadCRUT3, HadCRUT3v, HadSST2 };

class DemoClimate {
public:
    explicit DemoClimate(std::uint64_t seed = 0x0E5C1A7E2024ull);

    // Steps the weather one month on. The first call makes month index 1
    // (January 1850) current; months can only be visited in order.
    void advance();
    int monthIndex() const { return currentMonth; }

    // The current month's anomalies of a data set, kMissingValue where it has
    // no observation. The area-weighted mean over the observed cells follows
    // globalCurve() with a few tenths of a degree of weather on top.
    void anomalies(DataSet set, std::vector<double>& values) const;

    // Long-term global mean anomaly of the land-and-ocean record, without the
    // month-to-month weather; about 0 on average over 1961-90.
    double globalCurve(int monthIndex) const;

    bool isObserved(DataSet set, int cell) const;
    const std::vector<double>& landFractions() const { return landFraction; }

    // Area weight of a cell in a row, proportional to the cosine of its central latitude.
    static double areaWeight(int row);

private:
    struct Pattern {  // one smooth bump of the weather, stored only where it matters
        std::vector<int> cells;
        std::vector<double> shape;
    };
    struct PatternSet {
        std::vector<Pattern> patterns;
        std::vector<double> amplitudes;  // AR(1) state, one per pattern
        std::vector<double> inverseNorm;  // per cell: makes the sum unit variance
        double persistence = 0.0;  // month-to-month autocorrelation of the amplitudes
    };
    void buildGeography();
    void buildPatternSet(PatternSet& set, int count, double minScaleKm, double maxScaleKm, double persistence);
    void sumPatterns(const PatternSet& set, std::vector<double>& field) const;
    double weatherScale(int cell, int month) const;
    double longTermCurve(double year) const;
    double eventsCurve(double year) const;
    void stepWeather(int monthIndex);
    // Anomalies are relative to 1961-90, so every cell's weather must average
    // zero over those years, not merely in the long run.
    void removeWeatherBaseline();
    void updateObservations();
    int reducedNetworkNeighbours(int row, int column) const;

    SplitMix64 random;
    int currentMonth = 0;
    double curveBaseline = 0.0;  // makes the long-term curve average 0 over 1961-90
    double enso = 0.0;  // global interannual wiggle, AR(1)

    std::vector<double> landFraction;
    std::vector<double> smoothLand;  // land fraction averaged over the neighbourhood
    std::vector<double> trendFactor;  // local warming relative to the global curve
    std::vector<double> oceanScale;  // standard deviation of sea-surface anomalies
    std::vector<double> slowShare;  // share of the weather variance that is persistent

    PatternSet slowWeather;
    PatternSet fastWeather;
    std::vector<double> unitWeather;  // current weather, unit variance in every cell
    std::vector<double> weatherBaseline;  // each cell's mean weather over 1961-90

    // HadCRUT4 reports from the full network; HadCRUT3, HadCRUT3v and (over
    // the open sea) HadSST2 share the reduced one.
    ObservingNetwork fullNetwork;
    ObservingNetwork reducedNetwork;
    std::vector<char> observedFull;  // this month's reports
    std::vector<char> observedReduced;
};

} // namespace demodata
