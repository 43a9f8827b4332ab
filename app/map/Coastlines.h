#pragma once

#include <windows.h>

#include <string>

#include "MapGeometry.h"

class OrvexMap;

// One point line of the coastline file as "%f %f" reads it; a first number
// above 1 lifts the pen.
struct CoastlinePoint {
    float x;
    float y;
};

// The longest token a coordinate is written with: a float needs 9
// significant digits, and 128 characters hold any coordinate written out in
// full with room to spare. The number reader takes time in the square of a
// token's length, so longer tokens are not read at all.
constexpr unsigned int longestCoastlineNumber = 128;

// Reads one point line whose decimal commas are already points; a number
// that cannot be read stays 0. A line whose first or second token (the ones
// "%f %f" reads from) is longer than longestCoastlineNumber is not a point:
// it reads as the pen-up line "2 0".
CoastlinePoint readCoastlinePoint(const char* line);

// What readCoastlinePoint reads of one line, gathered while the line passes
// by in pieces: the line as a C string (up to a NUL) with commas as points,
// cut to its first two tokens, each kept to one character more than a
// number may have so that an overlong one still reads as overlong.
class CoastlineLine {
public:
    // A piece of the line, without the line feed.
    void add(const char* begin, const char* end);
    // False for an empty line (nothing but a carriage return at its end,
    // which the line reader strips); otherwise the point. Starts the next
    // line.
    bool finish(CoastlinePoint& point);

private:
    std::string text;
    unsigned long long length = 0;
    bool firstIsReturn = false;
    int tokens = 0; // tokens completed
    bool inToken = false;
    unsigned int tokenLength = 0;
    bool complete = false; // nothing more of the line matters
};

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

    // False when the point only lifts the pen: a first number above 1, or a
    // point farther than one map width or height from the map (NaN,
    // infinities and numbers like 1e30 among them, whose pixels would
    // overflow).
    bool trace(CoastlinePoint point, CoastlineStep& step);

private:
    bool globe;
    double scale;
    int border;
    OrthographicView view;
    bool penUp;
};
