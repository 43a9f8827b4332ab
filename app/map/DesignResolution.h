#pragma once

#include "OrvexMap.h"

// The map at its design resolution, 96 pixels per inch, for the length of a
// scope, at the view's scale: saved and copied pictures have the same pixels
// on every screen. The screen's resolution and the centre of the last screen
// rendering (which the mouse is measured against) come back however the
// scope ends.
class DesignResolution {
public:
    explicit DesignResolution(OrvexMap& map)
        : map(map), dpi(map.dpi), centreX(map.mapCentreX), centreY(map.mapCentreY)
    {
        // A map drawn at 96 already stays untouched, whatever scale it was given.
        if (dpi != designDpi)
            map.setScale(map.scalePercent, designDpi);
    }
    DesignResolution(const DesignResolution&) = delete;
    DesignResolution& operator=(const DesignResolution&) = delete;
    ~DesignResolution()
    {
        if (dpi != designDpi)
            map.setScale(map.scalePercent, dpi);
        map.mapCentreX = centreX;
        map.mapCentreY = centreY;
    }

    static constexpr int designDpi = 96;

private:
    OrvexMap& map;
    int dpi;
    int centreX;
    int centreY;
};
