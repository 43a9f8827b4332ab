#include "Coastlines.h"

#include <cstdio>

#include "OrvexMap.h"

using namespace MapConstants;

namespace {
// The white space "%f %f" skips.
bool isBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

// x runs from 0 to 1 and y from 0 to 0.5 on the map; an x above 1 lifts
// the pen anyway. Every comparison fails for NaN.
bool isNearTheMap(CoastlinePoint point)
{
    return point.x >= -1 && point.y >= -0.5 && point.y <= 1;
}

OrthographicView viewOf(const OrvexMap& map)
{
    double lon;
    double lat;
    map.globeCentre(lon, lat);
    return OrthographicView(lon, lat, map.mapCentreX, map.mapCentreY, map.scaleX);
}
}

CoastlinePoint readCoastlinePoint(const char* line)
{
    const char* next = line;
    for (int token = 0; token < 2; ++token) {
        while (isBlank(*next))
            ++next;
        const char* start = next;
        while (*next != 0 && !isBlank(*next)) {
            if (static_cast<unsigned int>(++next - start) > longestCoastlineNumber)
                return {2, 0};
        }
    }
    CoastlinePoint point = {0, 0};
    std::sscanf(line, "%f %f", &point.x, &point.y);
    return point;
}

void CoastlineLine::add(const char* begin, const char* end)
{
    if (begin == end)
        return;
    if (length == 0)
        firstIsReturn = *begin == '\r';
    length += static_cast<unsigned long long>(end - begin);
    for (const char* next = begin; next != end && !complete; ++next) {
        char c = *next;
        if (c == 0) {
            complete = true;
        } else if (isBlank(c)) {
            if (inToken) {
                inToken = false;
                complete = ++tokens == 2;
            }
        } else {
            if (!inToken) {
                inToken = true;
                tokenLength = 0;
                if (tokens == 1)
                    text += ' ';
            }
            text += c == ',' ? '.' : c;
            complete = ++tokenLength > longestCoastlineNumber;
        }
    }
}

bool CoastlineLine::finish(CoastlinePoint& point)
{
    bool empty = length == 0 || (length == 1 && firstIsReturn);
    if (!empty)
        point = readCoastlinePoint(text.c_str());
    text.clear();
    length = 0;
    firstIsReturn = false;
    tokens = 0;
    inToken = false;
    tokenLength = 0;
    complete = false;
    return !empty;
}

CoastlineTracer::CoastlineTracer(const OrvexMap& map)
    : globe(map.orthographic), scale(map.scaleX), border(map.layout().border), view(viewOf(map)),
      penUp(true)
{
}

bool CoastlineTracer::trace(CoastlinePoint point, CoastlineStep& step)
{
    if (point.x > 1.0 || !isNearTheMap(point)) {
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
