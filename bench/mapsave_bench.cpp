// mapsave_bench: times saving the map of one month at 100 % as GIF (render,
// quantize + diffuse, LZW and writing apart, and the whole saveGif) and as
// JPEG, and measures the Enhanced Metafiles of the flat map and the globe.
//
//   mapsave_bench.exe [MAPTYPE] [--no-emf]
//
// Run with the run folder as the current directory: the data set
// data/cru/hadcrut3.dat, worldmap.txt and the background pictures are read
// there; the files are written to mapsave_bench_out/. MAPTYPE is 1
// (outlines) to 4; default 2 (the first background picture). Figures are
// wall-clock times, the best of several rounds.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>

#include "BenchClock.h"
#include "DibImage.h"
#include "MapCanvas.h"
#include "MapSaver.h"
#include "OrvexMap.h"
#include "WBitmap.h"
#include "WException.h"
#include "WSystem.h"

namespace {

void report(const char* what, double ms, double targetMs)
{
    if (targetMs > 0)
        std::printf("%-44s %9.1f ms   target <= %5.0f ms   %s\n", what, ms, targetMs,
                    ms <= targetMs ? "met" : "MISSED");
    else
        std::printf("%-44s %9.1f ms\n", what, ms);
}

long long fileSize(const char* name)
{
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!GetFileAttributesExA(name, GetFileExInfoStandard, &data))
        return -1;
    return (static_cast<long long>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
}

void timeGifStages(OrvexMap& map)
{
    const int rounds = 7;
    MapLayout picture = map.layout();
    std::printf("GIF of the %d x %d map, stages (best of %d)\n", picture.pictureWidth,
                picture.pictureHeight, rounds);
    MapCanvas canvas(picture.pictureWidth, picture.pictureHeight);
    // The first picture after a change of background scales the background;
    // later ones (the screen has always drawn one before a save) reuse it.
    map.backgroundPictureChanged();
    report("  render, first after loading the picture",
           bestOf(1, [&] { map.renderMap(canvas.getDC(), true, false); }), 0);
    double render = bestOf(rounds, [&] { map.renderMap(canvas.getDC(), true, false); });
    report("  render", render, 0);
    DibImage image;
    double copy = bestOf(rounds, [&] { image.createFromBitmap(canvas.getBitmap()); });
    report("  copy into a 24-bit image", copy, 0);
    double quantize = bestOf(rounds,
                             [&] {
                                 DibImage work;
                                 work.createFromBitmap(canvas.getBitmap());
                                 MapSaver::reduceTo256Colours(work);
                             }) -
                      copy;
    report("  quantize + diffuse", quantize, 0);
    MapSaver::reduceTo256Colours(image);
    double lzw =
        bestOf(rounds, [&] { image.save("mapsave_bench_out\\stages.gif", DibImage::FORMAT_GIF); });
    report("  LZW and writing the file", lzw, 0);
    std::printf("  GIF file: %lld bytes\n", fileSize("mapsave_bench_out\\stages.gif"));
}

void timeJpegStages(OrvexMap& map)
{
    const int rounds = 7;
    MapLayout picture = map.layout();
    std::printf("JPEG of the map, stages (best of %d)\n", rounds);
    MapCanvas canvas(picture.pictureWidth, picture.pictureHeight);
    map.renderMap(canvas.getDC(), true, false);
    WBitmap bitmap;
    report("  copy into a WBitmap",
           bestOf(rounds, [&] { bitmap.create(canvas.getBitmap(), nullptr); }), 0);
    report("  encoding and writing the file",
           bestOf(rounds, [&] { bitmap.save("mapsave_bench_out\\stages.jpg", 85); }), 0);
}

void timeEmf(OrvexMap& map, bool globe)
{
    map.orthographic = globe;
    const char* name = globe ? "mapsave_bench_out\\globe.emf" : "mapsave_bench_out\\flat.emf";
    MapSaver saver(map);
    double ms = bestOf(1, [&] { saver.saveEmf(name); });
    std::printf("saveEmf %-5s %9.1f ms, %lld bytes\n", globe ? "globe" : "flat", ms,
                fileSize(name));
    map.orthographic = false;
}

}

int main(int argc, char** argv)
{
    int mapType = 2;
    bool emf = true;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--no-emf") == 0)
            emf = false;
        else
            mapType = std::atoi(argv[i]);
    }
    WSystem::startup("MapSaveBench", GetModuleHandleA(nullptr), nullptr,
                     const_cast<char*>("mapsave_bench"), SW_SHOWNORMAL, 0);
    int result = 0;
    try {
        CreateDirectoryA("mapsave_bench_out", nullptr);
        OrvexMap map;
        map.mapType = mapType;
        map.scalePercent = 100;
        map.scaleX = map.scaleY = 1.0;
        map.loadBackgroundPicture();
        map.database.open(OrvexDatabase::TYPE_GRID_FILE, "data/cru/hadcrut3.dat");
        map.database.load(1998, 1, false);
        std::printf("map type %d, January 1998 of hadcrut3.dat\n", mapType);

        timeGifStages(map);
        timeJpegStages(map);
        MapSaver saver(map);
        report("saveGif in all (best of 7)",
               bestOf(7, [&] { saver.saveGif("mapsave_bench_out\\map.gif"); }), 120);
        report("saveJpeg in all (best of 7)",
               bestOf(7, [&] { saver.saveJpeg("mapsave_bench_out\\map.jpg"); }), 60);
        map.orthographic = true;
        report("saveGif of the globe (best of 3)",
               bestOf(3, [&] { saver.saveGif("mapsave_bench_out\\globe.gif"); }), 0);
        map.orthographic = false;
        if (emf) {
            timeEmf(map, false);
            timeEmf(map, true);
        }
    } catch (const WException& e) {
        std::printf("failed: %s\n", static_cast<const char*>(e.toString()));
        result = 1;
    }
    WSystem::shutdown();
    return result;
}
