#pragma once

#include "WString.h"

// A place on the earth in degrees and minutes with hemisphere flags. The
// seconds are kept for the positions file only and take part in nothing.
class GmsCoordinates {
public:
    GmsCoordinates()
        : latDegrees(0), latSeconds(0), latMinutes(0), latSouth(0),
          lonDegrees(0), lonSeconds(0), lonMinutes(0), lonWest(0)
    {
    }

    // "52° 31' N / 13° 24' O": rebuilt into label on every call.
    const WString& getLabel() const;

    int latDegrees;
    int latSeconds;
    int latMinutes;
    int latSouth;
    int lonDegrees;
    int lonSeconds;
    int lonMinutes;
    int lonWest;
    mutable WString label;
};
