// Animated GIFs of the demonstration data, as the batch renderer and the
// program write them: 175 year averages (1850-2024, hadcrut4) flat at 75 %
// over the satellite picture, with the size the same frames take stored
// whole; 2 100 months flat and as a globe; the peak memory of a long
// animation against a one-frame one. Run from the run folder:
//     cmake/wine-run.sh build/run/animation_bench.exe   (in build/run)
#include <windows.h>
#include <psapi.h>

#include <cstdio>
#include <vector>

#include "AnimationPalette.h"
#include "BenchClock.h"
#include "GifLzwEncoder.h"
#include "MapAnimation.h"
#include "MapCanvas.h"
#include "OrvexMap.h"
#include "WException.h"
#include "WSystem.h"

namespace {

const char* const dataSet = "data/cru/hadcrut4.dat";

void prepare(OrvexMap& map, bool globe)
{
    map.database.open(OrvexDatabase::TYPE_GRID_FILE, dataSet);
    map.mapType = 2;
    map.loadBackgroundPicture();
    map.scalePercent = 75;
    map.scaleX = map.scaleY = 0.75;
    map.orthographic = globe;
}

long fileSize(const char* name)
{
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!GetFileAttributesExA(name, GetFileExInfoStandard, &data))
        return -1;
    return static_cast<long>(data.nFileSizeLow);
}

double peakMegabytes()
{
    PROCESS_MEMORY_COUNTERS counters = {};
    counters.cb = sizeof counters;
    GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof counters);
    return counters.PeakPagefileUsage / 1048576.0;
}

double animate(OrvexMap& map, const AnimationRange& range, const char* name)
{
    double start = nowMs();
    MapAnimation(map, range).write(name, 10, 100, 0);
    return nowMs() - start;
}

// The bytes of the same frames each stored whole: header and table once,
// per frame a control block, a descriptor and the LZW data of all pixels.
long wholeFramesSize(OrvexMap& map, const AnimationRange& range)
{
    MapLayout layout = map.layout();
    MapCanvas canvas(layout.pictureWidth, layout.pictureHeight);
    AnimationPalette palette;
    MapAnimation::addViewColours(map, canvas, palette);
    const size_t pixels = static_cast<size_t>(layout.pictureWidth) * layout.pictureHeight;
    std::vector<unsigned char> indices(pixels);
    std::vector<unsigned char> data;
    GifLzwEncoder encoder(8);
    long size = 13 + 768 + 19 + 1;
    for (int i = 0; i < range.frameCount(); i++) {
        unsigned int year, month;
        range.frame(i, year, month);
        map.database.load(year, month, range.yearAverage);
        map.renderMap(canvas.getDC(), true, false);
        palette.mapPixels(canvas.getPixels(), pixels, indices.data());
        data.clear();
        encoder.encode(indices.data(), pixels, data);
        size += 8 + 10 + 1 + static_cast<long>(data.size()) + 1;
    }
    return size;
}

}

int main()
{
    try {
        WSystem::startup("AnimationBench", GetModuleHandleA(nullptr), nullptr,
                         const_cast<char*>(""), SW_HIDE);
        CreateDirectoryA("animation_bench", nullptr);

        {
            OrvexMap map;
            prepare(map, false);
            AnimationRange one;
            one.firstYear = one.lastYear = 2024;
            double ms = animate(map, one, "animation_bench/one-frame.gif");
            std::printf("1 frame, flat, 75 %%, satellite: %.0f ms, peak memory %.1f MB\n", ms,
                        peakMegabytes());
        }
        double peakBefore = peakMegabytes();

        OrvexMap map;
        prepare(map, false);
        AnimationRange years;
        years.firstYear = 1850;
        years.lastYear = 2024;
        years.yearAverage = true;
        double ms = animate(map, years, "animation_bench/years-flat.gif");
        long size = fileSize("animation_bench/years-flat.gif");
        long whole = wholeFramesSize(map, years);
        std::printf("175 year averages, flat, 75 %%, satellite: %.2f s (%.1f ms a frame), "
                    "%ld bytes; whole frames %ld bytes (%.2f of it)\n",
                    ms / 1000, ms / 175, size, whole, static_cast<double>(size) / whole);

        AnimationRange months;
        months.firstYear = 1850;
        months.lastYear = 2024;
        months.lastMonth = 12;
        ms = animate(map, months, "animation_bench/months-flat.gif");
        std::printf("2 100 months, flat, 75 %%, satellite: %.2f s (%.1f ms a frame), %ld bytes, "
                    "peak memory %.1f MB (%.1f MB more than one frame)\n",
                    ms / 1000, ms / 2100, fileSize("animation_bench/months-flat.gif"),
                    peakMegabytes(), peakMegabytes() - peakBefore);

        OrvexMap globe;
        prepare(globe, true);
        ms = animate(globe, months, "animation_bench/months-globe.gif");
        std::printf("2 100 months, globe, 75 %%, satellite: %.2f s (%.1f ms a frame), %ld bytes, "
                    "peak memory %.1f MB\n",
                    ms / 1000, ms / 2100, fileSize("animation_bench/months-globe.gif"),
                    peakMegabytes());
        WSystem::shutdown();
    } catch (const WException& e) {
        std::printf("%s\n", static_cast<const char*>(e.toString()));
        return 1;
    }
    return 0;
}
