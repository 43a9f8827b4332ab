#pragma once

#include <functional>

#include "YearRange.h"

class AnimationPalette;
class MapCanvas;
class OrvexMap;

// The months an animation shows: every month from the first to the last,
// or (yearAverage) one year average for every year from the first to the
// last, the months then not counting, or (seasons) every season from the
// first to the last, the months then holding seasons 1..4 (DJF..SON).
struct AnimationRange {
    unsigned int firstYear = FIRST_YEAR;
    unsigned int firstMonth = 1;
    unsigned int lastYear = FIRST_YEAR;
    unsigned int lastMonth = 1;
    bool yearAverage = false;
    bool seasons = false;

    // 0 when the last month lies before the first.
    int frameCount() const;
    // The year and month (or season) of frame i (0 .. frameCount() - 1).
    void frame(int i, unsigned int& year, unsigned int& month) const;
};

// Writes an animated GIF of a range of months of the map's data set in the
// map's current view (map type, scale, flat or globe, centre), each frame
// rendered with labels and without markers as every saved picture is, and
// written as soon as it is rendered. The map's data set is loaded month by
// month; give it a map of its own when another thread shows the map.
class MapAnimation {
public:
    // Called after every frame with the frames done and the total; false
    // cancels the animation.
    using Progress = std::function<bool(int done, int total)>;

    MapAnimation(OrvexMap& map, const AnimationRange& range) : map(map), range(range) {}

    // delay: 1/100 s between frames; hold: the last frame's; loopCount 0:
    // for ever. False when progress cancelled. Throws
    // "GIF-Datei konnte nicht gespeichert werden. (reason)" when the file
    // cannot be written. The file replaces an old one only when complete:
    // after a cancel or a failure there is no partial file and the old one
    // is as it was.
    bool write(const char* fileName, unsigned short delay, unsigned short hold,
               unsigned int loopCount, const Progress& progress = Progress());
    // Feeds the palette every colour a frame of the map's current view can
    // show, rendering into the canvas (of the view's picture size); the
    // map's field is left cleared or filled.
    static void addViewColours(OrvexMap& map, MapCanvas& canvas, AnimationPalette& palette);
    // The colours of the last write's table (the entries after them are
    // unused, the first of them the transparent index).
    unsigned int getColourCount() const { return colourCount; }

private:
    OrvexMap& map;
    AnimationRange range;
    unsigned int colourCount = 0;
};
