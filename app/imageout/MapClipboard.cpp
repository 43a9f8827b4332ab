#include "MapClipboard.h"

#include <cstdint>
#include <cstring>

#include "DesignResolution.h"
#include "MapCanvas.h"
#include "MapSaver.h"
#include "OrvexMap.h"
#include "ScreenContext.h"
#include "WException.h"

namespace {

const char* const copyFailed = "Die Karte konnte nicht in die Zwischenablage kopiert werden.";
// Application name and picture name, each ended by a null character, and
// one more at the end.
const wchar_t description[] = L"Orvex Visualizer\0Weltkarte\0\0";

// Clipboard data until the clipboard takes it.
class GlobalMemory {
public:
    explicit GlobalMemory(HGLOBAL memory) : memory(memory) {}
    GlobalMemory(const GlobalMemory&) = delete;
    GlobalMemory& operator=(const GlobalMemory&) = delete;
    ~GlobalMemory()
    {
        if (memory != nullptr)
            GlobalFree(memory);
    }
    HGLOBAL get() const { return memory; }
    void release() { memory = nullptr; }

private:
    HGLOBAL memory;
};

class Metafile {
public:
    explicit Metafile(HENHMETAFILE metafile) : metafile(metafile) {}
    Metafile(const Metafile&) = delete;
    Metafile& operator=(const Metafile&) = delete;
    ~Metafile()
    {
        if (metafile != nullptr)
            DeleteEnhMetaFile(metafile);
    }
    HENHMETAFILE get() const { return metafile; }
    void release() { metafile = nullptr; }

private:
    HENHMETAFILE metafile;
};

// The clipboard, open for a scope; other programs cannot use it meanwhile.
class OpenClipboardScope {
public:
    explicit OpenClipboardScope(HWND owner) : open(OpenClipboard(owner) != 0) {}
    OpenClipboardScope(const OpenClipboardScope&) = delete;
    OpenClipboardScope& operator=(const OpenClipboardScope&) = delete;
    ~OpenClipboardScope()
    {
        if (open)
            CloseClipboard();
    }
    bool isOpen() const { return open; }

private:
    bool open;
};

} // namespace

void MapClipboard::copy(HWND owner)
{
    copyPicture(owner, *MapSaver(map).renderPicture(true, false));
}

void MapClipboard::copyPicture(HWND owner, MapCanvas& picture)
{
    // Both are made before the clipboard is opened: it stays open briefly.
    GlobalMemory dib(packedDib(picture));
    const BITMAPINFO* bits = static_cast<const BITMAPINFO*>(GlobalLock(dib.get()));
    Metafile drawing(bits != nullptr ? metafile(bits) : nullptr);
    GlobalUnlock(dib.get());
    if (drawing.get() == nullptr)
        throw WException(copyFailed, -2);
    OpenClipboardScope clipboard(owner);
    if (!clipboard.isOpen() || !EmptyClipboard())
        throw WException(copyFailed, -4);
    // The clipboard owns what it took.
    if (SetClipboardData(CF_DIB, dib.get()) == nullptr)
        throw WException(copyFailed, -3);
    dib.release();
    if (SetClipboardData(CF_ENHMETAFILE, drawing.get()) == nullptr)
        throw WException(copyFailed, -3);
    drawing.release();
}

HGLOBAL MapClipboard::packedDib(MapCanvas& canvas)
{
    const int width = canvas.getWidth();
    const int height = canvas.getHeight();
    const size_t stride = (static_cast<size_t>(width) * 3 + 3) & ~static_cast<size_t>(3);
    GlobalMemory memory(GlobalAlloc(GMEM_MOVEABLE, sizeof(BITMAPINFOHEADER) +
                                                       stride * static_cast<size_t>(height)));
    void* block = memory.get() != nullptr ? GlobalLock(memory.get()) : nullptr;
    if (block == nullptr)
        throw WException(copyFailed, -2);
    BITMAPINFOHEADER header = {};
    header.biSize = sizeof header;
    header.biWidth = width;
    header.biHeight = height;
    header.biPlanes = 1;
    header.biBitCount = 24;
    header.biCompression = BI_RGB;
    // 96 pixels per inch, 3780 per metre: the size programs paste it at.
    header.biXPelsPerMeter = 3780;
    header.biYPelsPerMeter = 3780;
    header.biSizeImage = static_cast<DWORD>(stride * static_cast<size_t>(height));
    std::memcpy(block, &header, sizeof header);
    unsigned char* rows = static_cast<unsigned char*>(block) + sizeof header;
    const std::uint32_t* pixels = canvas.getPixels();
    // The canvas is top-down 0x00RRGGBB; the DIB bottom-up blue, green, red.
    for (int y = 0; y < height; ++y) {
        const std::uint32_t* source = pixels + static_cast<size_t>(height - 1 - y) * width;
        unsigned char* target = rows + static_cast<size_t>(y) * stride;
        for (int x = 0; x < width; ++x) {
            target[3 * x] = static_cast<unsigned char>(source[x]);
            target[3 * x + 1] = static_cast<unsigned char>(source[x] >> 8);
            target[3 * x + 2] = static_cast<unsigned char>(source[x] >> 16);
        }
        std::memset(target + 3 * static_cast<size_t>(width), 0,
                    stride - 3 * static_cast<size_t>(width));
    }
    GlobalUnlock(memory.get());
    HGLOBAL made = memory.get();
    memory.release();
    return made;
}

HENHMETAFILE MapClipboard::metafile(const BITMAPINFO* dib)
{
    ScreenContext screen;
    const int width = dib->bmiHeader.biWidth;
    const int height = dib->bmiHeader.biHeight;
    // The frame in 0.01 mm: the picture's pixels at 96 per inch, the size a
    // saved picture has, so that a program pasting it shows it as large as
    // it was on a screen at 100 % and scales it with its own zoom.
    RECT frame = {0, 0, MulDiv(width, 2540, DesignResolution::designDpi),
                  MulDiv(height, 2540, DesignResolution::designDpi)};
    // The bitmap fills the frame in the reference screen's pixels: played
    // into the picture's size it gives the bitmap's pixels as they are.
    int millimetres = GetDeviceCaps(screen.dc, HORZSIZE);
    int millimetresHigh = GetDeviceCaps(screen.dc, VERTSIZE);
    if (millimetres <= 0 || millimetresHigh <= 0)
        return nullptr;
    int frameWidth = MulDiv(frame.right, GetDeviceCaps(screen.dc, HORZRES), millimetres * 100);
    int frameHeight =
        MulDiv(frame.bottom, GetDeviceCaps(screen.dc, VERTRES), millimetresHigh * 100);
    HDC dc = CreateEnhMetaFileW(screen.dc, nullptr, &frame, description);
    if (dc == nullptr)
        return nullptr;
    bool drawn = StretchDIBits(dc, 0, 0, frameWidth, frameHeight, 0, 0, width, height,
                               &dib->bmiHeader + 1, dib, DIB_RGB_COLORS, SRCCOPY) > 0;
    HENHMETAFILE made = CloseEnhMetaFile(dc);
    if (!drawn && made != nullptr) {
        DeleteEnhMetaFile(made);
        made = nullptr;
    }
    return made;
}
