// The texts and scales around the map: frame with degree ticks, colour
// legend, title, position line, caption and the status-bar texts.
#include <cstdlib>

#include "ColourScale.h"
#include "FileNameText.h"
#include "GdiPlusHandles.h"
#include "OrvexMap.h"
#include "WControlStatusbar.h"
#include "WGdiSelection.h"
#include "WSystem.h"

namespace {
// Where the caption sends the reader for the real observations.
const char* const webAddress = "https://crudata.uea.ac.uk/cru/data/temperature/";

const char* plusSign(double value)
{
    return value > 0 ? "+" : "";
}

// " +1.234°C", " -0.500°C", " 0.000°C": the value with the given decimals;
// a trend's " +0.19°C/Jahrzehnt".
WString signedDegrees(double value, int decimals, bool perDecade = false)
{
    WFormattedString text(" %s%.*f°C%s", plusSign(value), decimals,
                          WSystem::round(value, decimals), perDecade ? "/Jahrzehnt" : "");
    return text;
}

// A picture drawn larger than the map's resolution gives (the metafile's,
// border factor 10 at 96 pixels per inch) lays its texts out in the 1060 x
// 610 space of a picture at scale 1 and 96 pixels per inch, stretched over
// the whole picture. Every other picture places them in its own pixels.
bool metafileVariant(double borderFactor, int dpi)
{
    return borderFactor > dpi / 96.0;
}

void enterDesignSpace(HDC dc, const MapLayout& picture)
{
    SetMapMode(dc, MM_ANISOTROPIC);
    SetWindowExtEx(dc, 1060, 610, nullptr);
    SetViewportExtEx(dc, picture.pictureWidth, picture.pictureHeight, nullptr);
}

void drawTextIn(HDC dc, const char* text, RECT area, UINT format)
{
    DrawTextA(dc, text, -1, &area, format);
}
}

const char* OrvexMap::monthAbbreviation(unsigned int month)
{
    static const char* const names[12] = {"Jan", "Feb", "Mär", "Apr", "Mai", "Jun",
                                          "Jul", "Aug", "Sep", "Okt", "Nov", "Dez"};
    return month >= 1 && month <= 12 ? names[month - 1] : "";
}

void OrvexMap::drawText(HDC dc, const char* text, const RECT& area, UINT format)
{
    if (!metafileVariant(borderFactor, dpi)) {
        drawTextIn(dc, text, area, format);
        return;
    }
    enterDesignSpace(dc, layout());
    RECT design = {roundToInt(area.left / scaleX), roundToInt(area.top / scaleY),
                   roundToInt(area.right / scaleX), roundToInt(area.bottom / scaleY)};
    drawTextIn(dc, text, design, format);
    SetMapMode(dc, MM_TEXT);
}

void OrvexMap::drawLegend(HDC dc)
{
    const UINT centred = DT_CENTER | DT_VCENTER | DT_SINGLELINE;
    bool metafile = metafileVariant(borderFactor, dpi);
    double s = scaleX;
    MapLayout picture = layout();
    WGdiSelection font(dc, legendFont);

    if (!orthographic) {
        GdiObject pen(CreatePen(PS_SOLID, devicePixels(1), RGB(0, 0, 0)));
        WGdiSelection selectedPen(dc, pen);
        int left = picture.border;
        int top = picture.border;
        int right = picture.pictureWidth - picture.border;
        int bottom = picture.pictureHeight - devicePixels(80);
        int tick = devicePixels(5);
        if (metafile) {
            left = roundToInt(30 * s);
            top = roundToInt(30 * s);
            right = roundToInt(1030 * s);
            bottom = roundToInt(530 * s);
            tick = roundToInt(5 * s);
        }
        MoveToEx(dc, left, top, nullptr);
        LineTo(dc, right, top);
        MoveToEx(dc, left, bottom, nullptr);
        LineTo(dc, right, bottom);
        for (int lon = -180; lon <= 180; lon += 60) {
            int x = roundToInt((lon + 180) * (right - left) * 0.002777777777777778) + left;
            MoveToEx(dc, x, top, nullptr);
            LineTo(dc, x, top + tick);
            MoveToEx(dc, x, bottom, nullptr);
            LineTo(dc, x, bottom - tick);
            if (lon == -180)
                continue;
            WFormattedString label("%i%s", std::abs(lon), lon < 0 ? "W" : lon > 0 ? "O" : "");
            RECT area = {x - 3 * tick, bottom + tick, x + 3 * tick, bottom + 3 * tick};
            drawText(dc, label, area, centred);
        }
        MoveToEx(dc, left, top, nullptr);
        LineTo(dc, left, bottom);
        MoveToEx(dc, right, top, nullptr);
        LineTo(dc, right, bottom);
        for (int lat = 90; lat >= -90; lat -= 30) {
            int y = bottom - roundToInt((lat + 90) * (bottom - top) * 0.005555555555555556);
            MoveToEx(dc, left, y, nullptr);
            LineTo(dc, left + tick, y);
            MoveToEx(dc, right, y, nullptr);
            LineTo(dc, right - tick, y);
            WFormattedString label("%i%s", std::abs(lat), lat > 0 ? "N" : lat < 0 ? "S" : "");
            RECT area = {left - 5 * tick, y - tick, left - tick, y + tick};
            drawText(dc, label, area, DT_RIGHT | DT_VCENTER | DT_SINGLELINE);
        }
    }

    int width = roundToInt(1000 * s * 0.09090909090909091);
    int height = devicePixels(15);
    int offset = devicePixels(7);
    int left = picture.border + (picture.mapWidth - 11 * width) / 2;
    int top = picture.pictureHeight - devicePixels(60);
    if (metafile) {
        left = roundToInt(30 * s);
        top = roundToInt(550 * s);
        height = roundToInt(15 * s);
        offset = roundToInt(7 * s);
    }
    for (int entry = 0; entry < anomalyColourCount; ++entry) {
        RECT box = {left, top, left + width, top + height};
        GdiObject brush(CreateSolidBrush(anomalyColours[entry].colour));
        FillRect(dc, &box, brush.brush());
        if (entry < anomalyColourCount - 1) {
            RECT area = {left, top + height, left + 2 * width, top + 2 * height + offset};
            drawText(dc, legendLabel(entry), area, centred);
        }
        left += width;
    }
}

WString OrvexMap::titleText() const
{
    WString name;
    WSystem::extractPath(database.getName(), name, true);
    // The name is UTF-8 (a file dropped on the window may have any); the
    // title shows Windows-1252.
    WString file(shownText(static_cast<const char*>(name)).c_str());
    WFormattedString title(1024);
    if (database.isTrend()) {
        // The trend of the global value; the cells' mean trend is another.
        title.format("%s %s:%s (%u%%)", static_cast<const char*>(file),
                     trendSpanText(database.getTrend()).c_str(),
                     static_cast<const char*>(signedDegrees(database.getGlobalTrend(), 2, true)),
                     static_cast<unsigned int>(WSystem::round(database.getCoverage(), 0)));
        return title;
    }
    if (database.getSeason() != NO_SEASON)
        title.format("%s %s %u", static_cast<const char*>(file), seasonName(database.getSeason()),
                     database.getYear());
    else if (database.isYearAverage())
        title.format("%s %u", static_cast<const char*>(file), database.getYear());
    else
        title.format("%s %u (%s)", static_cast<const char*>(file), database.getYear(),
                     monthAbbreviation(database.getMonth()));
    if (database.getCellsWithData() == 0) {
        title += " Keine Daten";
    } else {
        title += signedDegrees(database.getGlobalMean(), 3);
        WFormattedString coverage(
            " (%u%%)", static_cast<unsigned int>(WSystem::round(database.getCoverage(), 0)));
        title += coverage;
    }
    std::string reference = referenceSuffix(database.getReference());
    if (!reference.empty()) {
        title += " ";
        title += reference.c_str();
    }
    return title;
}

WString OrvexMap::legendLabel(int entry) const
{
    if (database.isTrend())
        return WFormattedString("%.2f", anomalyColours[entry].upperBound / trendBandDivisor);
    return WFormattedString("%.1f", anomalyColours[entry].upperBound);
}

WString OrvexMap::captionText() const
{
    WString caption;
    if (database.isTrend()) {
        caption = "Trend in Grad Celsius pro Jahrzehnt - ";
    } else if (!database.getReference().isStored()) {
        WFormattedString referred("Abweichungen in Grad Celsius %s (%s) - ",
                                  referenceSuffix(database.getReference()).c_str(),
                                  referenceMethodName(database.getReference().method));
        caption = referred;
    } else {
        caption = "Abweichungen in Grad Celsius (1961-90) - ";
    }
    caption += webAddress;
    return caption;
}

void OrvexMap::drawLabels(HDC dc)
{
    bool metafile = metafileVariant(borderFactor, dpi);
    MapLayout picture = layout();
    int right = picture.pictureWidth - picture.border;
    int bottom = picture.pictureHeight - devicePixels(80);
    RECT above = {picture.border, 0, right, picture.border};
    RECT below = {picture.border, bottom, right, picture.pictureHeight - devicePixels(5)};
    if (metafile) {
        // Drawn last: the design space stays set.
        enterDesignSpace(dc, picture);
        above = RECT{30, 0, 1030, 30};
        below = RECT{30, 530, 1030, 605};
    }
    {
        WGdiSelection font(dc, titleFont);
        drawTextIn(dc, titleText(), above, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
        if (const Position* viewPosition = positions.find(1)) {
            double value = database.valueAt(viewPosition->coordinates);
            WString valueText =
                value == MISSING_VALUE ? WString("Keine Daten")
                                       : signedDegrees(value, 3, database.isTrend());
            WFormattedString line("%s: %s", static_cast<const char*>(viewPosition->name),
                                  static_cast<const char*>(valueText));
            drawTextIn(dc, line, below, DT_LEFT | DT_BOTTOM | DT_SINGLELINE);
        }
    }
    WGdiSelection font(dc, legendFont);
    drawTextIn(dc, captionText(), below, DT_RIGHT | DT_BOTTOM | DT_SINGLELINE);
}

bool OrvexMap::statusTexts(WString& place, WString& value)
{
    place = "";
    value = "";
    Position marker;
    GmsCoordinates coordinates;
    if (hitTestMarker(mouseX, mouseY, marker) != 0) {
        WFormattedString text("%s: %s", static_cast<const char*>(marker.name),
                              static_cast<const char*>(marker.coordinates.getLabel()));
        place = text;
        coordinates = marker.coordinates;
    } else if (pixelToPosition(mouseX, mouseY, coordinates)) {
        place = coordinates.getLabel();
    } else {
        return false;
    }
    double cellValue = database.valueAt(coordinates);
    if (cellValue != MISSING_VALUE)
        value = signedDegrees(cellValue, 2, database.isTrend());
    return true;
}

void OrvexMap::updateStatusBar()
{
    WString place;
    WString value;
    statusTexts(place, value);
    if (statusBar == nullptr)
        return;
    statusBar->setText(place, 0);
    statusBar->setText(value, 1);
}
