#pragma once

#include <windows.h>

// Between the pixels of a chart's plot area and (month, value): the month
// axis runs left to right over the view's range, the value axis bottom to
// top over low..high degrees.
class ChartMapping {
public:
    ChartMapping() = default;
    ChartMapping(const RECT& plot, double firstMonth, double lastMonth, double low, double high);

    const RECT& plotArea() const { return plot; }
    double firstMonth() const { return first; }
    double lastMonth() const { return last; }
    double lowValue() const { return low; }
    double highValue() const { return high; }

    double xOf(double month) const;
    double yOf(double value) const;
    double monthAt(double x) const;
    double valueAt(double y) const;
    // Whether the pixel lies in the plot area.
    bool inPlot(int x, int y) const;

private:
    RECT plot = {0, 0, 1, 1};
    double first = 0.5;
    double last = 1.5;
    double low = -1.0;
    double high = 1.0;
};
