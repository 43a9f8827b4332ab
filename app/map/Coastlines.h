#pragma once

#include <windows.h>

#include <vector>

#include "MapGeometry.h"

class OrvexMap;

// One point line of the coastline file as "%f %f" reads it; a first number
// above 1 lifts the pen.
struct CoastlinePoint {
    float x;
    float y;
};

// Reads one point line whose decimal commas are already points; a number
// that cannot be read stays 0.
CoastlinePoint readCoastlinePoint(const char* line);

// One pen move on the picture: a line from the current point, or a move.
struct CoastlineStep {
    bool line;
    POINT pixel;
};

// Follows the coastline points in file order and says what the pen does for
// each: a line of the map runs between pen-up lines, and on the globe a
// hidden point lifts the pen too, so that nothing is drawn along the rim.
class CoastlineTracer {
public:
    explicit CoastlineTracer(const OrvexMap& map);

    // False when the point only lifts the pen.
    bool trace(CoastlinePoint point, CoastlineStep& step);
    // 1 pixel on the flat map, 2 on the globe.
    int penWidth() const { return globe ? 2 : 1; }

private:
    bool globe;
    double scale;
    int border;
    OrthographicView view;
    bool penUp;
};

// The points of a coastline file, kept between renderings while the file
// keeps its size and time of last change.
class CoastlineFile {
public:
    // Opens the file every time, so that a missing file throws the file
    // layer's exception as reading it line by line does.
    const std::vector<CoastlinePoint>& points(const char* name);
    // Changes whenever the points are read anew.
    unsigned long getVersion() const { return version; }

private:
    std::vector<CoastlinePoint> kept;
    LARGE_INTEGER keptSize = {};
    FILETIME keptTime = {};
    bool valid = false;
    unsigned long version = 0;
};
