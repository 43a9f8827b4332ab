#include "MapSaver.h"

#include <string>
#include <utility>
#include <vector>

#include "DesignResolution.h"
#include "DibImage.h"
#include "MapCanvas.h"
#include "MetafileFile.h"
#include "OctreeQuantizer.h"
#include "OrvexMap.h"
#include "PngWriter.h"
#include "ReplacementFile.h"
#include "WBitmap.h"
#include "WException.h"

namespace {

// 3.18 m x 1.83 m in 0.01 mm: 0.3 mm per unit of the 10600 x 6100 picture.
const RECT emfFrame = {0, 0, 318000, 183000};
// Application name and (empty) title, each ended by a null character, and
// one more at the end.
const wchar_t emfDescription[] = L"Orvex Visualizer V0.91 - Visualisierung von HadCRUT3-Daten\0\0";

[[noreturn]] void gifFailed(const char* reason)
{
    std::string message = "GIF-Datei konnte nicht gespeichert werden.";
    if (reason != nullptr && *reason != '\0')
        message = message + " (" + reason + ")";
    throw WException(message.c_str(), -3);
}

// Scale and border 10 for the metafile, its texts and pens at the design
// resolution; the view's scale, resolution and centre come back however the
// drawing ends.
class MetafileScale {
public:
    explicit MetafileScale(OrvexMap& map)
        : design(map), map(map), scaleX(map.scaleX), scaleY(map.scaleY),
          borderFactor(map.borderFactor)
    {
        map.scaleX = 10.0;
        map.scaleY = 10.0;
        map.borderFactor = 10.0;
    }
    MetafileScale(const MetafileScale&) = delete;
    MetafileScale& operator=(const MetafileScale&) = delete;
    ~MetafileScale()
    {
        map.scaleX = scaleX;
        map.scaleY = scaleY;
        map.borderFactor = borderFactor;
    }

private:
    DesignResolution design; // first made, last undone
    OrvexMap& map;
    double scaleX, scaleY, borderFactor;
};

}

std::unique_ptr<MapCanvas> MapSaver::renderPicture(bool withLabels, bool withMarkers)
{
    DesignResolution design(map);
    MapLayout picture = map.layout();
    auto canvas = std::make_unique<MapCanvas>(picture.pictureWidth, picture.pictureHeight);
    map.renderMap(canvas->getDC(), withLabels, withMarkers);
    return canvas;
}

void MapSaver::renderToBitmap(WBitmap& bitmap, bool withLabels, bool withMarkers)
{
    bitmap.create(renderPicture(withLabels, withMarkers)->getBitmap(), nullptr);
}

void MapSaver::reduceTo256Colours(DibImage& image)
{
    OctreeQuantizer quantizer(256, 8);
    quantizer.processImage(image.getPackedDib());
    // Entries past the octree's leaves stay black.
    std::vector<RGBQUAD> table(256, RGBQUAD{0, 0, 0, 0});
    quantizer.setColourTable(table.data());
    if (!image.reduceColours(8, true, table.data(), 256))
        gifFailed(image.getLastError());
}

bool MapSaver::saveGif(const char* fileName)
{
    DibImage image;
    {
        // The canvas is copied into the 24-bit image directly: the same
        // pixels as through a WBitmap, without two more copies of them.
        std::unique_ptr<MapCanvas> canvas = renderPicture(true, false);
        if (!image.createFromBitmap(canvas->getBitmap()))
            gifFailed(image.getLastError());
    }
    reduceTo256Colours(image);
    // Writing is quick; the image writes beside the target itself.
    if (cancelled())
        return false;
    if (!image.save(fileName, DibImage::FORMAT_GIF))
        gifFailed(image.getLastError());
    return true;
}

bool MapSaver::saveJpeg(const char* fileName)
{
    WBitmap bitmap;
    renderToBitmap(bitmap, true, false);
    ReplacementFile output(fileName);
    if (!output.isReserved())
        throw WException("Error while saving image!", 0);
    bitmap.save(output.getName(), 85);
    if (cancelled())
        return false;
    if (!output.commit())
        throw WException("Error while saving image!", 0);
    return true;
}

bool MapSaver::savePng(const char* fileName)
{
    std::unique_ptr<MapCanvas> canvas = renderPicture(true, false);
    if (cancelled())
        return false;
    writePng(canvas->getBitmap(), fileName);
    return true;
}

bool MapSaver::saveEmf(const char* fileName)
{
    ReplacementFile output(fileName);
    if (!output.isReserved())
        throw WException("Cannot create EMF-File.", 0);
    writeMetafile(output.getWideName(), emfFrame, emfDescription, [this](HDC dc, HDC) {
        MetafileScale scale(map);
        map.renderMap(dc, true, false);
    });
    if (cancelled())
        return false;
    if (!output.commit())
        throw WException("Cannot create EMF-File.", 0);
    return true;
}
