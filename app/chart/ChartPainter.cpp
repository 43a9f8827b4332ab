#include "ChartPainter.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdint>
#include <vector>

#include "ChartGraphics.h"
#include "ChartScale.h"
#include "ChartSeries.h"
#include "ChartTexts.h"
#include "MonthText.h"
#include "OrvexDatabase.h"
#include "SeriesStatistics.h"
#include "WFont.h"
#include "WGdiSelection.h"
#include "YearRange.h"

using Gdiplus::PointF;

namespace {

const COLORREF monthColour = RGB(150, 160, 175);
const COLORREF yearColour = RGB(30, 30, 30);
const COLORREF northColour = RGB(200, 60, 40);
const COLORREF southColour = RGB(40, 90, 200);
const COLORREF trendColour = RGB(0, 140, 60);
const COLORREF runningColour = RGB(230, 130, 0);
const COLORREF coverageColour = RGB(120, 120, 120);
const COLORREF gridColour = RGB(225, 225, 225);
const COLORREF markerColour = RGB(220, 0, 0);
const COLORREF positionColours[] = {RGB(140, 60, 160), RGB(0, 150, 150), RGB(160, 110, 40),
                                    RGB(220, 80, 150), RGB(90, 120, 0)};

// Margins around the plot in pixels at 96 DPI.
const int leftMargin = 58;
const int rightMargin = 16;
const int titleHeight = 40;
const int axisHeight = 26;

// The month of a year's middle, where its average is drawn.
double yearMiddle(size_t yearIndex)
{
    return yearIndex * 12.0 + 6.5;
}

// A step of 1, 2 or 5 times a power of ten giving ticks at least minimum
// apart.
double niceStep(double minimum)
{
    double power = std::pow(10.0, std::floor(std::log10(minimum)));
    for (double factor : {1.0, 2.0, 5.0, 10.0})
        if (factor * power >= minimum)
            return factor * power;
    return 10.0 * power;
}

// The two fonts of the map's labels, at the picture's resolution.
struct ChartFonts {
    explicit ChartFonts(const ChartScale& scale)
    {
        title.create("Times New Roman", 12, 0, 400, 0, scale.dotsPerInch());
        label.create("Arial", 8, 0, 400, 0, scale.dotsPerInch());
    }
    WFont title;
    WFont label;
};

void text(HDC dc, const std::string& line, RECT area, UINT format)
{
    DrawTextA(dc, line.c_str(), -1, &area, format | DT_NOPREFIX);
}

int textWidth(HDC dc, const std::string& line)
{
    SIZE size = {0, 0};
    GetTextExtentPoint32A(dc, line.c_str(), static_cast<int>(line.size()), &size);
    return size.cx;
}

// One shown line of the chart with its legend entry.
struct Curve {
    const std::vector<double>* values; // per month or per year
    bool perYear;
    COLORREF colour;
    float width;
    std::string legend;
    bool dots;
    bool dashed;
    double offset; // the month where index 0 lies (a running mean's first middle year)
};

// The points of a series inside the months shown, split where a value is
// missing. Per month, more points than two per pixel are reduced to each
// pixel column's lowest and highest value.
std::vector<std::vector<PointF>> polylines(const Curve& curve, const ChartMapping& map)
{
    std::vector<std::vector<PointF>> lines(1);
    const std::vector<double>& values = *curve.values;
    double step = curve.perYear ? 12.0 : 1.0;
    double first = map.firstMonth() - step, last = map.lastMonth() + step;
    double start = curve.offset;
    long long low = std::max(0LL, static_cast<long long>(std::floor((first - start) / step)));
    long long high = std::min(static_cast<long long>(values.size()) - 1,
                              static_cast<long long>(std::ceil((last - start) / step)));
    double pixels = map.plotArea().right - map.plotArea().left;
    bool reduce = high - low > 2 * pixels;
    int column = INT_MIN;
    float columnLow = 0, columnHigh = 0;
    auto flush = [&] {
        if (column == INT_MIN)
            return;
        lines.back().push_back(PointF(static_cast<float>(column), columnHigh));
        if (columnLow != columnHigh)
            lines.back().push_back(PointF(static_cast<float>(column), columnLow));
        column = INT_MIN;
    };
    for (long long i = low; i <= high; ++i) {
        if (values[i] == MISSING_VALUE) {
            flush();
            if (!lines.back().empty())
                lines.emplace_back();
            continue;
        }
        float x = static_cast<float>(map.xOf(start + i * step));
        float y = static_cast<float>(map.yOf(values[i]));
        if (!reduce) {
            lines.back().push_back(PointF(x, y));
            continue;
        }
        int here = static_cast<int>(std::floor(x));
        if (here != column) {
            flush();
            column = here;
            columnLow = columnHigh = y;
        }
        columnLow = std::max(columnLow, y);
        columnHigh = std::min(columnHigh, y);
    }
    flush();
    return lines;
}

// Of the plot's four corners, the box of the given size inset from the
// frame holding the fewest of the points; the upper left one among equals.
RECT legendPlace(const RECT& plot, int width, int height, int inset,
                 const std::vector<PointF>& points)
{
    RECT best = {};
    size_t fewest = SIZE_MAX;
    for (int corner = 0; corner < 4; ++corner) {
        int left = corner % 2 == 0 ? plot.left + inset : plot.right - inset - width;
        int top = corner / 2 == 0 ? plot.top + inset : plot.bottom - inset - height;
        RECT box = {left, top, left + width, top + height};
        size_t inside = 0;
        for (const PointF& point : points)
            if (point.X >= box.left && point.X <= box.right && point.Y >= box.top &&
                point.Y <= box.bottom)
                ++inside;
        if (inside < fewest) {
            fewest = inside;
            best = box;
        }
    }
    return best;
}

} // namespace

ChartPainter::ChartPainter(const ChartSeries* series, const ChartOptions& options,
                           const ChartView& view, unsigned int dotsPerInch)
    : series(series), options(options), view(view), scale(dotsPerInch)
{
}

std::string ChartPainter::emptyText() const
{
    if (series == nullptr || series->monthCount() == 0)
        return "Kein Datensatz geöffnet.";
    if (!series->hasData())
        return "Der Datensatz enthält keinen Monat mit Daten.";
    return "";
}

namespace {

// Every curve the options show, in drawing order (the global value last).
std::vector<Curve> shownCurves(const ChartSeries& series, const ChartOptions& options,
                               std::vector<double>& running, LinearTrend& trend,
                               std::vector<std::string>& notes)
{
    std::vector<Curve> curves;
    double yearStart = yearMiddle(0);
    if (options.hemispheres) {
        curves.push_back({&series.northernYears(), true, northColour, 1.5f, "Nordhalbkugel", false,
                          false, yearStart});
        curves.push_back({&series.southernYears(), true, southColour, 1.5f, "Südhalbkugel", false,
                          false, yearStart});
    }
    if (options.positions) {
        size_t colour = 0;
        for (const PositionSeries& position : series.positions()) {
            if (!position.outsideReason.empty()) {
                notes.push_back(position.name + ": ausgelassen, " + position.outsideReason);
                continue;
            }
            curves.push_back(
                {&position.years, true,
                 positionColours[colour++ % (sizeof positionColours / sizeof positionColours[0])],
                 1.5f, position.name, false, false, yearStart});
        }
    }
    if (options.monthLine)
        curves.push_back({&series.globalMonths(), false, monthColour, 1.0f, "Globaler Wert, Monate",
                          false, false, 1.0});
    if (options.yearLine)
        curves.push_back({&series.globalYears(), true, yearColour, 2.0f,
                          "Globaler Wert, Jahresmittel", true, false, yearStart});
    if (options.runningYears > 0) {
        running = runningMean(series.globalYears(), options.runningYears);
        curves.push_back(
            {&running, true, runningColour, 2.0f,
             "Gleitendes Mittel über " + std::to_string(options.runningYears) + " Jahre", false,
             false, yearStart + (options.runningYears - 1) * 6.0});
    }
    if (options.trend) {
        trend = linearTrend(series.globalYears(), options.trendFirstYear, options.trendLastYear);
        if (!trend.valid)
            notes.push_back("Trend " + yearSpanText(options.trendFirstYear, options.trendLastYear) +
                            ": zu wenige Jahre mit Daten");
    }
    return curves;
}

} // namespace

ChartMapping ChartPainter::mapping(int width, int height) const
{
    int left = scale(leftMargin), top = scale(titleHeight);
    int bottom = height - scale(axisHeight);
    if (options.coverage == ChartOptions::Coverage::Panel)
        bottom -= std::max(scale(40), height / 7) + scale(8);
    RECT plot = {left, top, std::max(left + 1, width - scale(rightMargin)),
                 std::max(top + 1, bottom)};
    double low = 0.0, high = 0.0;
    if (series != nullptr && series->hasData()) {
        std::vector<double> running;
        LinearTrend trend;
        std::vector<std::string> notes;
        for (const Curve& curve : shownCurves(*series, options, running, trend, notes)) {
            for (const std::vector<PointF>& line : polylines(
                     curve, ChartMapping(plot, view.firstMonth(), view.lastMonth(), 0.0, 1.0)))
                for (const PointF& point : line) {
                    // Back from the unit mapping to degrees.
                    double value = (plot.bottom - point.Y) / double(plot.bottom - plot.top);
                    low = std::min(low, value);
                    high = std::max(high, value);
                }
        }
        if (trend.valid) {
            for (unsigned int year : {trend.firstYear, trend.lastYear}) {
                low = std::min(low, trend.valueAt(year));
                high = std::max(high, trend.valueAt(year));
            }
        }
    }
    if (high - low < 0.2) {
        high += 0.1;
        low -= 0.1;
    }
    double pad = (high - low) * 0.05;
    return ChartMapping(plot, view.firstMonth(), view.lastMonth(), low - pad, high + pad);
}

void ChartPainter::paint(HDC dc, int width, int height) const
{
    RECT whole = {0, 0, width, height};
    FillRect(dc, &whole, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    ChartFonts fonts(scale);
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, RGB(0, 0, 0));
    std::string empty = emptyText();
    if (!empty.empty()) {
        WGdiSelection font(dc, fonts.title);
        text(dc, empty, whole, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
        return;
    }
    ChartMapping map = mapping(width, height);
    const RECT& plot = map.plotArea();
    std::vector<double> running;
    LinearTrend trend;
    std::vector<std::string> notes;
    std::vector<Curve> curves = shownCurves(*series, options, running, trend, notes);

    // Ticks: years at least 48 pixels apart, degrees at least 24 (at 96 DPI).
    double pixelsPerYear = 12.0 * (plot.right - plot.left) / view.span();
    unsigned int yearStep =
        static_cast<unsigned int>(std::max(1.0, niceStep(scale(48.0) / pixelsPerYear)));
    double valueStep =
        niceStep(scale(24.0) * (map.highValue() - map.lowValue()) / (plot.bottom - plot.top));
    int decimals = valueStep >= 1.0 ? 0 : valueStep >= 0.1 ? 1 : 2;
    unsigned int firstYear =
        FIRST_YEAR + static_cast<unsigned int>(std::max(0.0, map.firstMonth() - 0.5) / 12);
    firstYear += (yearStep - firstYear % yearStep) % yearStep;
    unsigned int lastYear = FIRST_YEAR + static_cast<unsigned int>((map.lastMonth() - 0.5) / 12);

    std::vector<PointF> drawn; // every point of the curves, for the legend's place
    {
        ChartGraphics graphics(dc);
        // The coverage band: up to a fifth of the plot's height for the whole earth.
        if (options.coverage != ChartOptions::Coverage::None) {
            RECT panel = plot;
            double share = 0.2;
            if (options.coverage == ChartOptions::Coverage::Panel) {
                panel.top = plot.bottom + scale(axisHeight);
                panel.bottom = height - scale(8);
                share = 1.0;
            }
            ChartMapping coverageMap(panel, map.firstMonth(), map.lastMonth(), 0.0, 100.0 / share);
            graphics.clip(&panel);
            Curve coverage{
                &series->coverageMonths(), false, coverageColour, 1.0f, "", false, false, 1.0};
            for (std::vector<PointF>& line : polylines(coverage, coverageMap)) {
                if (line.size() < 2)
                    continue;
                line.push_back(PointF(line.back().X, static_cast<float>(panel.bottom)));
                line.push_back(PointF(line.front().X, static_cast<float>(panel.bottom)));
                graphics.fillPolygon(line, coverageColour, 40);
            }
            graphics.clip(nullptr);
        }
        for (unsigned int year = firstYear; year <= lastYear; year += yearStep) {
            float x = static_cast<float>(map.xOf((year - FIRST_YEAR) * 12.0 + 0.5));
            graphics.line({PointF(x, float(plot.top)), PointF(x, float(plot.bottom))}, gridColour,
                          scale(1.0f));
        }
        for (double value = std::ceil(map.lowValue() / valueStep) * valueStep;
             value <= map.highValue(); value += valueStep) {
            float y = static_cast<float>(map.yOf(value));
            graphics.line({PointF(float(plot.left), y), PointF(float(plot.right), y)}, gridColour,
                          scale(1.0f));
        }
        float zero = static_cast<float>(map.yOf(0.0));
        graphics.line({PointF(float(plot.left), zero), PointF(float(plot.right), zero)},
                      RGB(90, 90, 90), scale(1.0f));
        graphics.clip(&plot);
        // Points only where the years lie 8 pixels (at 96 DPI) apart or more.
        float dot = scale(4.5f);
        for (const Curve& curve : curves) {
            for (const std::vector<PointF>& line : polylines(curve, map)) {
                drawn.insert(drawn.end(), line.begin(), line.end());
                graphics.line(line, curve.colour, scale(curve.width));
                if (curve.dots && view.span() / 12.0 < (plot.right - plot.left) / scale(8.0))
                    for (const PointF& point : line)
                        graphics.dot(point.X, point.Y, dot, curve.colour);
                if (curve.dots && line.size() == 1)
                    graphics.dot(line[0].X, line[0].Y, dot, curve.colour);
            }
        }
        if (trend.valid) {
            double a = yearMiddle(trend.firstYear - FIRST_YEAR),
                   b = yearMiddle(trend.lastYear - FIRST_YEAR);
            graphics.line(
                {PointF(float(map.xOf(a)), float(map.yOf(trend.valueAt(trend.firstYear)))),
                 PointF(float(map.xOf(b)), float(map.yOf(trend.valueAt(trend.lastYear))))},
                trendColour, scale(2.0f), 255, true);
        }
        if (options.markerMonth > 0) {
            float x = static_cast<float>(map.xOf(static_cast<double>(options.markerMonth)));
            if (x >= plot.left && x <= plot.right)
                graphics.line({PointF(x, float(plot.top)), PointF(x, float(plot.bottom))},
                              markerColour, scale(1.5f));
        }
        // The plot's frame over the curves' ends.
        graphics.clip(nullptr);
        graphics.line({PointF(float(plot.left), float(plot.top)),
                       PointF(float(plot.right), float(plot.top)),
                       PointF(float(plot.right), float(plot.bottom)),
                       PointF(float(plot.left), float(plot.bottom)),
                       PointF(float(plot.left), float(plot.top))},
                      RGB(0, 0, 0), scale(1.0f));
    }

    // Texts: title, axes and legend in the map's fonts.
    {
        WGdiSelection font(dc, fonts.title);
        RECT title = {plot.left, scale(2), width - scale(rightMargin), plot.top - scale(18)};
        text(dc, series->dataSetName() + " – Temperaturabweichung", title,
             DT_LEFT | DT_BOTTOM | DT_SINGLELINE | DT_END_ELLIPSIS);
    }
    WGdiSelection font(dc, fonts.label);
    RECT reference = {plot.left, plot.top - scale(16), width - scale(rightMargin),
                      plot.top - scale(2)};
    text(dc, referenceText(*series), reference,
         DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_END_ELLIPSIS);
    for (unsigned int year = firstYear; year <= lastYear; year += yearStep) {
        int x = static_cast<int>(std::lround(map.xOf((year - FIRST_YEAR) * 12.0 + 0.5)));
        RECT label = {x - scale(30), plot.bottom + scale(3), x + scale(30),
                      plot.bottom + scale(axisHeight - 6)};
        text(dc, std::to_string(year), label, DT_CENTER | DT_TOP | DT_SINGLELINE);
    }
    for (double value = std::ceil(map.lowValue() / valueStep) * valueStep; value <= map.highValue();
         value += valueStep) {
        int y = static_cast<int>(std::lround(map.yOf(value)));
        RECT label = {0, y - scale(8), plot.left - scale(5), y + scale(8)};
        text(dc, axisNumber(value, decimals), label, DT_RIGHT | DT_VCENTER | DT_SINGLELINE);
    }
    RECT unit = {0, plot.top - scale(16), plot.left - scale(5), plot.top};
    text(dc, "°C", unit, DT_RIGHT | DT_VCENTER | DT_SINGLELINE);
    if (options.coverage == ChartOptions::Coverage::Panel) {
        int panelTop = plot.bottom + scale(axisHeight);
        RECT top = {0, panelTop - scale(8), plot.left - scale(5), panelTop + scale(8)};
        text(dc, "100 %", top, DT_RIGHT | DT_VCENTER | DT_SINGLELINE);
        RECT bottom = {0, height - scale(16), plot.left - scale(5), height};
        text(dc, "0 %", bottom, DT_RIGHT | DT_VCENTER | DT_SINGLELINE);
    }

    // The legend in the plot's corner with the fewest points of the curves.
    std::vector<std::pair<std::string, COLORREF>> entries;
    for (auto curve = curves.rbegin(); curve != curves.rend(); ++curve)
        entries.push_back({curve->legend, curve->colour});
    if (trend.valid)
        entries.push_back({"Trend " + yearSpanText(trend.firstYear, trend.lastYear) + ": " +
                               perDecadeText(trend.perDecade),
                           trendColour});
    if (options.coverage != ChartOptions::Coverage::None)
        entries.push_back({"Abdeckung (Anteil der Erde mit Daten)", coverageColour});
    for (const std::string& note : notes)
        entries.push_back({note, CLR_INVALID});
    int lineHeight = scale(15);
    int padding = scale(5);
    int legendWidth = 0;
    for (const auto& entry : entries)
        legendWidth = std::max(legendWidth, textWidth(dc, entry.first));
    RECT box =
        legendPlace(plot, legendWidth + scale(34),
                    2 * padding + lineHeight * static_cast<int>(entries.size()), scale(6), drawn);
    {
        ChartGraphics graphics(dc);
        graphics.fillRectangle(float(box.left), float(box.top), float(box.right - box.left),
                               float(box.bottom - box.top), RGB(255, 255, 255), 220);
        for (size_t i = 0; i < entries.size(); ++i) {
            if (entries[i].second == CLR_INVALID)
                continue;
            float y = float(box.top + padding + lineHeight * i + lineHeight / 2);
            graphics.line(
                {PointF(float(box.left + scale(6)), y), PointF(float(box.left + scale(26)), y)},
                entries[i].second, scale(2.0f));
        }
    }
    for (size_t i = 0; i < entries.size(); ++i) {
        RECT line = {box.left + scale(30), box.top + padding + lineHeight * static_cast<int>(i),
                     box.right, box.top + padding + lineHeight * static_cast<int>(i + 1)};
        text(dc, entries[i].first, line, DT_LEFT | DT_VCENTER | DT_SINGLELINE);
    }
}

ChartHit ChartPainter::hitTest(int x, int y, int width, int height) const
{
    ChartHit hit;
    if (!emptyText().empty())
        return hit;
    ChartMapping map = mapping(width, height);
    if (!map.inPlot(x, y))
        return hit;
    long long month = std::llround(map.monthAt(x));
    month = std::min<long long>(std::max<long long>(month, 1), series->monthCount());
    hit.valid = true;
    hit.month = month;
    hit.year = FIRST_YEAR + static_cast<unsigned int>((month - 1) / 12);
    double monthValue = series->globalMonths()[static_cast<size_t>(month - 1)];
    double yearValue = series->globalYears()[hit.year - FIRST_YEAR];
    if (options.yearLine && yearValue != MISSING_VALUE)
        hit.yearAverage = !options.monthLine || monthValue == MISSING_VALUE ||
                          std::fabs(y - map.yOf(yearValue)) < std::fabs(y - map.yOf(monthValue));
    return hit;
}

std::string ChartPainter::readout(int x, int y, int width, int height) const
{
    ChartHit hit = hitTest(x, y, width, height);
    if (!hit.valid)
        return "";
    double monthValue = series->globalMonths()[static_cast<size_t>(hit.month - 1)];
    double yearValue = series->globalYears()[hit.year - FIRST_YEAR];
    std::string line = germanMonthText(hit.month) + ": " +
                       (monthValue == MISSING_VALUE ? "keine Daten" : degreeText(monthValue, 2));
    line += " (Jahresmittel " + std::to_string(hit.year) + ": " +
            (yearValue == MISSING_VALUE ? "keine Daten" : degreeText(yearValue, 2)) + ")";
    return line;
}
