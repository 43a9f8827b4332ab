#pragma once

#include <windows.h>

#include <string>

#include "ChartMapping.h"
#include "ChartOptions.h"
#include "ChartScale.h"
#include "ChartView.h"

class ChartSeries;

// What lies under a pixel of the chart: the month, and whether the pointer
// is nearer the year average's point than the month's value (a click there
// opens the year average).
struct ChartHit {
    bool valid = false;
    long long month = 0; // 1 = January of FIRST_YEAR
    unsigned int year = 0;
    bool yearAverage = false;
};

// Draws the chart of a series into a device context of a given size,
// antialiased through GDI+, with the map's label fonts: monthly line thin,
// year averages bold with points, grid lines, zero line, axes in years and
// degrees, legend (reference period, trend slope, positions left out and
// why), coverage and the optional marker. Without a series or a month with
// data only a German sentence in the middle is drawn.
//
// Sizes, fonts and line widths follow the resolution in dots per inch: a
// picture at 192 DPI and twice the pixels lays out as one at 96 DPI.
// Pictures that are saved or copied are drawn at 96 DPI whatever the
// screen's, so that they are the same on every screen.
class ChartPainter {
public:
    // series may be null (no data set open); it must outlive the painter.
    ChartPainter(const ChartSeries* series, const ChartOptions& options, const ChartView& view,
                 unsigned int dotsPerInch = ChartScale::BASE_DPI);

    // The mapping of the picture size, the same as paint uses.
    ChartMapping mapping(int width, int height) const;
    void paint(HDC dc, int width, int height) const;

    // The month under a pixel and the point the pointer is nearest.
    ChartHit hitTest(int x, int y, int width, int height) const;
    // The status line's text for a pixel: "Juli 1998: +0,53 °C (Jahr 1998:
    // +0,45 °C)"; empty outside the plot area or without data.
    std::string readout(int x, int y, int width, int height) const;

    // "Kein Datensatz geöffnet.", "Der Datensatz enthält keinen Monat mit
    // Daten."; empty when there is something to draw.
    std::string emptyText() const;

private:
    const ChartSeries* series;
    ChartOptions options;
    ChartView view;
    ChartScale scale;
};
