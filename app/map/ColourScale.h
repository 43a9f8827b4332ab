#pragma once

#include <windows.h>

// The 11-step colour scale of the temperature anomalies. A value takes the
// colour of the first entry whose bound lies above it, so each band holds
// its lower bound; 10.0 and more take the last colour.
struct AnomalyColour {
    double upperBound; // degrees Celsius
    COLORREF colour;
};

constexpr int anomalyColourCount = 11;
extern const AnomalyColour anomalyColours[anomalyColourCount];

// Index into anomalyColours of a value's band.
int colourIndexForValue(double value);
// The same with every band limit divided by boundDivisor.
int colourIndexForValue(double value, double boundDivisor);
// A trend map's band limits, in degrees per decade, are the anomaly limits
// divided by this.
constexpr double trendBandDivisor = 10.0;
COLORREF colourForValue(double value);

// The cells' alpha over a background picture.
constexpr unsigned int cellAlpha = 128;
