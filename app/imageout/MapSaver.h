#pragma once

#include <windows.h>

class DibImage;
class OrvexMap;
class WBitmap;

// Saving the map. Every output renders the whole picture afresh into a
// surface of its own, with labels and without position markers (those
// belong to the screen only): a bitmap for the screen and the raster files,
// GIF through the program's own colour reduction and writer, JPEG through
// WBitmap, and an Enhanced Metafile drawn at ten times the screen scale.
// Failures are WExceptions.
class MapSaver {
public:
    explicit MapSaver(OrvexMap& map) : map(map) {}

    // Renders the current view (globe or flat) into bitmap, replacing it.
    void renderToBitmap(WBitmap& bitmap, bool withLabels, bool withMarkers);
    // Throws "GIF-Datei konnte nicht gespeichert werden. (reason)"; a file
    // that could not be written completely is removed.
    void saveGif(const char* fileName);
    // Quality 85; WBitmap::save's exceptions (a name ending in .jpeg is not
    // accepted there).
    void saveJpeg(const char* fileName);
    // Scale and border factor 10 while drawing, restored afterwards; throws
    // "Cannot create EMF-File." (and removes the file) when the file cannot
    // be made or written completely.
    void saveEmf(const char* fileName);

    // The GIF's colours: an octree palette of 256 colours, the picture
    // reduced to it with error diffusion into an 8-bit image.
    static void reduceTo256Colours(DibImage& image);

private:
    OrvexMap& map;
};
