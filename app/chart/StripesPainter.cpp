#include "StripesPainter.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "ChartSeries.h"
#include "ChartTexts.h"
#include "GdiPlusHandles.h"
#include "OrvexDatabase.h"
#include "WFont.h"
#include "WGdiSelection.h"
#include "YearRange.h"

namespace {

// ColorBrewer's diverging red-blue scale of 11 colours, cold to warm, with
// an almost white middle: the colours warming stripes are known by. Values
// between two of them are mixed linearly; a plain mix of white and the ends
// gives greyish pinks instead of its clear reds.
const int scaleColours = 11;
const unsigned char stripeColours[scaleColours][3] = {
    {5, 48, 97},     {33, 102, 172},  {67, 147, 195},  {146, 197, 222},
    {209, 229, 240}, {247, 247, 247}, {253, 219, 199}, {244, 165, 130},
    {214, 96, 77},   {178, 24, 43},   {103, 0, 31}};

void text(HDC dc, const std::string& line, RECT area, UINT format)
{
    DrawTextA(dc, line.c_str(), -1, &area, format | DT_NOPREFIX);
}

} // namespace

StripesPainter::StripesPainter(const ChartSeries* series, const StripesOptions& options,
                               unsigned int dotsPerInch)
    : series(series), options(options), scale(dotsPerInch)
{
}

COLORREF StripesPainter::colourOf(double value, double centre, double limit)
{
    double share = limit > 0 ? (value - centre) / limit : 0.0;
    share = std::min(std::max(share, -1.0), 1.0);
    double position = (share + 1.0) / 2.0 * (scaleColours - 1);
    int lower = std::min(static_cast<int>(std::floor(position)), scaleColours - 2);
    double t = position - lower;
    int channel[3];
    for (int i = 0; i < 3; ++i)
        channel[i] = static_cast<int>(std::lround(
            stripeColours[lower][i] + (stripeColours[lower + 1][i] - stripeColours[lower][i]) * t));
    return RGB(channel[0], channel[1], channel[2]);
}

void StripesPainter::paint(HDC dc, int width, int height) const
{
    RECT whole = {0, 0, width, height};
    FillRect(dc, &whole, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    WFont titleFont, labelFont;
    titleFont.create("Times New Roman", 12, 0, 400, 0, scale.dotsPerInch());
    labelFont.create("Arial", 8, 0, 400, 0, scale.dotsPerInch());
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, RGB(0, 0, 0));

    const std::vector<double>* years = nullptr;
    std::string what = "globaler Wert";
    std::string missing;
    if (series == nullptr || series->monthCount() == 0) {
        missing = "Kein Datensatz geöffnet.";
    } else if (!series->hasData()) {
        missing = "Der Datensatz enthält keinen Monat mit Daten.";
    } else if (options.position >= 0) {
        const PositionSeries& position =
            series->positions().at(static_cast<size_t>(options.position));
        what = position.name;
        if (!position.outsideReason.empty())
            missing = position.name + ": " + position.outsideReason + ".";
        else
            years = &position.years;
    } else {
        years = &series->globalYears();
    }
    // The shown years: the options' span, cut to the years with a value.
    size_t first = 0, last = 0;
    if (years != nullptr) {
        size_t low = options.firstYear >= FIRST_YEAR ? options.firstYear - FIRST_YEAR : 0;
        size_t high =
            options.lastYear >= FIRST_YEAR ? options.lastYear - FIRST_YEAR : years->size() - 1;
        high = std::min(high, years->size() - 1);
        while (low <= high && (*years)[low] == MISSING_VALUE)
            ++low;
        while (high > low && (*years)[high] == MISSING_VALUE)
            --high;
        if (low > high || (*years)[low] == MISSING_VALUE)
            missing = "Keine Jahresmittel im gewählten Zeitraum.";
        first = low;
        last = high;
    }
    if (!missing.empty()) {
        WGdiSelection font(dc, titleFont);
        text(dc, missing, whole, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
        return;
    }

    double centre = series->referenceMean(options.position);
    double limit = 0.0;
    for (size_t i = first; i <= last; ++i)
        if ((*years)[i] != MISSING_VALUE)
            limit = std::max(limit, std::fabs((*years)[i] - centre));

    RECT area = whole;
    if (options.labels) {
        area.left = scale(10);
        area.right = width - scale(10);
        area.top = scale(40);
        area.bottom = height - scale(26);
    }
    // Stripes from the picture's own pixel edges, so that they touch and
    // none is wider than another by more than a pixel; a year without a
    // value stays grey.
    size_t count = last - first + 1;
    double stripe = double(area.right - area.left) / count;
    for (size_t i = 0; i < count; ++i) {
        double value = (*years)[first + i];
        RECT box = {area.left + static_cast<int>(std::lround(i * stripe)), area.top,
                    area.left + static_cast<int>(std::lround((i + 1) * stripe)), area.bottom};
        GdiObject brush(CreateSolidBrush(value == MISSING_VALUE ? RGB(200, 200, 200)
                                                                : colourOf(value, centre, limit)));
        FillRect(dc, &box, brush.brush());
    }
    if (!options.labels)
        return;
    {
        WGdiSelection font(dc, titleFont);
        RECT title = {area.left, scale(2), area.right, scale(22)};
        text(dc,
             "Klimastreifen " + std::to_string(FIRST_YEAR + first) + "–" +
                 std::to_string(FIRST_YEAR + last) + ", " + series->dataSetName() + ", " + what,
             title, DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_END_ELLIPSIS);
    }
    WGdiSelection font(dc, labelFont);
    RECT reference = {area.left, scale(22), area.right, scale(38)};
    text(dc,
         referenceText(*series) + "; Farben von " + degreeText(centre - limit, 2) + " bis " +
             degreeText(centre + limit, 2),
         reference, DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_END_ELLIPSIS);
    // Years at round steps at least 40 pixels (at 96 DPI) apart.
    unsigned int step = 1;
    for (unsigned int candidate : {1u, 2u, 5u, 10u, 20u, 25u, 50u, 100u}) {
        step = candidate;
        if (candidate * stripe >= scale(40.0))
            break;
    }
    for (size_t i = 0; i < count; ++i) {
        unsigned int year = static_cast<unsigned int>(FIRST_YEAR + first + i);
        if (year % step != 0)
            continue;
        int x = area.left + static_cast<int>(std::lround((i + 0.5) * stripe));
        RECT label = {x - scale(25), area.bottom + scale(3), x + scale(25), height - scale(4)};
        text(dc, std::to_string(year), label, DT_CENTER | DT_TOP | DT_SINGLELINE);
    }
}
