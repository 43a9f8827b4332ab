#pragma once

// The months a chart shows: a continuous range of month numbers (month k
// covers k - 0.5 .. k + 0.5), at most the data's months and at least one.
// Zooming and panning stop at those limits.
class ChartView {
public:
    explicit ChartView(unsigned int monthCount = 0);

    // A new data set: every month shown.
    void setMonthCount(unsigned int count);
    unsigned int monthCount() const { return count; }
    double firstMonth() const { return first; }
    double lastMonth() const { return last; }
    double span() const { return last - first; }

    // The span times factor (below 1 zooms in), the month under the
    // pointer staying where it is.
    void zoomAround(double month, double factor);
    // Moves the range by months (positive: later), stopping at the ends.
    void pan(double months);
    // Shows the years first..last, or the months first..last (1 = January
    // of FIRST_YEAR), clamped to the data.
    void showYears(unsigned int firstYear, unsigned int lastYear);
    void showMonths(long long firstMonth, long long lastMonth);
    void reset();

private:
    void clamp();

    unsigned int count;
    double first;
    double last;
};
