#pragma once

// What the chart shows besides the global value of every month and year.
struct ChartOptions {
    enum class Coverage { None, Band, Panel };

    bool monthLine = true;    // the global value of every month, thin
    bool yearLine = true;     // the year averages, bold with points
    bool hemispheres = false; // northern and southern means (year averages)
    bool positions = false;   // each position's year averages
    bool trend = false;       // a least-squares line over trendFirst..trendLast
    unsigned int trendFirstYear = 0;
    unsigned int trendLastYear = 0;
    unsigned int runningYears = 0; // running mean of the global year averages; 0: none
    Coverage coverage = Coverage::Band;
    long long markerMonth = 0; // a vertical marker at this month; 0: none
};

// What the warming stripes show.
struct StripesOptions {
    int position = -1;          // index into ChartSeries::positions(); -1: the global value
    bool labels = true;         // title, years along the bottom and the colour limits
    unsigned int firstYear = 0; // shown years; 0, 0: every year with a value
    unsigned int lastYear = 0;
};
