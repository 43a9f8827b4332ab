#include "DemoClimate.h"

#include "LandMask.h"
#include "PortableMath.h"

#include <cmath>
#include <initializer_list>

namespace demodata {

namespace {

constexpr double kEarthRadiusKm = 6371.0;

// Share of the observed cells' mean weather that is taken out again, so that
// the mean over the observed cells keeps close to the global curve even when
// only a few regions are observed (a quarter of it remains as the wiggle a
// sparse network really shows).
constexpr double kWeatherMeanRemoved = 0.75;

// The shape of the instrumental record of the global mean, smoothed; the
// 1961-90 mean is taken off afterwards.
struct Knot {
    double year;
    double value;
};
constexpr Knot kCurveKnots[] = {
    {1850, -0.40}, {1860, -0.40}, {1870, -0.36}, {1880, -0.33}, {1890, -0.38}, {1900, -0.36},
    {1910, -0.43}, {1920, -0.32}, {1930, -0.19}, {1940, -0.03}, {1945, 0.00}, {1950, -0.07},
    {1960, -0.02}, {1970, -0.04}, {1976, -0.06}, {1985, 0.10}, {1995, 0.26}, {2005, 0.43},
    {2015, 0.60}, {2020, 0.77}, {2025, 0.92},
};
constexpr int kKnotCount = sizeof(kCurveKnots) / sizeof(kCurveKnots[0]);

// Strong El Nino years and large volcanic eruptions, which stand out in the real series.
struct Event {
    double year;
    double amplitude;
    double widthYears;
};
constexpr Event kEvents[] = {
    {1878.0, 0.22, 0.5}, {1884.0, -0.15, 0.8}, {1902.8, -0.08, 0.6}, {1912.7, -0.07, 0.6},
    {1941.5, 0.10, 1.0}, {1944.5, 0.10, 0.8}, {1964.0, -0.12, 0.8}, {1973.0, 0.08, 0.5},
    {1983.2, -0.06, 0.6}, {1988.0, 0.08, 0.5}, {1992.5, -0.22, 0.7}, {1998.1, 0.22, 0.5},
    {2010.2, 0.10, 0.5}, {2016.1, 0.18, 0.5}, {2020.1, 0.08, 0.6}, {2023.9, 0.18, 0.6},
};

} // namespace

DemoClimate::DemoClimate(std::uint64_t seed)
    : random(seed), landFraction(demodata::landFractions()),
      fullNetwork(ObservingNetwork::kFull, landFraction), reducedNetwork(ObservingNetwork::kReduced, landFraction)
{
    buildGeography();
    buildPatternSet(slowWeather, 160, 1100.0, 2200.0, 0.88);
    buildPatternSet(fastWeather, 400, 650.0, 1300.0, 0.50);
    unitWeather.assign(kCells, 0.0);
    weatherBaseline.assign(kCells, 0.0);

    observedFull.assign(kCells, 0);
    observedReduced.assign(kCells, 0);

    double sum = 0.0;
    int count = 0;
    for (int k = monthIndexOf(1961, 1); k <= monthIndexOf(1990, 12); ++k, ++count)
        sum += globalCurve(k);  // curveBaseline is still 0 here
    curveBaseline = sum / count;

    enso = 0.09 * random.normal();
    removeWeatherBaseline();
}

double DemoClimate::areaWeight(int row) { return pm::cos(cellLatitude(row) * pm::kDegree); }

void DemoClimate::buildGeography()
{
    smoothLand.resize(kCells);
    trendFactor.resize(kCells);
    oceanScale.resize(kCells);
    slowShare.resize(kCells);

    // A fixed pattern that keeps the warming from looking drawn with a ruler.
    PatternSet texture;
    buildPatternSet(texture, 100, 1500.0, 3000.0, 0.0);
    std::vector<double> unevenness;
    sumPatterns(texture, unevenness);

    for (int row = 0; row < kRows; ++row) {
        double lat = cellLatitude(row);
        double s = std::fabs(lat) / 90.0;
        for (int column = 0; column < kColumns; ++column) {
            int cell = cellIndex(row, column);
            // Land counts twice as much in its own cell as in each neighbour.
            double sum = 2.0 * landFraction[cell];
            double weights = 2.0;
            for (int dr = -1; dr <= 1; ++dr) {
                for (int dc = -1; dc <= 1; ++dc) {
                    int r = row + dr;
                    if ((dr == 0 && dc == 0) || r < 0 || r >= kRows)
                        continue;
                    sum += landFraction[cellIndex(r, (column + dc + kColumns) % kColumns)];
                    weights += 1.0;
                }
            }
            double land = sum / weights;
            smoothLand[cell] = land;

            // Land warms faster than the sea, the Arctic fastest, the Southern Ocean slowest.
            double polar = lat > 0.0 ? 1.4 * s * s : 0.25 * s * s;
            double trend = (0.8 + 0.55 * land) * (1.0 + polar);
            if (lat < -42.0 && land < 0.5)
                trend *= 0.6;
            trendFactor[cell] = trend * pm::clamp(1.0 + 0.15 * unevenness[cell], 0.6, 1.4);

            // Sea-surface variability grows with latitude and near the sea-ice edge.
            oceanScale[cell] = 0.35 + 0.45 * s + 0.4 * s * s + 0.9 * pm::smoothStep(62.0, 80.0, lat);
            // Ocean anomalies persist for months, land anomalies less so.
            slowShare[cell] = 0.75 - 0.45 * land;
        }
    }
}

void DemoClimate::buildPatternSet(PatternSet& set, int count, double minScaleKm, double maxScaleKm,
                                  double persistence)
{
    std::vector<pm::Vector3> centres(kCells);
    for (int row = 0; row < kRows; ++row)
        for (int column = 0; column < kColumns; ++column)
            centres[cellIndex(row, column)] = pm::unitVector(cellLatitude(row), cellLongitude(column));

    set.persistence = persistence;
    set.patterns.resize(count);
    set.amplitudes.resize(count);
    std::vector<double> sumOfSquares(kCells, 0.0);
    for (int i = 0; i < count; ++i) {
        // Uniform on the sphere: uniform height, uniform longitude.
        double z = random.uniform(-1.0, 1.0);
        double longitude = random.uniform(-180.0, 180.0);
        double scale = random.uniform(minScaleKm, maxScaleKm) / kEarthRadiusKm;
        double r = std::sqrt(1.0 - z * z);
        pm::Vector3 centre{r * pm::cos(longitude * pm::kDegree), r * pm::sin(longitude * pm::kDegree), z};

        Pattern& pattern = set.patterns[i];
        double cutoff = pm::square(3.5 * scale);
        for (int cell = 0; cell < kCells; ++cell) {
            const pm::Vector3& p = centres[cell];
            double d2 = pm::chordSquared(p, centre);
            if (d2 >= cutoff)
                continue;
            double shape = pm::exp(-d2 / (2.0 * scale * scale));
            pattern.cells.push_back(cell);
            pattern.shape.push_back(shape);
            sumOfSquares[cell] += shape * shape;
        }
        set.amplitudes[i] = random.normal();
    }
    set.inverseNorm.resize(kCells);
    for (int cell = 0; cell < kCells; ++cell)
        set.inverseNorm[cell] = sumOfSquares[cell] > 1e-12 ? 1.0 / std::sqrt(sumOfSquares[cell]) : 0.0;
}

void DemoClimate::sumPatterns(const PatternSet& set, std::vector<double>& field) const
{
    field.assign(kCells, 0.0);
    for (std::size_t i = 0; i < set.patterns.size(); ++i) {
        const Pattern& pattern = set.patterns[i];
        double amplitude = set.amplitudes[i];
        for (std::size_t j = 0; j < pattern.cells.size(); ++j)
            field[pattern.cells[j]] += amplitude * pattern.shape[j];
    }
    for (int cell = 0; cell < kCells; ++cell)
        field[cell] *= set.inverseNorm[cell];
}

double DemoClimate::weatherScale(int cell, int month) const
{
    double lat = cellLatitude(cell / kColumns);
    double s = std::fabs(lat) / 90.0;
    double land = smoothLand[cell];
    double landScale = 0.8 + 2.6 * s * std::sqrt(s);
    double scale = (1.0 - land) * oceanScale[cell] + land * landScale;
    // Continental winters vary most.
    double phase = 2.0 * pm::kPi * (month - 1) / 12.0;
    if (lat > 25.0)
        scale *= 1.0 + 0.35 * land * pm::smoothStep(25.0, 55.0, lat) * pm::cos(phase);
    else if (lat < -25.0)
        scale *= 1.0 - 0.15 * land * pm::smoothStep(-25.0, -55.0, lat) * pm::cos(phase);
    return scale;
}

double DemoClimate::longTermCurve(double year) const
{
    if (year <= kCurveKnots[0].year)
        return kCurveKnots[0].value - curveBaseline;
    int i = 0;
    while (i < kKnotCount - 2 && year > kCurveKnots[i + 1].year)
        ++i;
    // Cubic Hermite between knots i and i+1, slopes from the neighbouring knots.
    auto slope = [](int k) {
        int a = k > 0 ? k - 1 : k;
        int b = k < kKnotCount - 1 ? k + 1 : k;
        return (kCurveKnots[b].value - kCurveKnots[a].value) / (kCurveKnots[b].year - kCurveKnots[a].year);
    };
    const Knot& p0 = kCurveKnots[i];
    const Knot& p1 = kCurveKnots[i + 1];
    double h = p1.year - p0.year;
    double t = pm::clamp((year - p0.year) / h, 0.0, 1.0);
    double t2 = t * t;
    double t3 = t2 * t;
    double value = (2 * t3 - 3 * t2 + 1) * p0.value + (t3 - 2 * t2 + t) * h * slope(i) +
                   (-2 * t3 + 3 * t2) * p1.value + (t3 - t2) * h * slope(i + 1);
    return value - curveBaseline;
}

double DemoClimate::eventsCurve(double year) const
{
    double sum = 0.0;
    for (const Event& event : kEvents) {
        double d = (year - event.year) / event.widthYears;
        if (d > -5.0 && d < 5.0)
            sum += event.amplitude * pm::exp(-0.5 * d * d);
    }
    return sum;
}

double DemoClimate::globalCurve(int monthIndex) const
{
    double year = decimalYear(monthIndex);
    return longTermCurve(year) + eventsCurve(year);
}

void DemoClimate::advance()
{
    ++currentMonth;
    stepWeather(currentMonth);
    updateObservations();
}

void DemoClimate::stepWeather(int monthIndex)
{
    if (monthIndex > 1) {
        for (PatternSet* set : {&slowWeather, &fastWeather}) {
            double innovation = std::sqrt(1.0 - set->persistence * set->persistence);
            for (double& amplitude : set->amplitudes)
                amplitude = set->persistence * amplitude + innovation * random.normal();
        }
        enso = 0.93 * enso + 0.09 * std::sqrt(1.0 - 0.93 * 0.93) * random.normal();
    }
    std::vector<double> slow;
    std::vector<double> fast;
    sumPatterns(slowWeather, slow);
    sumPatterns(fastWeather, fast);
    for (int cell = 0; cell < kCells; ++cell)
        unitWeather[cell] = std::sqrt(slowShare[cell]) * slow[cell] + std::sqrt(1.0 - slowShare[cell]) * fast[cell] -
                            weatherBaseline[cell];
}

void DemoClimate::removeWeatherBaseline()
{
    // A dry run of the weather through 1990, from the same random state.
    SplitMix64 savedRandom = random;
    std::vector<double> savedSlow = slowWeather.amplitudes;
    std::vector<double> savedFast = fastWeather.amplitudes;
    double savedEnso = enso;

    weatherBaseline.assign(kCells, 0.0);
    std::vector<double> sum(kCells, 0.0);
    int first = monthIndexOf(1961, 1);
    int last = monthIndexOf(1990, 12);
    for (int k = 1; k <= last; ++k) {
        stepWeather(k);
        if (k >= first) {
            for (int cell = 0; cell < kCells; ++cell)
                sum[cell] += unitWeather[cell];
        }
    }
    for (int cell = 0; cell < kCells; ++cell)
        weatherBaseline[cell] = sum[cell] / (last - first + 1);

    random = savedRandom;
    slowWeather.amplitudes = savedSlow;
    fastWeather.amplitudes = savedFast;
    enso = savedEnso;
}

void DemoClimate::updateObservations()
{
    for (int cell = 0; cell < kCells; ++cell) {
        observedFull[cell] = fullNetwork.reports(cell, currentMonth);
        observedReduced[cell] = reducedNetwork.reports(cell, currentMonth);
    }
}

bool DemoClimate::isObserved(DataSet set, int cell) const
{
    if (set == DataSet::HadCRUT4)
        return observedFull[cell] != 0;
    if (set == DataSet::HadSST2) {
        // Open sea only: no land cells, no sea ice.
        double lat = cellLatitude(cell / kColumns);
        return observedReduced[cell] != 0 && !isLandCell(landFraction[cell]) && lat < 70.0 && lat > -62.0;
    }
    return observedReduced[cell] != 0;
}

int DemoClimate::reducedNetworkNeighbours(int row, int column) const
{
    int count = 0;
    for (int dr = -1; dr <= 1; ++dr) {
        for (int dc = -1; dc <= 1; ++dc) {
            int r = row + dr;
            if ((dr == 0 && dc == 0) || r < 0 || r >= kRows)
                continue;
            count += observedReduced[cellIndex(r, (column + dc + kColumns) % kColumns)] != 0;
        }
    }
    return count;
}

void DemoClimate::anomalies(DataSet set, std::vector<double>& values) const
{
    values.assign(kCells, kMissingValue);
    bool sea = set == DataSet::HadSST2;
    int month = monthOfMonthIndex(currentMonth);
    double year = decimalYear(currentMonth);
    // Sea-surface temperatures warm and wiggle less than the air over land.
    double trendShare = sea ? 0.85 : 1.0;
    double wiggles = (sea ? 0.8 : 1.0) * (eventsCurve(year) + enso);

    std::vector<double> weather(kCells, 0.0);
    double weightSum = 0.0;
    double trendSum = 0.0;
    double weatherSum = 0.0;
    for (int cell = 0; cell < kCells; ++cell) {
        if (!isObserved(set, cell))
            continue;
        int row = cell / kColumns;
        double scale = sea ? 0.8 * oceanScale[cell] : weatherScale(cell, month);
        if (set == DataSet::HadCRUT3v) {
            // Variance adjustment: a cell with few observed neighbours stands on few stations.
            scale *= 0.7 + 0.3 * reducedNetworkNeighbours(row, cell % kColumns) / 8.0;
        }
        weather[cell] = scale * unitWeather[cell];
        double w = areaWeight(row);
        weightSum += w;
        trendSum += w * trendFactor[cell];
        weatherSum += w * weather[cell];
    }
    if (weightSum <= 0.0)
        return;

    // Scale the local trends so that the observed cells average the global curve.
    double trend = trendShare * longTermCurve(year) * weightSum / trendSum;
    double weatherOffset = kWeatherMeanRemoved * weatherSum / weightSum;
    for (int cell = 0; cell < kCells; ++cell) {
        if (isObserved(set, cell))
            values[cell] = trendFactor[cell] * trend + wiggles + weather[cell] - weatherOffset;
    }
}

} // namespace demodata
