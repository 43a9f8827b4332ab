// render_map: draws June 1990 of the demonstration hadcrut3v data set at
// 75 % as the flat map in each of the four map types and as the globe in
// outline and satellite form, with the labels a saved picture has, into
// PNG files of the given folder (default: the current one).
//
// Run with the run folder as the current directory (data/cru, worldmap.txt
// and the weltkarte pictures there):
//   render_map.exe Z:/path/to/build/map-pictures
#include <windows.h>
#include <objidl.h>
#include <gdiplus.h>

#include <cstdio>
#include <string>
#include <vector>

#include "MapCanvas.h"
#include "OrvexMap.h"
#include "WException.h"
#include "WSystem.h"

using namespace Gdiplus;
using namespace Gdiplus::DllExports;

namespace {
bool pngEncoder(CLSID& encoder)
{
    UINT count = 0;
    UINT size = 0;
    if (GdipGetImageEncodersSize(&count, &size) != Ok || size == 0)
        return false;
    std::vector<unsigned char> buffer(size);
    auto* codecs = reinterpret_cast<ImageCodecInfo*>(buffer.data());
    if (GdipGetImageEncoders(count, size, codecs) != Ok)
        return false;
    for (UINT i = 0; i < count; ++i) {
        if (std::wstring(codecs[i].MimeType) == L"image/png") {
            encoder = codecs[i].Clsid;
            return true;
        }
    }
    return false;
}

bool savePng(const MapCanvas& canvas, const std::string& name)
{
    CLSID encoder;
    GpBitmap* picture = nullptr;
    if (!pngEncoder(encoder) ||
        GdipCreateBitmapFromHBITMAP(canvas.getBitmap(), nullptr, &picture) != Ok)
        return false;
    std::wstring wide(name.begin(), name.end());
    bool saved = GdipSaveImageToFile(picture, wide.c_str(), &encoder, nullptr) == Ok;
    GdipDisposeImage(picture);
    return saved;
}

struct Picture {
    const char* file;
    int mapType;
    bool globe;
};
}

int main(int argc, char** argv)
{
    std::string folder = argc > 1 ? argv[1] : ".";
    int failures = 0;
    try {
        WSystem::startup("OrvexRenderMap", GetModuleHandleA(nullptr), nullptr,
                         const_cast<char*>("render_map"), SW_HIDE);
        {
            CreateDirectoryA(folder.c_str(), nullptr);
            OrvexMap map;
            map.database.open(OrvexDatabase::TYPE_GRID_FILE, "data/cru/hadcrut3v.dat");
            map.database.load(1990, 6, false);
            const Picture pictures[] = {
                {"flat-1-umrisse.png", 1, false},     {"flat-2-satellitenfoto.png", 2, false},
                {"flat-3-land-wasser.png", 3, false}, {"flat-4-nacht.png", 4, false},
                {"globe-1-umrisse.png", 1, true},     {"globe-2-satellitenfoto.png", 2, true},
            };
            for (const Picture& picture : pictures) {
                map.mapType = picture.mapType;
                map.loadBackgroundPicture();
                map.orthographic = picture.globe;
                MapLayout layout = map.layout();
                MapCanvas canvas(layout.pictureWidth, layout.pictureHeight);
                map.renderMap(canvas.getDC(), true, false);
                std::string name = folder + "/" + picture.file;
                if (savePng(canvas, name)) {
                    std::printf("%s\n", name.c_str());
                } else {
                    std::fprintf(stderr, "cannot write %s\n", name.c_str());
                    ++failures;
                }
            }
        }
        WSystem::shutdown();
    } catch (const WException& e) {
        std::fprintf(stderr, "%s\n", static_cast<const char*>(e.toString()));
        return 1;
    }
    return failures == 0 ? 0 : 1;
}
