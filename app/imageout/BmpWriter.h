#pragma once

#include <cstdio>

class DibImage;

// Writes the image as an uncompressed BMP file: the 14-byte file header, then
// the image's block (header, palette, rows) exactly as held. False without a
// file, for an empty image, and with "Write Error in BMP file" when the
// system refuses the data.
bool writeBmp(DibImage& image, FILE* file);
