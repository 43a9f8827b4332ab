#include "DibImage.h"

#include <cstdlib>
#include <cstring>
#include <string>

#include "BmpWriter.h"
#include "GifWriter.h"
#include "NearestColourIndex.h"
#include "ReplacementFile.h"

namespace {

// Rows are padded to whole 32-bit words.
inline size_t rowStride(int bits, int width)
{
    return ((static_cast<size_t>(bits) * static_cast<size_t>(width) + 31) / 32) * 4;
}

inline BYTE clampChannel(int value)
{
    return static_cast<BYTE>(value < 0 ? 0 : (value > 255 ? 255 : value));
}

}

DibImage::DibImage()
{
    resetFields();
}

DibImage::DibImage(const DibImage& source, ViewTag)
    : header(source.header), block(source.block), palette(source.palette), pixels(source.pixels),
      stride(source.stride), backgroundIndex(source.backgroundIndex), frameDelay(source.frameDelay),
      isView(true)
{
    lastError[0] = '\0';
}

DibImage::~DibImage()
{
    clear();
}

void DibImage::resetFields()
{
    std::memset(&header, 0, sizeof header);
    header.biSize = sizeof(BITMAPINFOHEADER);
    block = nullptr;
    palette = nullptr;
    pixels = nullptr;
    stride = 0;
    backgroundIndex = -1;
    frameDelay = 0;
    isView = false;
    lastError[0] = '\0';
    nearest.reset();
}

void DibImage::clear()
{
    if (!isView)
        std::free(block);
    resetFields();
}

void DibImage::storeHeader()
{
    if (block != nullptr)
        std::memcpy(block, &header, sizeof header);
}

void DibImage::paletteChanged()
{
    nearest.reset();
}

void DibImage::setLastError(const char* message)
{
    std::strncpy(lastError, message, sizeof lastError - 1);
    lastError[sizeof lastError - 1] = '\0';
}

bool DibImage::create(int width, int height, int bits)
{
    clear();
    bits = bits <= 1 ? 1 : (bits <= 4 ? 4 : (bits <= 8 ? 8 : 24));
    if (width < 0 || height < 0)
        return false;
    size_t rowBytes = rowStride(bits, width);
    unsigned int colours = bits == 24 ? 0 : 1u << bits;
    // BITMAPINFOHEADER counts bytes in 32 bits; larger images cannot be described.
    unsigned long long imageBytes = static_cast<unsigned long long>(rowBytes) * height;
    if (imageBytes > 0x7FFFFFFFull - sizeof(BITMAPINFOHEADER) - 4 * 256)
        return false;
    size_t blockBytes = sizeof(BITMAPINFOHEADER) + 4 * colours + static_cast<size_t>(imageBytes);
    block = static_cast<unsigned char*>(std::calloc(1, blockBytes));
    if (block == nullptr)
        return false;

    header.biWidth = width;
    header.biHeight = height;
    header.biPlanes = 1;
    header.biBitCount = static_cast<WORD>(bits);
    header.biCompression = BI_RGB;
    header.biSizeImage = static_cast<DWORD>(imageBytes);
    header.biClrUsed = colours;
    header.biClrImportant = 0;
    storeHeader();
    palette = reinterpret_cast<RGBQUAD*>(block + sizeof(BITMAPINFOHEADER));
    pixels = block + sizeof(BITMAPINFOHEADER) + 4 * colours;
    stride = static_cast<unsigned int>(rowBytes);
    return true;
}

bool DibImage::createFromBitmap(HBITMAP bitmap)
{
    clear();
    BITMAP info;
    if (bitmap == nullptr || GetObjectA(bitmap, sizeof info, &info) != sizeof info)
        return false;
    if (!create(info.bmWidth, info.bmHeight, info.bmBitsPixel * info.bmPlanes))
        return false;

    // GetDIBits may shorten biClrUsed to the colours the bitmap has, so it
    // fills a header of its own, followed by room for a full table.
    struct {
        BITMAPINFOHEADER header;
        RGBQUAD colours[256];
    } converted;
    std::memset(&converted, 0, sizeof converted);
    converted.header = header;
    HDC screen = GetDC(nullptr);
    int rows = GetDIBits(screen, bitmap, 0, static_cast<UINT>(header.biHeight), pixels,
                         reinterpret_cast<BITMAPINFO*>(&converted), DIB_RGB_COLORS);
    ReleaseDC(nullptr, screen);
    if (rows != header.biHeight) {
        setLastError("GetDIBits failed");
        return false;
    }
    if (header.biClrUsed > 0) {
        unsigned int delivered = converted.header.biClrUsed;
        if (delivered == 0 || delivered > header.biClrUsed)
            delivered = header.biClrUsed;
        setPalette(converted.colours, delivered);
    }
    return true;
}

int DibImage::getPixelIndex(int x, int y) const
{
    if (!inside(x, y))
        return backgroundIndex >= 0 ? backgroundIndex : 0;
    const unsigned char* row = getRow(y);
    switch (header.biBitCount) {
    case 8: return row[x];
    case 4: return (row[x >> 1] >> ((x & 1) ? 0 : 4)) & 0x0F;
    case 1: return (row[x >> 3] >> (7 - (x & 7))) & 0x01;
    default: return 0;
    }
}

void DibImage::setPixelIndex(int x, int y, int index)
{
    if (!inside(x, y))
        return;
    unsigned char* row = rowAt(y);
    switch (header.biBitCount) {
    case 8: row[x] = static_cast<unsigned char>(index); break;
    case 4: {
        int shift = (x & 1) ? 0 : 4;
        unsigned char& cell = row[x >> 1];
        cell = static_cast<unsigned char>((cell & ~(0x0F << shift)) | ((index & 0x0F) << shift));
        break;
    }
    case 1: {
        int shift = 7 - (x & 7);
        unsigned char& cell = row[x >> 3];
        cell = static_cast<unsigned char>((cell & ~(1 << shift)) | ((index & 0x01) << shift));
        break;
    }
    default: break;
    }
}

RGBQUAD DibImage::getPixelColor(int x, int y) const
{
    RGBQUAD colour = {0, 0, 0, 0};
    if (!inside(x, y)) {
        if (backgroundIndex >= 0 && static_cast<unsigned int>(backgroundIndex) < header.biClrUsed) {
            colour = palette[backgroundIndex];
            colour.rgbReserved = 0;
        }
        return colour;
    }
    if (header.biBitCount == 24) {
        const unsigned char* p = getRow(y) + 3 * x;
        colour.rgbBlue = p[0];
        colour.rgbGreen = p[1];
        colour.rgbRed = p[2];
        return colour;
    }
    colour = palette[getPixelIndex(x, y)];
    colour.rgbReserved = 0;
    return colour;
}

void DibImage::setPixelColor(int x, int y, RGBQUAD colour)
{
    if (!inside(x, y))
        return;
    if (header.biBitCount == 24) {
        unsigned char* p = rowAt(y) + 3 * x;
        p[0] = colour.rgbBlue;
        p[1] = colour.rgbGreen;
        p[2] = colour.rgbRed;
        return;
    }
    setPixelIndex(x, y, nearestIndex(colour));
}

int DibImage::nearestIndex(RGBQUAD colour) const
{
    if (block == nullptr || header.biClrUsed == 0)
        return 0;
    if (!nearest) {
        unsigned int candidates =
            header.biClrImportant != 0 ? header.biClrImportant : header.biClrUsed;
        nearest.reset(new NearestColourIndex(palette, candidates));
    }
    return nearest->find(colour.rgbRed, colour.rgbGreen, colour.rgbBlue);
}

void DibImage::setPaletteColor(unsigned int index, BYTE red, BYTE green, BYTE blue)
{
    if (block == nullptr || index >= header.biClrUsed)
        return;
    palette[index].rgbRed = red;
    palette[index].rgbGreen = green;
    palette[index].rgbBlue = blue;
    palette[index].rgbReserved = 0;
    paletteChanged();
}

void DibImage::setPalette(const RGBQUAD* table, unsigned int count)
{
    if (block == nullptr || table == nullptr)
        return;
    if (count > header.biClrUsed)
        count = header.biClrUsed;
    std::memcpy(palette, table, 4 * static_cast<size_t>(count));
    paletteChanged();
}

void DibImage::setClrImportant(unsigned int count)
{
    if (block == nullptr)
        return;
    switch (header.biBitCount) {
    case 1: header.biClrImportant = count > 256 ? 0 : (count < 2 ? count : 2); break;
    case 4: header.biClrImportant = count > 256 ? 0 : (count < 16 ? count : 16); break;
    case 8: header.biClrImportant = count > 256 ? 0 : count; break;
    default: return;
    }
    storeHeader();
    paletteChanged();
}

void DibImage::transfer(DibImage& other)
{
    if (&other == this)
        return;
    clear();
    header = other.header;
    block = other.block;
    palette = other.palette;
    pixels = other.pixels;
    stride = other.stride;
    backgroundIndex = other.backgroundIndex;
    frameDelay = other.frameDelay;
    isView = other.isView;
    std::memcpy(lastError, other.lastError, sizeof lastError);
    nearest = std::move(other.nearest);
    other.isView = true; // the block now belongs to this image
    other.clear();
}

bool DibImage::reduceColours(int bits, bool errorDiffusion, const RGBQUAD* table,
                             unsigned int important)
{
    if (block == nullptr || header.biBitCount < bits)
        return false;
    if (header.biBitCount == bits) {
        if (important == 0)
            return true;
        if (header.biClrImportant != 0 && header.biClrImportant < important)
            return true;
    }
    if ((bits != 1 && bits != 4 && bits != 8) || table == nullptr)
        return false;

    DibImage target;
    if (!target.create(header.biWidth, header.biHeight, bits)) {
        setLastError("Not enough memory for the reduced image");
        return false;
    }
    target.backgroundIndex = backgroundIndex;
    target.frameDelay = frameDelay;
    if (important != 0)
        target.setClrImportant(important);
    target.setPalette(table, target.header.biClrUsed);

    if (header.biBitCount == 24)
        reduceTrueColour(target, errorDiffusion);
    else
        reducePaletteColours(target, errorDiffusion);
    if (header.biBitCount == 1) {
        target.setPaletteColor(0, 0, 0, 0);
        target.setPaletteColor(1, 255, 255, 255);
    }
    transfer(target);
    return true;
}

namespace {

// Adds weight sixteenths of the error (blue, green, red) to a 24-bit pixel.
inline void addError(unsigned char* pixel, const int error[3], int weight)
{
    for (int c = 0; c < 3; c++)
        pixel[c] = clampChannel(pixel[c] + error[c] * weight / 16);
}

}

// The map's case, on the rows themselves. The error goes 7/16 to the right,
// and 2/16, 4/16 and 1/16 to the upper left, upper and upper right pixels
// (row y + 1 is the picture line above: rows are stored bottom-up); what
// would fall outside the picture is dropped.
void DibImage::reduceTrueColour(DibImage& target, bool errorDiffusion)
{
    const int width = header.biWidth;
    const int height = header.biHeight;
    for (int y = 0; y < height; y++) {
        unsigned char* row = rowAt(y);
        unsigned char* above = y + 1 < height ? rowAt(y + 1) : nullptr;
        for (int x = 0; x < width; x++) {
            unsigned char* pixel = row + 3 * x;
            RGBQUAD colour = {pixel[0], pixel[1], pixel[2], 0};
            int index = target.nearestIndex(colour);
            target.setPixelIndex(x, y, index);
            if (!errorDiffusion)
                continue;
            const RGBQUAD& stored = target.palette[index];
            const int error[3] = {pixel[0] - stored.rgbBlue, pixel[1] - stored.rgbGreen,
                                  pixel[2] - stored.rgbRed};
            if (error[0] == 0 && error[1] == 0 && error[2] == 0)
                continue;
            if (x + 1 < width)
                addError(pixel + 3, error, 7);
            if (above == nullptr)
                continue;
            if (x > 0)
                addError(above + 3 * (x - 1), error, 2);
            addError(above + 3 * x, error, 4);
            if (x + 1 < width)
                addError(above + 3 * (x + 1), error, 1);
        }
    }
}

// Palette sources spread the error the same way, through their own
// palette: a neighbour takes the entry nearest to its changed colour.
void DibImage::reducePaletteColours(DibImage& target, bool errorDiffusion)
{
    static const int spread[4][3] = {{1, 0, 7}, {-1, 1, 2}, {0, 1, 4}, {1, 1, 1}};
    const int width = header.biWidth;
    const int height = header.biHeight;
    for (int y = 0; y < height; y++) {
        for (int x = 0; x < width; x++) {
            RGBQUAD colour = getPixelColor(x, y);
            int index = target.nearestIndex(colour);
            target.setPixelIndex(x, y, index);
            if (!errorDiffusion)
                continue;
            const RGBQUAD& stored = target.palette[index];
            const int error[3] = {colour.rgbBlue - stored.rgbBlue,
                                  colour.rgbGreen - stored.rgbGreen, colour.rgbRed - stored.rgbRed};
            if (error[0] == 0 && error[1] == 0 && error[2] == 0)
                continue;
            for (const auto& s : spread) {
                int nx = x + s[0], ny = y + s[1];
                if (nx < 0 || nx >= width || ny >= height)
                    continue;
                RGBQUAD n = getPixelColor(nx, ny);
                n.rgbBlue = clampChannel(n.rgbBlue + error[0] * s[2] / 16);
                n.rgbGreen = clampChannel(n.rgbGreen + error[1] * s[2] / 16);
                n.rgbRed = clampChannel(n.rgbRed + error[2] * s[2] / 16);
                setPixelColor(nx, ny, n);
            }
        }
    }
}

bool DibImage::save(const char* name, int format)
{
    lastError[0] = '\0';
    if (format != FORMAT_BMP && format != FORMAT_GIF)
        return encode(nullptr, format);
    ReplacementFile output(name);
    FILE* file = output.isReserved() ? _wfopen(output.getWideName().c_str(), L"wb") : nullptr;
    if (file == nullptr)
        return encode(nullptr, format);
    bool written = encode(file, format);
    if (std::fclose(file) != 0 && written) {
        setLastError(format == FORMAT_GIF ? "Write Error in GIF file" : "Write Error in BMP file");
        written = false;
    }
    if (written && !output.commit()) {
        setLastError(output.getLastError());
        written = false;
    }
    return written;
}

bool DibImage::encode(FILE* file, int format)
{
    if (format != FORMAT_BMP && format != FORMAT_GIF) {
        setLastError("Unsupported operation for this format");
        return false;
    }
    DibImage view(*this, VIEW);
    bool written = format == FORMAT_GIF ? writeGif(view, file) : writeBmp(view, file);
    if (!written)
        setLastError(view.getLastError());
    return written;
}
