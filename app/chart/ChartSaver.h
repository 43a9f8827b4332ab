#pragma once

#include <windows.h>

#include <functional>

// Saves a picture drawn by a function into a device context of a given
// size: PNG and JPEG through GDI+'s encoders, GIF through the program's
// colour reduction and writer, and an Enhanced Metafile. Every file is
// written beside its name and moved over it when complete. Failures are
// WExceptions naming the file type.
class ChartSaver {
public:
    using Draw = std::function<void(HDC dc, int width, int height)>;

    ChartSaver(Draw draw, int width, int height);

    void savePng(const char* fileName) const;
    void saveGif(const char* fileName) const;
    void saveJpeg(const char* fileName) const;
    void saveEmf(const char* fileName) const;
    // By the name's extension (.png, .gif, .jpg, .jpeg, .emf); throws for
    // any other.
    void save(const char* fileName) const;

private:
    Draw draw;
    int width;
    int height;
};
