#include "MapAnimation.h"

#include <string>
#include <vector>

#include "AnimatedGifWriter.h"
#include "AnimationPalette.h"
#include "ColourScale.h"
#include "MapCanvas.h"
#include "OrvexMap.h"
#include "WException.h"

namespace {

[[noreturn]] void gifFailed(const char* reason)
{
    std::string message = "GIF-Datei konnte nicht gespeichert werden.";
    if (reason != nullptr && *reason != '\0')
        message = message + " (" + reason + ")";
    throw WException(message.c_str(), -3);
}

}

// Every colour a frame of this view can show is the colour of its pixel in
// the picture without data or in one of the pictures whose every cell lies
// in one band of the scale: cells do not overlap, and what lies over them
// (coastlines, grid lines, rim, legend) is the same in all of them. The
// texts differ, but in their glyphs only. A value 0.05 below a band's upper
// bound lies inside the band (the narrowest is 0.2 wide); on a trend map
// the bands are narrower by the trend's divisor.
void MapAnimation::addViewColours(OrvexMap& map, MapCanvas& canvas, AnimationPalette& palette)
{
    const size_t pixelCount = static_cast<size_t>(canvas.getWidth()) * canvas.getHeight();
    double divisor = map.database.isTrend() ? trendBandDivisor : 1.0;
    for (int band = -1; band < anomalyColourCount; band++) {
        if (band < 0)
            map.database.clearField();
        else
            map.database.fillField((anomalyColours[band].upperBound - 0.05) / divisor);
        map.renderMap(canvas.getDC(), true, false);
        palette.addPixels(canvas.getPixels(), pixelCount);
    }
}

int AnimationRange::frameCount() const
{
    long long perYear = yearAverage ? 1 : seasons ? 4 : 12;
    long long first = firstYear * perYear + (yearAverage ? 0 : firstMonth - 1);
    long long last = lastYear * perYear + (yearAverage ? 0 : lastMonth - 1);
    if (last < first || last - first >= 0x7FFFFFFF)
        return 0;
    return static_cast<int>(last - first + 1);
}

void AnimationRange::frame(int i, unsigned int& year, unsigned int& month) const
{
    if (yearAverage) {
        year = firstYear + i;
        month = firstMonth;
        return;
    }
    long long perYear = seasons ? 4 : 12;
    long long index = firstYear * perYear + firstMonth - 1 + i;
    year = static_cast<unsigned int>(index / perYear);
    month = static_cast<unsigned int>(index % perYear + 1);
}

bool MapAnimation::write(const char* fileName, unsigned short delay, unsigned short hold,
                         unsigned int loopCount, const Progress& progress)
{
    const int total = range.frameCount();
    if (total == 0)
        gifFailed("GIF animation has no frames");
    MapLayout picture = map.layout();
    MapCanvas canvas(picture.pictureWidth, picture.pictureHeight);
    const size_t pixelCount = static_cast<size_t>(picture.pictureWidth) * picture.pictureHeight;

    AnimationPalette palette;
    addViewColours(map, canvas, palette);
    colourCount = palette.getColourCount();
    AnimatedGifWriter writer;
    if (!writer.open(fileName, picture.pictureWidth, picture.pictureHeight, palette.getColours(),
                     palette.getColourCount(), loopCount))
        gifFailed(writer.getLastError());

    std::vector<unsigned char> indices(pixelCount);
    for (int i = 0; i < total; i++) {
        unsigned int year, month;
        range.frame(i, year, month);
        if (range.seasons)
            map.database.loadSeason(year, month);
        else
            map.database.load(year, month, range.yearAverage);
        map.renderMap(canvas.getDC(), true, false);
        palette.mapPixels(canvas.getPixels(), pixelCount, indices.data());
        if (!writer.addFrame(indices.data(), i + 1 == total ? hold : delay))
            gifFailed(writer.getLastError());
        if (progress && !progress(i + 1, total)) {
            writer.abandon();
            return false;
        }
    }
    if (!writer.finish())
        gifFailed(writer.getLastError());
    return true;
}
