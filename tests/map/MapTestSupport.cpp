#include "MapTestSupport.h"

#include <cstdio>
#include <cstdlib>

namespace {
const unsigned int testBlockSize = 28613;

std::string token(double value)
{
    char text[32];
    std::snprintf(text, sizeof text, "%.2f", value);
    return text;
}
}

void writeTestGrid(const CellValue& value)
{
    std::string bytes;
    for (int month = 1; month <= 3; ++month)
        bytes += monthBlock(testBlockSize, gridRows([&](int row, int column) {
                                return token(value(month, row, column));
                            }));
    writeFile("data/cru/test.dat", bytes);
}

void loadTestMonth(OrvexMap& map, unsigned int month)
{
    map.database.open(OrvexDatabase::TYPE_GRID_FILE, "data/cru/test.dat");
    map.database.load(1850, month, false);
}

void writeWorldmap(const std::vector<std::string>& lines)
{
    std::string bytes;
    for (const std::string& line : lines)
        bytes += line + "\r\n";
    writeFile("worldmap.txt", bytes);
}

RenderedMap::RenderedMap(OrvexMap& map, bool withLabels, bool withMarkers)
    : canvas(map.layout().pictureWidth, map.layout().pictureHeight)
{
    map.renderMap(canvas.getDC(), withLabels, withMarkers);
}

std::string pixelDifferences(const MapCanvas& a, const MapCanvas& b, int limit, std::uint32_t mask)
{
    if (a.getWidth() != b.getWidth() || a.getHeight() != b.getHeight())
        return "sizes differ";
    const std::uint32_t* pa = a.getPixels();
    const std::uint32_t* pb = b.getPixels();
    std::string out;
    int found = 0;
    for (int y = 0; y < a.getHeight(); ++y) {
        for (int x = 0; x < a.getWidth(); ++x) {
            long i = static_cast<long>(y) * a.getWidth() + x;
            if (((pa[i] ^ pb[i]) & mask) == 0)
                continue;
            if (++found <= limit) {
                char line[80];
                std::snprintf(line, sizeof line, "(%d, %d) %08lx != %08lx\n", x, y,
                              static_cast<unsigned long>(pa[i]), static_cast<unsigned long>(pb[i]));
                out += line;
            }
        }
    }
    if (found > limit)
        out += std::to_string(found) + " pixels differ\n";
    return out;
}

std::string colourText(COLORREF colour)
{
    char text[32];
    std::snprintf(text, sizeof text, "RGB(%d, %d, %d)", GetRValue(colour), GetGValue(colour),
                  GetBValue(colour));
    return text;
}

Position makePosition(const char* name, int latitude, int longitude, int latMinutes, int lonMinutes)
{
    Position position;
    position.name = name;
    position.coordinates.latDegrees = std::abs(latitude);
    position.coordinates.latMinutes = latMinutes;
    position.coordinates.latSouth = latitude < 0;
    position.coordinates.lonDegrees = std::abs(longitude);
    position.coordinates.lonMinutes = lonMinutes;
    position.coordinates.lonWest = longitude < 0;
    return position;
}

int countColour(const MapCanvas& canvas, const RECT& area, COLORREF colour)
{
    int count = 0;
    for (int y = area.top; y < area.bottom; ++y)
        for (int x = area.left; x < area.right; ++x)
            if (canvas.getPixel(x, y) == colour)
                ++count;
    return count;
}
