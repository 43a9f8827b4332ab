#pragma once

#include <cstdio>

class DibImage;

// Writes a palette image of at most 8 bits per pixel as a single-image GIF
// file: "GIF87a", the logical screen with the image's palette as global
// colour table, a graphic control block (transparent index and frame delay),
// one non-interlaced image compressed with the classic LZW coder of compress
// (5003-slot hash, codes of up to 12 bits, sub-blocks of 254 bytes).
//
// False, with the reason in image.getLastError(), when there is no file
// ("Can't open GIF for writing"), for a 24-bit image ("GIF Images must be 8
// bit or less"), for an empty image or one wider or higher than 65535
// pixels, and when the system refuses the data
// ("Write Error in GIF file"). Every call keeps its coder state to itself.
bool writeGif(DibImage& image, FILE* file);
