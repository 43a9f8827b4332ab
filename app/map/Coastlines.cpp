#include "Coastlines.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "OrvexMap.h"
#include "WFile.h"

using namespace MapConstants;

CoastlinePoint readCoastlinePoint(const char* line)
{
    CoastlinePoint point = {0, 0};
    std::sscanf(line, "%f %f", &point.x, &point.y);
    return point;
}

namespace {
OrthographicView viewOf(const OrvexMap& map)
{
    double lon;
    double lat;
    map.globeCentre(lon, lat);
    return OrthographicView(lon, lat, map.mapCentreX, map.mapCentreY, map.scaleX);
}
}

CoastlineTracer::CoastlineTracer(const OrvexMap& map)
    : globe(map.orthographic), scale(map.scaleX), border(map.layout().border), view(viewOf(map)),
      penUp(true)
{
}

bool CoastlineTracer::trace(CoastlinePoint point, CoastlineStep& step)
{
    if (point.x > 1.0) {
        penUp = true;
        return false;
    }
    if (globe) {
        double lon = point.x * twoPi - pi;
        double lat = point.y * twoPi - halfPi;
        if (!view.isVisible(lon, lat)) {
            penUp = true;
            return false;
        }
        int x, y;
        view.project(lon, lat, x, y);
        step.pixel = {x, y};
    } else {
        step.pixel = {roundToInt(point.x * scale * 1000) + border,
                      roundToInt(500 * scale - point.y * scale * 1000) + border};
    }
    step.line = !penUp;
    penUp = false;
    return true;
}

const std::vector<CoastlinePoint>& CoastlineFile::points(const char* name)
{
    WFile file;
    file.open(name, static_cast<unsigned long>(WFile::MODE_READ));
    LARGE_INTEGER size = {};
    FILETIME time = {};
    GetFileSizeEx(file.getFileHandle(), &size);
    GetFileTime(file.getFileHandle(), nullptr, nullptr, &time);
    if (valid && size.QuadPart == keptSize.QuadPart && CompareFileTime(&time, &keptTime) == 0)
        return kept;

    valid = false;
    kept.clear();
    std::vector<char> bytes(static_cast<size_t>(size.QuadPart) + 1);
    unsigned long length = 0;
    if (size.QuadPart > 0)
        length = file.read(bytes.data(), static_cast<unsigned long>(size.QuadPart));
    // Lines as the line reader gives them: up to a line feed, without a
    // carriage return at the end.
    char* begin = bytes.data();
    char* end = begin + length;
    while (begin < end) {
        char* feed = static_cast<char*>(std::memchr(begin, '\n', end - begin));
        char* lineEnd = feed != nullptr ? feed : end;
        char* textEnd = lineEnd;
        if (textEnd > begin && textEnd[-1] == '\r')
            --textEnd;
        if (textEnd > begin) {
            std::replace(begin, textEnd, ',', '.');
            *textEnd = 0;
            kept.push_back(readCoastlinePoint(begin));
        }
        begin = lineEnd + 1;
    }
    keptSize = size;
    keptTime = time;
    valid = true;
    ++version;
    return kept;
}
