#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "GridTestSupport.h"
#include "MapCanvas.h"
#include "OrvexMap.h"

// Shared helpers of the map tests: grid files and coastline files written
// into a scratch directory, maps rendered into canvases, pixel checks.

// The value of one cell in one month (1..3) of the test grid; -99.9 for none.
using CellValue = std::function<double(int month, int row, int column)>;

// Writes data/cru/test.dat with January to March 1850 of a 5-degree grid.
void writeTestGrid(const CellValue& value);
// Opens data/cru/test.dat into the map's database and loads a month of 1850.
void loadTestMonth(OrvexMap& map, unsigned int month);
// Writes worldmap.txt in the current directory from the given lines.
void writeWorldmap(const std::vector<std::string>& lines);

// A canvas of the map's picture size, rendered with renderMap.
struct RenderedMap {
    explicit RenderedMap(OrvexMap& map, bool withLabels = false, bool withMarkers = false);
    MapCanvas canvas;
    COLORREF at(int x, int y) const { return canvas.getPixel(x, y); }
};

// Pixels where two canvases of equal size differ in the bits of mask,
// "(x, y) a != b" lines, at most `limit` of them and the count; empty when
// they are equal.
std::string pixelDifferences(const MapCanvas& a, const MapCanvas& b, int limit = 8,
                             std::uint32_t mask = 0xFFFFFFFF);

std::string colourText(COLORREF colour);

// A position with whole degrees (negative: south / west).
Position makePosition(const char* name, int latitude, int longitude, int latMinutes = 0,
                      int lonMinutes = 0);

// Counts pixels of a colour within a rectangle of the canvas.
int countColour(const MapCanvas& canvas, const RECT& area, COLORREF colour);
