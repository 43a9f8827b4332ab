#pragma once

#include <windows.h>

#include <string>

#include "ChartOptions.h"
#include "ChartScale.h"

class ChartSeries;

// The warming stripes: one vertical stripe per year average, blue through
// white to red, white at the reference period's mean and symmetric limits
// from the largest distance of the shown years to it. With labels a title
// line, the years along the bottom and the limits; without, the stripes
// fill the picture. Margins and fonts follow the resolution in dots per
// inch like the chart's.
class StripesPainter {
public:
    // series may be null; it must outlive the painter.
    StripesPainter(const ChartSeries* series, const StripesOptions& options,
                   unsigned int dotsPerInch = ChartScale::BASE_DPI);

    void paint(HDC dc, int width, int height) const;
    // The colour of a value at the given distance limit around centre.
    static COLORREF colourOf(double value, double centre, double limit);

private:
    const ChartSeries* series;
    StripesOptions options;
    ChartScale scale;
};
