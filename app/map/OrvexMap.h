#pragma once

#include <windows.h>

#include <memory>

#include "GmsCoordinates.h"
#include "MapGeometry.h"
#include "OrvexDatabase.h"
#include "Position.h"
#include "PositionCollection.h"
#include "WBitmap.h"
#include "WFont.h"
#include "WString.h"

class FastMapRenderer;
class WControlProgressBar;
class WControlStatusbar;

// The run state the map is drawn from, and the map's operations: geometry
// and projections, the two renderers, coastlines, legend, labels, status
// text, markers and the map page's painting. The application object owns one
// and reads and changes its fields directly, as do the image output, the
// settings and the commands. Nothing here needs a main window or a message
// loop: a map renders into any device context.
//
// Angles are radians unless a name says degrees. Every pixel is rounded half
// away from zero (roundToInt).
class OrvexMap {
public:
    // Which code paints the pictures. Fast works in the pixels of a 32-bit
    // DIB section (see MapCanvas) and gives exactly the pixels of Reference,
    // the straightforward GDI and GDI+ drawing; any other target (a
    // metafile, a device bitmap) is painted by Reference.
    enum class RenderPath { Fast, Reference };

    OrvexMap();
    OrvexMap(const OrvexMap&) = delete;
    OrvexMap& operator=(const OrvexMap&) = delete;
    ~OrvexMap();

    // --- Run state -------------------------------------------------------
    int mapType;      // 1 outlines, 2 "weltkarte1.jpg", 3 "weltkarte3.jpg", 4 "weltkarte2.jpg"
    int scalePercent; // 100, 75 or 50
    // The pixels per inch the map is drawn at: the monitor's on screen, 96
    // (the design size) for saved and copied pictures.
    int dpi;
    double scaleX, scaleY; // scalePercent / 100 * dpi / 96, always equal
    double borderFactor;   // dpi / 96; 10.0 while a metafile is drawn
    WBitmap backgroundPicture; // the picture of mapType; closed in outline mode
    WBitmap mapPicture;        // the last screen rendering
    OrvexDatabase database;
    PositionCollection positions;
    bool orthographic;                     // globe view
    WFont titleFont;                       // "Times New Roman" 12 pt at dpi
    WFont legendFont;                      // "Arial" 8 pt at dpi
    int mouseX, mouseY;                    // last mouse position over the map page
    int mapCentreX, mapCentreY;            // written by every rendering
    double globeCentreLon, globeCentreLat; // written by every globe rendering

    // Not owned; null when there is none. The renderers send percentages to
    // the wait dialog's bar, updateStatusBar writes the main window's bar.
    WControlProgressBar* progressBar;
    WControlStatusbar* statusBar;
    RenderPath renderPath;

    // Opens the background picture of mapType from the working folder
    // ("weltkarte1.jpg" for 2, "weltkarte3.jpg" for 3, "weltkarte2.jpg" for
    // 4) or closes it (any other type). Throws what WBitmap::open throws.
    // Code that changes backgroundPicture otherwise calls
    // backgroundPictureChanged, so that the fast path drops its copy.
    void loadBackgroundPicture();
    void backgroundPictureChanged();
    // Sets scalePercent and dpi, and what follows from them: scaleX,
    // scaleY, borderFactor and the fonts.
    void setScale(int percent, int dotsPerInch);
    // A length of the design (at 96 pixels per inch) in the map's pixels:
    // pens, ticks, marks and text boxes grow with the resolution.
    int devicePixels(double designLength) const;

    // --- Geometry and projections ---------------------------------------
    MapLayout layout() const { return MapLayout(scaleX, borderFactor); }
    void gmsToRadians(const GmsCoordinates& coordinates, double& lon, double& lat) const;
    // The centre of view: position number 1 when there is one, otherwise
    // globeCentreLon/globeCentreLat.
    void globeCentre(double& lon, double& lat) const;
    void projectOrthographic(double centreLon, double centreLat, double lon, double lat,
                             int centreX, int centreY, int& x, int& y) const;
    // False, outputs untouched, when the pixel is off the globe. With repair
    // a pixel beyond a visible pole gets the longitude of the far side. The
    // longitude is not wrapped into -pi..pi.
    bool unprojectOrthographic(int x, int y, int centreX, int centreY, double centreLon,
                               double centreLat, double& lon, double& lat, bool repair) const;
    // Globe view (unless flatOnly): the globe's centre pixel. Otherwise the
    // flat pixel, in picture coordinates when withBorder.
    void positionToPixel(const GmsCoordinates& coordinates, int& x, int& y, bool withBorder,
                         bool flatOnly) const;
    // The colour of an equirectangular picture at a place; 0 outside it.
    static unsigned long samplePicture(const WBitmap& picture, double lon, double lat);
    // The place under a pixel of the screen picture (globe view: under
    // mouseX, mouseY), minutes carried into degrees. False when off the map;
    // the output is cleared first.
    bool pixelToPosition(int x, int y, GmsCoordinates& coordinates) const;

    // --- Rendering ------------------------------------------------------
    // Paint the whole picture of layout() into dc, whose surface must be at
    // least that large. Throw the file layer's exception when outline mode
    // finds no "worldmap.txt".
    void renderFlatMap(HDC dc, bool withLabels, bool withMarkers);
    void renderGlobe(HDC dc, bool withLabels, bool withMarkers);
    // renderGlobe in the globe view, renderFlatMap otherwise.
    void renderMap(HDC dc, bool withLabels, bool withMarkers);
    void drawCoastlines(HDC dc);
    // 1 pixel on the flat map, 2 on the globe, at 96 pixels per inch.
    int coastlinePenWidth() const;

    // --- Texts around the map ----------------------------------------------
    void drawLegend(HDC dc);
    void drawLabels(HDC dc);
    // The title line above the map: data set, month, year, season or trend
    // span, global value or global trend, coverage, and the reference.
    WString titleText() const;
    // The legend's label under the border after entry 0..9: its upper bound,
    // on a trend map in degrees per decade.
    WString legendLabel(int entry) const;
    // The caption at the bottom right: what the colours mean, and against
    // which period.
    WString captionText() const;
    // The two status-bar texts for the mouse position: the place (or the
    // marker's name and place) and the cell value there. False, both empty,
    // when the mouse is neither on a marker nor on the map.
    bool statusTexts(WString& place, WString& value);
    void updateStatusBar();
    // "Jan" ... "Dez"; empty for any other number.
    static const char* monthAbbreviation(unsigned int month);

    // --- Map page and markers ---------------------------------------------
    void paintMapPage(HDC dc, const RECT& area);
    void drawMarkers(HDC dc);
    // The number of the first position (list order) whose marker square
    // holds the point, copied into position; 0 when none.
    unsigned int hitTestMarker(int x, int y, Position& position);
    void markerPixel(const GmsCoordinates& coordinates, int& x, int& y) const;
    void onMapMouseMove(int x, int y);

private:
    friend class FastMapRenderer;

    void renderFlatMapReference(HDC dc, bool withLabels, bool withMarkers);
    void renderGlobeReference(HDC dc, bool withLabels, bool withMarkers);
    void fillWhite(HDC dc, int width, int height) const;
    // Every cell with data, opaque in outline mode and alpha 128 otherwise.
    // The progress goes to the bar when reportProgress.
    void paintCells(HDC dc, bool withBorder, bool reportProgress);
    // The globe's pixels around the centre pixel at the current scale.
    void drawGlobePixels(HDC dc, int centreX, int centreY, double centreLon, double centreLat);
    // The same at scale 2, stretched over the globe square as one picture.
    void drawGlobePicture(HDC dc, double centreLon, double centreLat);
    void drawGridLines(HDC dc, double centreLon, double centreLat);
    void drawRim(HDC dc);
    void finishPicture(HDC dc, bool withLabels, bool withMarkers);
    void drawText(HDC dc, const char* text, const RECT& area, UINT format);
    void sendProgress(int percent, int& lastSent);

    std::unique_ptr<FastMapRenderer> fast;
};
