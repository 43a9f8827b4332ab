#include "BmpWriter.h"

#include "DibImage.h"

namespace {

void put16(unsigned char* at, unsigned int value)
{
    at[0] = static_cast<unsigned char>(value);
    at[1] = static_cast<unsigned char>(value >> 8);
}

void put32(unsigned char* at, unsigned long value)
{
    put16(at, value & 0xFFFF);
    put16(at + 2, (value >> 16) & 0xFFFF);
}

}

bool writeBmp(DibImage& image, FILE* file)
{
    if (file == nullptr)
        return false;
    if (image.isEmpty()) {
        image.setLastError("Image is empty");
        return false;
    }
    const BITMAPINFOHEADER* dib = image.getPackedDib();
    unsigned long offset = 14 + dib->biSize + 4 * dib->biClrUsed;
    unsigned long blockSize = dib->biSize + 4 * dib->biClrUsed + dib->biSizeImage;

    unsigned char fileHeader[14] = {'B', 'M'};
    put32(fileHeader + 2, 14 + blockSize);
    put16(fileHeader + 6, 0);
    put16(fileHeader + 8, 0);
    put32(fileHeader + 10, offset);
    bool written = std::fwrite(fileHeader, 1, sizeof fileHeader, file) == sizeof fileHeader &&
                   std::fwrite(dib, 1, blockSize, file) == blockSize;
    if (!written || std::fflush(file) != 0 || std::ferror(file)) {
        image.setLastError("Write Error in BMP file");
        return false;
    }
    return true;
}
