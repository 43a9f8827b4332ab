#include "ChartView.h"

#include <algorithm>

#include "YearRange.h"

ChartView::ChartView(unsigned int monthCount) : count(0), first(0.5), last(1.5)
{
    setMonthCount(monthCount);
}

void ChartView::setMonthCount(unsigned int monthCount)
{
    count = monthCount;
    reset();
}

void ChartView::reset()
{
    first = 0.5;
    last = std::max(count, 1u) + 0.5;
}

void ChartView::zoomAround(double month, double factor)
{
    double full = std::max(count, 1u);
    double newSpan = std::min(std::max(span() * factor, 1.0), full);
    double share = span() > 0 ? (month - first) / span() : 0.5;
    share = std::min(std::max(share, 0.0), 1.0);
    first = month - share * newSpan;
    last = first + newSpan;
    clamp();
}

void ChartView::pan(double months)
{
    first += months;
    last += months;
    clamp();
}

void ChartView::showYears(unsigned int firstYear, unsigned int lastYear)
{
    if (firstYear >= FIRST_YEAR && lastYear >= firstYear)
        showMonths((firstYear - FIRST_YEAR) * 12LL + 1, (lastYear - FIRST_YEAR + 1) * 12LL);
}

void ChartView::showMonths(long long firstMonth, long long lastMonth)
{
    if (lastMonth < firstMonth)
        return;
    double full = std::max(count, 1u);
    first = firstMonth - 0.5;
    last = std::min(lastMonth + 0.5, first + full);
    clamp();
}

void ChartView::clamp()
{
    double low = 0.5;
    double high = std::max(count, 1u) + 0.5;
    double width = std::min(last - first, high - low);
    if (first < low) {
        first = low;
        last = low + width;
    }
    if (last > high) {
        last = high;
        first = high - width;
    }
}
