#pragma once

#include "GmsCoordinates.h"
#include "WString.h"

// A named position and the pixel of its marker on the last drawn map.
class Position {
public:
    Position() : mapX(0), mapY(0) {}

    WString name;
    int mapX;
    int mapY;
    GmsCoordinates coordinates;
};
