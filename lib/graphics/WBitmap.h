#pragma once

#include <windows.h>

#include "WExport.h"
#include "WString.h"

namespace Gdiplus {
class GpBitmap;
struct PropertyItem;
}
class WFileStream;
class WPalette;

// A picture held by GDI+: loaded from any file format GDI+ decodes or copied
// from a GDI bitmap, drawn into device contexts, resampled, and saved as JPEG
// or GIF. Queries on an empty bitmap answer 0 and never throw; failures are
// WBitmapException. The image codecs (WImageCodecs) must be started.
//
// A WBitmap owns GDI+ objects and a GDI handle, so it cannot be copied.
class QUARN2_API WBitmap {
public:
    WBitmap();
    explicit WBitmap(const char* name);
    WBitmap(HBITMAP bitmap, HPALETTE palette);
    WBitmap(const WBitmap&) = delete;
    WBitmap& operator=(const WBitmap&) = delete;
    virtual ~WBitmap();

    // A name beginning with "$" is read through a file stream that stays open
    // until close; other names are decoded by GDI+ from the file, which GDI+
    // also keeps open until close (so the file cannot be overwritten meanwhile).
    void open(const char* name);
    // Copies the pixels: the caller keeps its handle and may delete it.
    void create(HBITMAP bitmap, HPALETTE palette);
    // Takes a 32-bit top-down DIB section of width x height as the picture
    // without copying its pixels (a screen picture of megabytes is handed on
    // many times a second): the bitmap owns and deletes it, and it is the
    // bitmap's handle. Failure: WBitmapException "Cannot create bitmap."
    // (the section is deleted).
    void adopt(HBITMAP dibSection, int width, int height);
    // Empties the bitmap; the file name stays.
    void close();

    unsigned long getWidth() const;
    unsigned long getHeight() const;
    // COLORREF 0x00BBGGRR, alpha dropped; 0 outside the picture.
    unsigned long getPixel(int x, int y) const;
    // Writes the colour fully opaque.
    void setPixel(int x, int y, unsigned long colour);
    unsigned long getBPP() const;
    // Nothing for a picture without palette.
    void getPalette(WPalette& palette) const;

    bool getColorKey(unsigned long& colour) const;
    bool isColorKey() const { return hasColorKey; }
    const WString& getFilename() const { return fileName; }

    unsigned long getFrameCount() const { return frameCount; }
    unsigned long getFrameIdx() const { return frameIdx; }
    // Ignored unless index < getFrameCount().
    void setFrame(unsigned long index);
    // Delay of the selected frame in milliseconds; 0 when the picture has none.
    unsigned long getFrameDelay() const;

    // Made on first use over black (or the colour key made opaque) and owned
    // by the bitmap. Any change of the picture (setPixel, setFrame, resample,
    // open, create, close) deletes it; the next call makes a fresh one. An
    // adopted section is the handle itself until open, create, resample or
    // close.
    HBITMAP getBitmapHandle() const;
    operator HBITMAP() const { return getBitmapHandle(); }
    Gdiplus::GpBitmap* getGDIPlusObject() const { return picture; }

    // Unscaled, top-left corner at (x, y).
    void toDevice(HDC dc, int x, int y) const;
    // The source rectangle of the picture stretched into the target
    // rectangle, high-quality interpolation.
    void toDevice(HDC dc, const RECT& source, const RECT& target) const;
    // Into the parallelogram of 3 points (upper-left, upper-right,
    // lower-left); a fourth point is accepted and implied by the others.
    // Other counts draw nothing.
    void toDevice(HDC dc, const POINT* points, int count, bool smooth) const;

    // Scales the picture to the new size in its pixel format; nothing changes
    // when that cannot be done.
    void resample(unsigned long width, unsigned long height);
    // By extension: "jpg" (quality 0-100) or "gif"; anything else throws
    // "Bitmap format is not supported for saving!".
    void save(const char* name, unsigned long quality) const;

private:
    void readProperties();
    void dropBitmapHandle();
    void dropAdoptedSection();

    Gdiplus::GpBitmap* picture;
    mutable HBITMAP bitmapHandle;
    // The adopted DIB section whose pixels picture uses; deleted after it.
    HBITMAP adoptedSection;
    WString fileName;
    unsigned long frameIdx;
    unsigned long frameCount;
    Gdiplus::PropertyItem* frameDelays;
    unsigned long colorKey;
    bool hasColorKey;
    WFileStream* stream;
};
