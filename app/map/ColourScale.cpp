#include "ColourScale.h"

const AnomalyColour anomalyColours[anomalyColourCount] = {
    {-5.0, RGB(64, 55, 187)},   {-3.0, RGB(101, 121, 255)}, {-1.0, RGB(82, 196, 255)},
    {-0.5, RGB(104, 230, 255)}, {-0.2, RGB(28, 255, 184)},  {0.0, RGB(7, 255, 28)},
    {0.2, RGB(255, 254, 51)},   {1.0, RGB(255, 191, 17)},   {3.0, RGB(255, 148, 46)},
    {5.0, RGB(255, 85, 85)},    {10.0, RGB(254, 19, 18)},
};

int colourIndexForValue(double value)
{
    for (int i = 0; i < anomalyColourCount; ++i) {
        if (anomalyColours[i].upperBound > value)
            return i;
    }
    return anomalyColourCount - 1;
}

int colourIndexForValue(double value, double boundDivisor)
{
    for (int i = 0; i < anomalyColourCount; ++i) {
        if (anomalyColours[i].upperBound / boundDivisor > value)
            return i;
    }
    return anomalyColourCount - 1;
}

COLORREF colourForValue(double value)
{
    return anomalyColours[colourIndexForValue(value)].colour;
}
