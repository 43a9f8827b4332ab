#pragma once

#include <windows.h>

class MapCanvas;
class OrvexMap;

// Copies the map onto the clipboard as saved pictures look (title, legend,
// labels, no position markers), at the view's scale and 96 pixels per inch
// whatever the screen: as a 24-bit device-independent bitmap for programs
// that paste pixels, and as an Enhanced Metafile of that bitmap whose frame
// is the picture's size at 96 pixels per inch, for programs that paste
// drawings (so a slide or a document shows it at the size a window at 100 %
// shows it, and scales it as it scales its text). The metafile holds the pixels, not
// the map's drawing: drawn afresh into a metafile the map takes ten times
// as long (the globe from a finer picture), and it would not be the same
// picture. Failures are WExceptions.
class MapClipboard {
public:
    explicit MapClipboard(OrvexMap& map) : map(map) {}

    // Replaces the clipboard's content; owner owns the clipboard afterwards.
    // Throws "Die Karte konnte nicht in die Zwischenablage kopiert werden."
    void copy(HWND owner);
    // The same for any picture drawn on a canvas (the chart tab's).
    static void copyPicture(HWND owner, MapCanvas& picture);

private:
    // CF_DIB: a BITMAPINFOHEADER and the rows of the picture, bottom-up,
    // 24 bits.
    static HGLOBAL packedDib(MapCanvas& picture);
    // The packed bitmap drawn into a metafile.
    static HENHMETAFILE metafile(const BITMAPINFO* dib);

    OrvexMap& map;
};
