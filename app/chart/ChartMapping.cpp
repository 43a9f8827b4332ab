#include "ChartMapping.h"

ChartMapping::ChartMapping(const RECT& plot, double firstMonth, double lastMonth, double low,
                           double high)
    : plot(plot), first(firstMonth), last(lastMonth), low(low), high(high)
{
}

double ChartMapping::xOf(double month) const
{
    return plot.left + (month - first) * (plot.right - plot.left) / (last - first);
}

double ChartMapping::yOf(double value) const
{
    return plot.bottom - (value - low) * (plot.bottom - plot.top) / (high - low);
}

double ChartMapping::monthAt(double x) const
{
    return first + (x - plot.left) * (last - first) / (plot.right - plot.left);
}

double ChartMapping::valueAt(double y) const
{
    return low + (plot.bottom - y) * (high - low) / (plot.bottom - plot.top);
}

bool ChartMapping::inPlot(int x, int y) const
{
    return x >= plot.left && x <= plot.right && y >= plot.top && y <= plot.bottom;
}
