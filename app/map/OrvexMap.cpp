#include "OrvexMap.h"

#include "FastMapRenderer.h"

OrvexMap::OrvexMap()
    : mapType(2), scalePercent(75), dpi(96), scaleX(0.75), scaleY(0.75), borderFactor(1.0),
      orthographic(false), mouseX(0), mouseY(0), mapCentreX(0), mapCentreY(0),
      globeCentreLon(0.174532925), globeCentreLat(0.7853981625), progressBar(nullptr),
      statusBar(nullptr), renderPath(RenderPath::Fast), fast(new FastMapRenderer(*this))
{
    setScale(scalePercent, dpi);
}

OrvexMap::~OrvexMap() = default;

void OrvexMap::loadBackgroundPicture()
{
    backgroundPictureChanged();
    switch (mapType) {
    case 2: backgroundPicture.open("weltkarte1.jpg"); break;
    case 3: backgroundPicture.open("weltkarte3.jpg"); break;
    case 4: backgroundPicture.open("weltkarte2.jpg"); break;
    default: backgroundPicture.close(); break;
    }
}

void OrvexMap::setScale(int percent, int dotsPerInch)
{
    scalePercent = percent;
    dpi = dotsPerInch;
    borderFactor = dpi / 96.0;
    scaleX = scalePercent / 100.0 * borderFactor;
    scaleY = scaleX;
    titleFont.create("Times New Roman", 12, 0, 400, 0, static_cast<unsigned int>(dpi));
    legendFont.create("Arial", 8, 0, 400, 0, static_cast<unsigned int>(dpi));
}

int OrvexMap::devicePixels(double designLength) const
{
    return roundToInt(designLength * dpi / 96.0);
}

void OrvexMap::backgroundPictureChanged()
{
    fast->forgetBackground();
}

void OrvexMap::renderMap(HDC dc, bool withLabels, bool withMarkers)
{
    if (orthographic)
        renderGlobe(dc, withLabels, withMarkers);
    else
        renderFlatMap(dc, withLabels, withMarkers);
}
