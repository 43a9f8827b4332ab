#pragma once

#include <cstdint>
#include <vector>

// Where each pixel of the globe takes its colour from, for one view: the
// pixel of the data layer (the flat map the globe is sampled from) that its
// inverse projection, quadrant repair included, falls on, or black when
// that lies outside the layer. The inverse projections depend only on the
// view, so a table made once serves every frame and every month shown in
// that view, and a frame costs one look-up per pixel.
class GlobeTable {
public:
    // The view the table is for. The table is made anew when it changes.
    struct View {
        double centreLon = 0; // centre of view, radians
        double centreLat = 0;
        int centreX = 0; // centre pixel of the globe
        int centreY = 0;
        double scale = 0;
        int pixelRadius = 0; // round(250 * scale)
        int layerWidth = 0;  // the data layer
        int layerHeight = 0;
        int pictureWidth = 0; // pixels outside the picture are left out
        int pictureHeight = 0;
        bool operator==(const View& other) const;
    };
    // A globe pixel and the data-layer pixel (row * layerWidth + column) it
    // shows; -1 for black.
    struct Pixel {
        int x;
        int y;
        std::int32_t source;
    };
    static const std::int32_t black = -1;

    // Makes the table unless it is already the one for view.
    void prepare(const View& view);
    // The globe pixels column by column; column c of the square around the
    // globe ends before getColumnEnds()[c]. The columns come in the order
    // centre, then pairs mirrored about it.
    const std::vector<Pixel>& getPixels() const { return pixels; }
    const std::vector<std::uint32_t>& getColumnEnds() const { return columnEnds; }
    // Pixels of one column of the square, those off the globe included.
    int getSquareSize() const { return 2 * current.pixelRadius + 1; }

private:
    void build();

    View current;
    bool made = false;
    std::vector<Pixel> pixels;
    std::vector<std::uint32_t> columnEnds;
};
