#pragma once

#include <windows.h>

// Lengths of the chart and the stripes, given in pixels at 96 DPI, in
// pixels of another resolution: margins, tick spacing, line widths and
// point sizes grow with it, so that a page at 192 DPI shows the 96-DPI
// picture at twice the pixels. At 96 DPI every length stays exactly as given.
class ChartScale {
public:
    static const unsigned int BASE_DPI = 96;

    // 0 counts as 96.
    explicit ChartScale(unsigned int dotsPerInch)
        : dpi(dotsPerInch > 0 ? static_cast<int>(dotsPerInch) : BASE_DPI),
          factor(dpi / double(BASE_DPI))
    {
    }

    unsigned int dotsPerInch() const { return static_cast<unsigned int>(dpi); }
    int operator()(int pixels) const { return MulDiv(pixels, dpi, BASE_DPI); }
    float operator()(float pixels) const { return static_cast<float>(pixels * factor); }
    double operator()(double pixels) const { return pixels * factor; }

private:
    int dpi;
    double factor;
};
