#include "GifWriter.h"

#include <cstring>
#include <vector>

#include "DibImage.h"
#include "GifLzwEncoder.h"

namespace {

// The palette indices from the top picture line to the bottom one (storage
// rows height - 1 down to 0), left to right.
std::vector<unsigned char> indicesTopDown(const DibImage& image)
{
    const int width = image.getWidth();
    std::vector<unsigned char> indices(static_cast<size_t>(width) * image.getHeight());
    unsigned char* next = indices.data();
    for (int y = image.getHeight() - 1; y >= 0; y--) {
        if (image.getBitCount() == 8) {
            std::memcpy(next, image.getRow(y), width);
            next += width;
        } else {
            for (int x = 0; x < width; x++)
                *next++ = static_cast<unsigned char>(image.getPixelIndex(x, y));
        }
    }
    return indices;
}

void put16(std::vector<unsigned char>& out, int value)
{
    out.push_back(static_cast<unsigned char>(value & 0xFF));
    out.push_back(static_cast<unsigned char>((value >> 8) & 0xFF));
}

}

bool writeGif(DibImage& image, FILE* file)
{
    if (file == nullptr) {
        image.setLastError("Can't open GIF for writing");
        return false;
    }
    if (image.isEmpty()) {
        image.setLastError("Image is empty");
        return false;
    }
    const int bits = image.getBitCount();
    if (bits > 8) {
        image.setLastError("GIF Images must be 8 bit or less");
        return false;
    }
    if (image.getWidth() > 0xFFFF || image.getHeight() > 0xFFFF) {
        image.setLastError("GIF Images must be 65535 pixels wide and high or less");
        return false;
    }

    // The whole file is put together in memory and written at once.
    std::vector<unsigned char> out;
    out.reserve(32 + 3 * 256 + static_cast<size_t>(image.getStride()) * image.getHeight() / 2);
    const char signature[] = "GIF87a";
    out.insert(out.end(), signature, signature + 6);
    put16(out, image.getWidth());
    put16(out, image.getHeight());
    // The colour-resolution field is shifted by 5, not 4, so for 8 bits its
    // top bit falls onto the colour-table flag (0xE7); decoders ignore it.
    out.push_back(static_cast<unsigned char>(0x80 | ((bits - 1) << 5) | (bits - 1)));
    out.push_back(0);
    out.push_back(0);
    const RGBQUAD* palette = image.getPalette();
    for (unsigned int i = 0; i < image.getClrUsed(); i++) {
        out.push_back(palette[i].rgbRed);
        out.push_back(palette[i].rgbGreen);
        out.push_back(palette[i].rgbBlue);
    }

    const int background = image.getBackgroundIndex();
    const unsigned char control[] = {0x21,
                                     0xF9,
                                     0x04,
                                     static_cast<unsigned char>(background >= 0),
                                     static_cast<unsigned char>(image.getFrameDelay() & 0xFF),
                                     static_cast<unsigned char>(image.getFrameDelay() >> 8),
                                     static_cast<unsigned char>(background & 0xFF),
                                     0x00};
    out.insert(out.end(), control, control + sizeof control);

    out.push_back(0x2C);
    put16(out, 0);
    put16(out, 0);
    put16(out, image.getWidth());
    put16(out, image.getHeight());
    out.push_back(0x00);
    const int minimumCodeSize = bits < 2 ? 2 : bits;
    out.push_back(static_cast<unsigned char>(minimumCodeSize));

    std::vector<unsigned char> indices = indicesTopDown(image);
    GifLzwEncoder(minimumCodeSize).encode(indices.data(), indices.size(), out);
    out.push_back(0x00);
    out.push_back(0x3B);

    if (std::fwrite(out.data(), 1, out.size(), file) != out.size() || std::fflush(file) != 0 ||
        std::ferror(file)) {
        image.setLastError("Write Error in GIF file");
        return false;
    }
    return true;
}
