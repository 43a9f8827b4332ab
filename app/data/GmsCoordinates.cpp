#include "GmsCoordinates.h"

const WString& GmsCoordinates::getLabel() const
{
    label = WFormattedString("%u° %u' %s / %u° %u' %s", static_cast<unsigned int>(latDegrees),
                             static_cast<unsigned int>(latMinutes), latSouth ? "S" : "N",
                             static_cast<unsigned int>(lonDegrees),
                             static_cast<unsigned int>(lonMinutes), lonWest ? "W" : "O");
    return label;
}
