#include "PngWriter.h"

#include <objidl.h>
#include <gdiplus.h>

#include <cwchar>
#include <vector>

#include "ReplacementFile.h"
#include "WException.h"

using namespace Gdiplus;

namespace {

[[noreturn]] void pngFailed()
{
    throw WException("PNG-Datei konnte nicht gespeichert werden.", -3);
}

bool pngEncoder(CLSID& encoder)
{
    UINT count = 0, size = 0;
    if (DllExports::GdipGetImageEncodersSize(&count, &size) != Ok || size == 0)
        return false;
    std::vector<BYTE> buffer(size);
    ImageCodecInfo* codecs = reinterpret_cast<ImageCodecInfo*>(buffer.data());
    if (DllExports::GdipGetImageEncoders(count, size, codecs) != Ok)
        return false;
    for (UINT i = 0; i < count; ++i)
        if (std::wcscmp(codecs[i].MimeType, L"image/png") == 0) {
            encoder = codecs[i].Clsid;
            return true;
        }
    return false;
}

// A GDI+ bitmap made from a GDI bitmap, for a scope.
class GdiPlusBitmap {
public:
    explicit GdiPlusBitmap(HBITMAP source)
    {
        if (DllExports::GdipCreateBitmapFromHBITMAP(source, nullptr, &bitmap) != Ok)
            bitmap = nullptr;
    }
    GdiPlusBitmap(const GdiPlusBitmap&) = delete;
    GdiPlusBitmap& operator=(const GdiPlusBitmap&) = delete;
    ~GdiPlusBitmap()
    {
        if (bitmap != nullptr)
            DllExports::GdipDisposeImage(bitmap);
    }
    GpBitmap* get() const { return bitmap; }

private:
    GpBitmap* bitmap = nullptr;
};

} // namespace

void writePng(HBITMAP bitmap, const char* fileName)
{
    CLSID encoder;
    if (!pngEncoder(encoder))
        pngFailed();
    ReplacementFile output(fileName);
    if (!output.isReserved())
        pngFailed();
    {
        GdiPlusBitmap image(bitmap);
        // GDI+ gives the bitmap the screen's resolution; the pictures are 96 DPI.
        if (image.get() == nullptr ||
            DllExports::GdipBitmapSetResolution(image.get(), 96.0f, 96.0f) != Ok ||
            DllExports::GdipSaveImageToFile(image.get(), output.getWideName().c_str(), &encoder,
                                            nullptr) != Ok)
            pngFailed();
    }
    if (!output.commit())
        pngFailed();
}
