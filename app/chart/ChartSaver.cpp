#include "ChartSaver.h"

#include <objidl.h>
#include <gdiplus.h>

#include <cctype>
#include <string>
#include <utility>

#include "DibImage.h"
#include "MapCanvas.h"
#include "MapSaver.h"
#include "MetafileFile.h"
#include "PngWriter.h"
#include "ReplacementFile.h"
#include "WBitmap.h"
#include "WException.h"

namespace {

const wchar_t emfDescription[] = L"Orvex Visualizer\0Zeitreihe\0";

std::string extension(const char* fileName)
{
    std::string name(fileName);
    size_t dot = name.find_last_of('.');
    size_t slash = name.find_last_of("/\\");
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash))
        return "";
    std::string ending = name.substr(dot + 1);
    for (char& c : ending)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return ending;
}

} // namespace

ChartSaver::ChartSaver(Draw draw, int width, int height)
    : draw(std::move(draw)), width(width), height(height)
{
}

void ChartSaver::savePng(const char* fileName) const
{
    MapCanvas canvas(width, height);
    draw(canvas.getDC(), width, height);
    writePng(canvas.getBitmap(), fileName);
}

void ChartSaver::saveGif(const char* fileName) const
{
    DibImage image;
    {
        MapCanvas canvas(width, height);
        draw(canvas.getDC(), width, height);
        if (!image.createFromBitmap(canvas.getBitmap()))
            throw WException("GIF-Datei konnte nicht gespeichert werden.", -3);
    }
    MapSaver::reduceTo256Colours(image);
    if (!image.save(fileName, DibImage::FORMAT_GIF))
        throw WException("GIF-Datei konnte nicht gespeichert werden.", -3);
}

void ChartSaver::saveJpeg(const char* fileName) const
{
    WBitmap bitmap;
    {
        MapCanvas canvas(width, height);
        draw(canvas.getDC(), width, height);
        bitmap.create(canvas.getBitmap(), nullptr);
    }
    // GDI+ takes the screen's resolution for the file's; the picture is 96 DPI.
    Gdiplus::DllExports::GdipBitmapSetResolution(bitmap.getGDIPlusObject(), 96.0f, 96.0f);
    ReplacementFile output(fileName);
    if (!output.isReserved())
        throw WException("Error while saving image!", 0);
    bitmap.save(output.getName(), 85);
    if (!output.commit())
        throw WException("Error while saving image!", 0);
}

void ChartSaver::saveEmf(const char* fileName) const
{
    ReplacementFile output(fileName);
    if (!output.isReserved())
        throw WException("Cannot create EMF-File.", 0);
    // The frame in 0.01 mm of the picture's pixels at 96 DPI, the size of
    // the other pictures. The metafile's units are the screen's pixels: on a
    // screen of another resolution the drawing is scaled to them.
    RECT frame = {0, 0, MulDiv(width, 2540, 96), MulDiv(height, 2540, 96)};
    writeMetafile(output.getWideName(), frame, emfDescription, [this](HDC dc, HDC screen) {
        int dpiX = GetDeviceCaps(screen, LOGPIXELSX);
        int dpiY = GetDeviceCaps(screen, LOGPIXELSY);
        if (dpiX > 0 && dpiY > 0 && (dpiX != 96 || dpiY != 96)) {
            SetMapMode(dc, MM_ANISOTROPIC);
            SetWindowExtEx(dc, 96, 96, nullptr);
            SetViewportExtEx(dc, dpiX, dpiY, nullptr);
        }
        draw(dc, width, height);
    });
    if (!output.commit())
        throw WException("Cannot create EMF-File.", 0);
}

void ChartSaver::save(const char* fileName) const
{
    std::string ending = extension(fileName);
    if (ending == "png")
        savePng(fileName);
    else if (ending == "gif")
        saveGif(fileName);
    else if (ending == "jpg" || ending == "jpeg")
        saveJpeg(fileName);
    else if (ending == "emf")
        saveEmf(fileName);
    else
        throw WException("Das Bild kann nur als PNG, GIF, JPEG oder EMF gespeichert werden.", -3);
}
