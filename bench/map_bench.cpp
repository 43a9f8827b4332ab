// map_bench: times the map renderers on June 1990 of the demonstration
// hadcrut3v data set: the flat map in every map type at 75 % and the globe
// at 75 % and 100 %, on the fast path and on the straightforward one; then
// the flat map and the globe at 75 % for monitors at 144 and 192 DPI.
//
// Run with the run folder as the current directory (data/cru, worldmap.txt
// and the weltkarte pictures there). Each figure is the median and the best
// of several rounds of one whole picture (cells, background, coastlines,
// grid lines, rim, legend) into a 32-bit DIB section, as when the user steps
// through the months; "first" is the picture after a change of view. The
// fast path's one-time measurement of the platform's blend is timed first.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <vector>

#include "BenchClock.h"
#include "MapCanvas.h"
#include "OrvexMap.h"
#include "PlatformBlend.h"
#include "WException.h"
#include "WSystem.h"

namespace {

struct Timing {
    double first;
    double median;
    double best;
};

Timing timeRenderings(OrvexMap& map, int rounds)
{
    MapLayout layout = map.layout();
    MapCanvas canvas(layout.pictureWidth, layout.pictureHeight);
    // The first picture after a change of view or picture also scales the
    // background and works out the coastline moves.
    double start = nowMs();
    map.renderMap(canvas.getDC(), false, false);
    double first = nowMs() - start;
    std::vector<double> times;
    for (int i = 0; i < rounds; ++i) {
        double start = nowMs();
        map.renderMap(canvas.getDC(), false, false);
        times.push_back(nowMs() - start);
    }
    std::sort(times.begin(), times.end());
    return {first, times[times.size() / 2], times.front()};
}

void measure(OrvexMap& map, const char* what, int mapType, bool globe, int percent, double target,
             int dpi = 96)
{
    map.mapType = mapType;
    map.loadBackgroundPicture();
    map.orthographic = globe;
    map.setScale(percent, dpi);
    map.renderPath = OrvexMap::RenderPath::Fast;
    Timing fast = timeRenderings(map, 15);
    map.renderPath = OrvexMap::RenderPath::Reference;
    Timing reference = timeRenderings(map, 3);
    std::printf("%-31s %3d %% %3d dpi  fast %5.1f ms (best %5.1f, first %5.1f)  straightforward "
                "%6.1f ms  target %2.0f ms %s\n",
                what, percent, dpi, fast.median, fast.best, fast.first, reference.median, target,
                fast.median <= target ? "met" : "MISSED");
}
}

int main()
{
    try {
        WSystem::startup("OrvexMapBench", GetModuleHandleA(nullptr), nullptr,
                         const_cast<char*>("map_bench"), SW_HIDE);
        {
            double start = nowMs();
            PlatformBlend platform;
            bool holds = platform.dibSectionHolds() && platform.screenBitmapHolds() &&
                         platform.screenIs32Bit();
            std::printf("platform blend measured in %.1f ms: %s\n", nowMs() - start,
                        holds ? "the fast path holds" : "the map is drawn the straightforward way");
        }
        {
            OrvexMap map;
            map.database.open(OrvexDatabase::TYPE_GRID_FILE, "data/cru/hadcrut3v.dat");
            map.database.load(1990, 6, false);
            std::printf("June 1990, %s: %u cells with data\n",
                        static_cast<const char*>(map.database.getName()),
                        map.database.getCellsWithData());
            measure(map, "flat, type 1 (Umrisse)", 1, false, 75, 15);
            measure(map, "flat, type 2 (Satellitenfoto)", 2, false, 75, 15);
            measure(map, "flat, type 3 (Land/Wasser)", 3, false, 75, 15);
            measure(map, "flat, type 4 (night picture)", 4, false, 75, 15);
            measure(map, "globe, type 1 (Umrisse)", 1, true, 75, 30);
            measure(map, "globe, type 2 (Satellitenfoto)", 2, true, 75, 30);
            measure(map, "globe, type 1 (Umrisse)", 1, true, 100, 60);
            measure(map, "globe, type 2 (Satellitenfoto)", 2, true, 100, 60);
            for (int dpi : {144, 192}) {
                measure(map, "flat, type 1 (Umrisse)", 1, false, 75, 16, dpi);
                measure(map, "flat, type 2 (Satellitenfoto)", 2, false, 75, 16, dpi);
                measure(map, "globe, type 1 (Umrisse)", 1, true, 75, 16, dpi);
                measure(map, "globe, type 2 (Satellitenfoto)", 2, true, 75, 16, dpi);
            }
        }
        WSystem::shutdown();
    } catch (const WException& e) {
        std::fprintf(stderr, "%s\n", static_cast<const char*>(e.toString()));
        return 1;
    }
    return 0;
}
