#pragma once

#include <windows.h>

#include <functional>
#include <memory>
#include <utility>

class DibImage;
class MapCanvas;
class OrvexMap;
class WBitmap;

// Saving the map. Every output renders the whole picture afresh into a
// surface of its own at the design resolution (96 pixels per inch, so that
// a picture is the same on every screen), with labels and without position
// markers (those belong to the screen only): a bitmap for the raster files,
// GIF through the program's own colour reduction and writer, JPEG through
// WBitmap, PNG through GDI+'s encoder, and an Enhanced Metafile drawn at
// ten times the screen scale.
// Every file is written beside its name and moved over it when complete, so
// a failure or a cancel leaves no file and an old one as it was. Failures
// are WExceptions.
class MapSaver {
public:
    // Asked once the picture is made, before its file replaces the target;
    // false cancels the save.
    using Proceed = std::function<bool()>;

    explicit MapSaver(OrvexMap& map, Proceed proceed = Proceed())
        : map(map), proceed(std::move(proceed))
    {
    }

    // The current view (globe or flat) as a picture: on a canvas of its own,
    // or into bitmap, replacing it.
    std::unique_ptr<MapCanvas> renderPicture(bool withLabels, bool withMarkers);
    void renderToBitmap(WBitmap& bitmap, bool withLabels, bool withMarkers);
    // The three saves return false when cancelled (see Proceed).
    // Throws "GIF-Datei konnte nicht gespeichert werden. (reason)".
    bool saveGif(const char* fileName);
    // Quality 85; WBitmap::save's exceptions (a name ending in .jpeg is not
    // accepted there), "Error while saving image!" when the file cannot be
    // made or put in place.
    bool saveJpeg(const char* fileName);
    // Through GDI+'s encoder; throws "PNG-Datei konnte nicht gespeichert
    // werden." when the file cannot be made or put in place.
    bool savePng(const char* fileName);
    // Scale and border factor 10 while drawing, restored afterwards; throws
    // "Cannot create EMF-File." when the file cannot be made or written
    // completely.
    bool saveEmf(const char* fileName);

    // The GIF's colours: an octree palette of 256 colours, the picture
    // reduced to it with error diffusion into an 8-bit image.
    static void reduceTo256Colours(DibImage& image);

private:
    bool cancelled() const { return proceed && !proceed(); }

    OrvexMap& map;
    Proceed proceed;
};
